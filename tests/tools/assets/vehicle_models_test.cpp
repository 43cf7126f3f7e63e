#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>
#include <osg/Geode>
#include <osg/NodeVisitor>
#include <osgDB/ReadFile>
#include <osgDB/WriteFile>

#include "scene/model_file_check.h"
#include "tools/assets/installed_path.h"
#include "tools/assets/sky_picture.h"
#include "tools/assets/vehicle_model.h"
#include "tools/assets/vehicle_models.h"
#include "tools/assets/vehicle_type.h"

using namespace flightreplay;
using flight::VehicleType;

namespace {

// The bounding box of the model's objects with a given name.
class PartBounds : public osg::NodeVisitor {
public:
    explicit PartBounds(std::string name) : NodeVisitor(TRAVERSE_ALL_CHILDREN), name_(std::move(name)) {}
    void apply(osg::Node& node) override
    {
        if (node.getName() == name_)
            box.expandBy(node.getBound());
        traverse(node);
    }
    osg::BoundingBox box;

private:
    std::string name_;
};

osg::BoundingBox partBox(osg::Node& model, const std::string& name)
{
    PartBounds bounds(name);
    model.accept(bounds);
    return bounds.box;
}

std::string scratchFolder(const std::string& name)
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("vehicle-models-" + name);
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder.string();
}

} // namespace

// Each model is written, passes the replay's model check, loads through the
// real AC3D plug-in at its real size, with its nose toward -x and its top
// part above its lower one along +y.
TEST(VehicleModels, RealSizeAndAxes)
{
    struct Case {
        VehicleType type;
        double minRadius, maxRadius; // metres
        const char* nose;
        const char* upper;
        const char* lower;
    };
    const Case cases[] = {
        {VehicleType::fixedWing, 0.6, 0.9, "canopy", "wing", "fuselage"},
        {VehicleType::multicopter, 0.2, 0.4, "nose", "propeller", "body"},
        {VehicleType::helicopter, 0.9, 1.5, "nose", "main_rotor", "fuselage"},
        {VehicleType::glider, 6.5, 9.0, "nose", "canopy", "fuselage"},
        {VehicleType::vtol, 0.9, 1.5, "nose", "lift_rotor", "fuselage"},
        {VehicleType::ground, 0.4, 0.7, "nose", "cabin", "hull"},
        {VehicleType::unknown, 0.4, 0.8, "nose", "fin", "dart"},
    };
    const std::string folder = scratchFolder("axes");
    for (const Case& c : cases) {
        SCOPED_TRACE(assets::vehicleTypeName(c.type));
        const std::string path = folder + "/" + assets::vehicleTypeName(c.type) + ".ac";
        ASSERT_TRUE(assets::writeVehicleModel(c.type, path));
        EXPECT_TRUE(acModelCountsFit(path));
        osg::ref_ptr<osg::Node> model = osgDB::readRefNodeFile(path);
        ASSERT_TRUE(model);
        const double radius = assets::modelRadius(*model);
        EXPECT_GE(radius, c.minRadius);
        EXPECT_LE(radius, c.maxRadius);

        const osg::BoundingBox nose = partBox(*model, c.nose);
        const osg::BoundingBox upper = partBox(*model, c.upper);
        const osg::BoundingBox lower = partBox(*model, c.lower);
        ASSERT_TRUE(nose.valid() && upper.valid() && lower.valid());
        EXPECT_LT(nose.center().x(), model->getBound().center().x() - 0.1 * radius);
        EXPECT_GT(upper.center().y(), lower.center().y());
    }
    std::filesystem::remove_all(folder);
}

// The lookup finds the build tree's copy written at build time, and what is
// not there is the empty string.
TEST(VehicleModels, InstalledPathLookup)
{
    const std::string quad = assets::installedAssetPath("vehicles/multicopter.ac");
    ASSERT_FALSE(quad.empty());
    EXPECT_TRUE(acModelCountsFit(quad));
    EXPECT_TRUE(osgDB::readRefNodeFile(quad));
    EXPECT_FALSE(assets::installedAssetPath("sky12q-1024x512.jpeg").empty());
    EXPECT_EQ(assets::installedAssetPath("vehicles/no-such-vehicle.ac"), "");

    // A data folder beside the program wins over the build tree; only what
    // the test made is removed again. The copy is the same model, so tests
    // running at the same time load the same quad.
    const std::filesystem::path share = std::filesystem::path(assets::executableFolder()) / ".." / "share";
    const std::filesystem::path vehicles = share / "flightreplay" / "vehicles";
    std::filesystem::create_directories(vehicles);
    std::filesystem::copy_file(quad, vehicles / "multicopter.ac", std::filesystem::copy_options::overwrite_existing);
    const std::string found = assets::installedAssetPath("vehicles/multicopter.ac");
    std::filesystem::remove(vehicles / "multicopter.ac");
    std::error_code notEmpty;
    for (const auto& folder : {vehicles, vehicles.parent_path(), share})
        std::filesystem::remove(folder, notEmpty);
    EXPECT_EQ(found, (vehicles / "multicopter.ac").lexically_normal().string());
}

// A given file wins; one the model check turns away falls back to the
// built-in model of the type, and so does a missing one.
TEST(VehicleModels, LoadFallsBackToTheBuiltIn)
{
    const std::string folder = scratchFolder("load");
    const std::string own = folder + "/own.ac";
    ASSERT_TRUE(assets::writeVehicleModel(VehicleType::glider, own));
    const std::string hostile = folder + "/hostile.ac";
    { std::ofstream(hostile) << "AC3Db\nOBJECT poly\nnumvert 2000000000\n"; }

    const double quadRadius =
        assets::modelRadius(*osgDB::readRefNodeFile(assets::installedAssetPath("vehicles/multicopter.ac")));
    auto loadedRadius = [](const std::string& file) {
        return assets::modelRadius(*assets::loadVehicleModel(VehicleType::multicopter, file));
    };
    EXPECT_GT(loadedRadius(own), 6.0);
    EXPECT_DOUBLE_EQ(loadedRadius(hostile), quadRadius);
    EXPECT_DOUBLE_EQ(loadedRadius(folder + "/none.obj"), quadRadius);
    EXPECT_DOUBLE_EQ(loadedRadius(""), quadRadius);
    std::filesystem::remove_all(folder);
}

// The working directory's sky wins over the installed one.
TEST(VehicleModels, SkyFromTheWorkingDirectoryFirst)
{
    const std::filesystem::path before = std::filesystem::current_path();
    const std::string folder = scratchFolder("sky");
    std::filesystem::current_path(folder);
    osg::ref_ptr<osg::Image> installed = assets::loadSkyImage();
    osg::ref_ptr<osg::Image> own = new osg::Image;
    own->allocateImage(64, 32, 1, GL_RGB, GL_UNSIGNED_BYTE);
    std::fill(own->data(), own->data() + own->getTotalSizeInBytes(), static_cast<unsigned char>(90));
    const bool written = osgDB::writeImageFile(*own, "sky12q-1024x512.jpeg");
    osg::ref_ptr<osg::Image> local = assets::loadSkyImage();
    std::filesystem::current_path(before);
    std::filesystem::remove_all(folder);

    ASSERT_TRUE(installed);
    EXPECT_EQ(installed->s(), 1024);
    EXPECT_EQ(installed->t(), 512);
    ASSERT_TRUE(written);
    ASSERT_TRUE(local);
    EXPECT_EQ(local->s(), 64);
}
