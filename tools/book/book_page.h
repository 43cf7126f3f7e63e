#pragma once
// flightreplay-book --page OUT.html: the book as one page to read offline.

#include <string>

#include "tools/book/sqlite_db.h"

namespace flightreplay::book {

// The page's text for the flights of the book matching where (empty: all):
// its data {"title", "flights": [{"path", "sys", "start", "vehicle",
// "format", "firmware", "duration", "distance", "maxAlt", "lat", "lon",
// "failures", "warnings", "vibration", "sag", "findings", "track",
// "page"}]} with the page's HTML, style and script built in. page is the
// flight's own page relative to the page's folder (flightPagesFolder
// relative to it, then flightPageName of its path), empty without
// flight pages.
std::string bookPage(Database& db, const std::string& title, const std::string& where,
                     const std::string& flightPagesFolder);

// The file name of the exported page of the log of key: its path with
// every character other than a letter, digit, '-' or '.' written as '_',
// then ".html".
std::string flightPageName(const std::string& key);

} // namespace flightreplay::book
