#pragma once
// Files are written whole or not at all: to a temporary name beside the
// target, renamed over it once complete.

#include <cstdio>
#include <functional>
#include <string>

#include <osg/Image>

namespace flightreplay::tools {

// Writes bytes to path through path + ".part"; throws ToolError naming the
// file and the reason, leaving neither a temporary nor a truncated target.
void writeFileAtomically(const std::string& path, const std::string& bytes);

// As above, the bytes written by write to the open temporary file; write
// returns false when it failed.
void writeFileAtomically(const std::string& path, const std::function<bool(FILE*)>& write);

// As above, but out "-" is standard output, written and flushed there;
// throws ToolError "standard output: cannot write" when that fails.
void writeOutput(const std::string& out, const std::string& bytes);
void writeOutput(const std::string& out, const std::function<bool(FILE*)>& write);

// Writes image through path + ".part" in the format the extension of path
// names (OSG's image plug-ins); throws ToolError as above.
void writeImageFileAtomically(const osg::Image& image, const std::string& path);

// Moves the finished temporary file over path, replacing a file that was
// there (never a device or pipe: that is a failure); on failure removes
// temporary and throws ToolError naming path.
void renameIntoPlace(const std::string& temporary, const std::string& path);

// Removes a file that is no longer wanted; no word when it is gone already.
void removeQuietly(const std::string& path);

bool fileExists(const std::string& path);

// Creates the folder and its parents when missing; throws ToolError.
void makeFolder(const std::string& path);

} // namespace flightreplay::tools
