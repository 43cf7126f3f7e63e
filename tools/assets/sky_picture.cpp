#include "tools/assets/sky_picture.h"

#include <string>

#include <osgDB/FileUtils>
#include <osgDB/ReadFile>

#include "frame/jpeg_header_check.h"
#include "scene/sky_dome.h"
#include "tools/assets/installed_path.h"
#include "tools/assets/sky_image.h"

namespace flightreplay::assets {

namespace {

// The JPEG reader allocates whatever a header declares before it reads a
// pixel; the check turns such files away first.
osg::ref_ptr<osg::Image> readCheckedImage(const std::string& path)
{
    if (path.empty() || !osgDB::fileExists(path) || !jpegHeaderFits(path))
        return nullptr;
    return osgDB::readRefImageFile(path);
}

} // namespace

osg::ref_ptr<osg::Image> loadSkyImage()
{
    for (const std::string& path : {std::string(SKY_IMAGE_PATH), installedAssetPath(SKY_IMAGE_PATH)})
        if (osg::ref_ptr<osg::Image> image = readCheckedImage(path))
            return image;
    return makeSkyImage();
}

} // namespace flightreplay::assets
