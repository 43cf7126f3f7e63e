#pragma once
// The download cache shared by every flight and every process: files are
// stored under a temporary name unique to the writer and renamed into place,
// so a reader sees a complete file or none, whatever runs at the same time.

#include <string>

namespace flightreplay::prep {

// The cache folder: chosen when not empty, else $XDG_CACHE_HOME/flightreplay,
// else ~/.cache/flightreplay (%LOCALAPPDATA%\flightreplay on Windows).
std::string cacheFolder(const std::string& chosen);

// A short name for a source (URL or template) to keep its files apart: 16
// hexadecimal digits of a hash, then the host for people browsing the cache.
std::string sourceKey(const std::string& source);

// The bytes of a cached file; false when it is not cached.
bool readCached(const std::string& path, std::string& bytes);

// Stores bytes at path, creating folders. A cache that cannot be written is
// no error: the data still reaches the data folder.
void storeCached(const std::string& path, const std::string& bytes);

} // namespace flightreplay::prep
