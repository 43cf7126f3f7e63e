// Arbitrary bytes through the AC3D model check and, when it lets them pass,
// through the real OSG AC3D reader in the same process: a crash, a hang or a
// blown memory limit in the reader is a file the check must turn away.
// Textures a model names are not read: that is the image readers' business.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include <osg/Notify>
#include <osgDB/Options>
#include <osgDB/Registry>

#include "scene/model_file_check.h"

namespace {

osgDB::ReaderWriter* acReader = nullptr;
osg::ref_ptr<osgDB::Options> options;

class Silent : public osg::NotifyHandler {
public:
    void notify(osg::NotifySeverity, const char*) override {}
};

// Every texture reads as missing, so that no name in a model reaches the
// disk or, through the curl plug-in, the network.
class NoTextures : public osgDB::ReadFileCallback {
public:
    osgDB::ReaderWriter::ReadResult readImage(const std::string&, const osgDB::Options*) override
    {
        return osgDB::ReaderWriter::ReadResult::FILE_NOT_FOUND;
    }
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    osg::setNotifyHandler(new Silent);
    acReader = osgDB::Registry::instance()->getReaderWriterForExtension("ac");
    if (!acReader)
        std::abort();
    options = new osgDB::Options;
    options->setReadFileCallback(new NoTextures);
    osgDB::Registry::instance()->setReadFileCallback(new NoTextures);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::istringstream counts(bytes);
    if (!acModelCountsFit(counts))
        return 0;
    std::istringstream model(bytes);
    acReader->readNode(model, options.get());
    return 0;
}
