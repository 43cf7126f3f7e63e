// Arbitrary bytes through the JPEG header check and, when it lets them pass,
// through the real OSG JPEG reader in the same process: a crash, a hang or a
// blown memory limit in the reader is a file the check must turn away.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include <osg/Notify>
#include <osgDB/Registry>

#include "frame/jpeg_header_check.h"

namespace {

osgDB::ReaderWriter* jpegReader = nullptr;

// The reader's complaints about broken files, many per second, unread.
class Silent : public osg::NotifyHandler {
public:
    void notify(osg::NotifySeverity, const char*) override {}
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    osg::setNotifyHandler(new Silent);
    jpegReader = osgDB::Registry::instance()->getReaderWriterForExtension("jpg");
    if (!jpegReader)
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::istringstream header(bytes);
    if (!jpegHeaderFits(header))
        return 0;
    std::istringstream picture(bytes);
    jpegReader->readImage(picture);
    return 0;
}
