#include "tools/kml/collada_model.h"

#include <vector>

#include <dae.h>
#include <osg/MatrixTransform>
#include <osgDB/Options>
#include <osgDB/Registry>

#include "tools/common/tool_error.h"

namespace flightreplay::kml {

namespace {

// The plug-in fills a COLLADA DOM document and then has the DOM write it.
// Debian's plug-in is built for a DOM with COLLADA 1.4 alone while its DOM
// library holds 1.5 as well, so the plug-in's call to write lands on add150
// instead, which empties the document. Given this DAE, the plug-in builds
// the document in it; the misrouted call and the plug-in's own write are
// both turned away, and the document is written from here, where the DOM's
// header and library agree.
class DocumentKeeper : public DAE {
public:
    DocumentKeeper() : DAE(nullptr, nullptr, "1.4.1") {}
#ifdef COLLADA_DOM_SUPPORT150
    ColladaDOM150::domCOLLADA* add150(const std::string&) override { return nullptr; }
#endif
    bool write(const std::string&) override { return true; }
};

} // namespace

osg::Matrixd kmlModelAxes()
{
    // Rows, since OpenSceneGraph multiplies row vectors: where the built-in
    // x (tail) goes, -y (south); y (top), +z; z (left wing), -x (west).
    return osg::Matrixd(0, -1, 0, 0,
                        0, 0, 1, 0,
                        -1, 0, 0, 0,
                        0, 0, 0, 1);
}

std::string colladaModel(osg::Node& model)
{
    osgDB::ReaderWriter* writer = osgDB::Registry::instance()->getReaderWriterForExtension("dae");
    if (!writer)
        throw tools::ToolError("OpenSceneGraph's COLLADA plug-in (osgdb_dae) is not installed");

    osg::ref_ptr<osg::MatrixTransform> turned = new osg::MatrixTransform(kmlModelAxes());
    turned->setName("vehicle");
    turned->addChild(&model);

    DocumentKeeper dom;
    std::string documentUri;
    osg::ref_ptr<osgDB::Options> options = new osgDB::Options("GoogleMode daeZUpAxis");
    options->setPluginData("DAE", &dom);
    options->setPluginData("DAE-DocumentURI", &documentUri);
    writer->writeNode(*turned, "vehicle.dae", options.get());

    std::vector<char> text;
    if (documentUri.empty() || !dom.writeToMemory(documentUri, text) || text.empty())
        throw tools::ToolError("OpenSceneGraph's COLLADA plug-in wrote no model");
    return std::string(text.begin(), text.end());
}

} // namespace flightreplay::kml
