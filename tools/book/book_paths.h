#pragma once
// Where the logbook's files are: a log's path as the book keeps it, and
// back to a path that opens it.

#include <string>

namespace flightreplay::book {

// The folder the book lies in, absolute.
std::string bookFolder(const std::string& bookPath);

// The path of a log as the book keeps it: relative to bookFolder when the
// log lies inside it (so that a book moves with its logs), else absolute;
// '/' between names, no "." or ".."; empty for the book's folder itself.
std::string bookKey(const std::string& logPath, const std::string& bookFolder);

// The path that opens the log of key in a book in bookFolder.
std::string pathOfKey(const std::string& key, const std::string& bookFolder);

// Whether the log of key lies in the folder whose key is folderKey.
bool keyIsUnder(const std::string& key, const std::string& folderKey);

} // namespace flightreplay::book
