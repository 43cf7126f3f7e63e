#include <gtest/gtest.h>

#include "tools/book/book_paths.h"

using namespace flightreplay::book;

TEST(BookPaths, KeyAndPathBothWays)
{
    struct Case {
        const char* log;
        const char* folder;
        const char* key;
    };
    const Case cases[] = {
        {"/data/logs/2024/a.ulg", "/data/logs", "2024/a.ulg"},
        {"/data/logs/./2024/../2025/b.bin", "/data/logs", "2025/b.bin"},
        {"/data/other/c.tlog", "/data/logs", "/data/other/c.tlog"},
        {"/data/logs-old/d.gpx", "/data/logs", "/data/logs-old/d.gpx"},
        {"/data/logs/e.igc", "/", "data/logs/e.igc"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.key, bookKey(c.log, c.folder)) << c.log;
        const std::string back = pathOfKey(c.key, c.folder);
        EXPECT_EQ(bookKey(back, c.folder), c.key) << back;
    }
    EXPECT_EQ("", bookKey("/data/logs", "/data/logs"));
}

TEST(BookPaths, KeyIsUnderItsFolderOnly)
{
    struct Case {
        const char* key;
        const char* folder;
        bool under;
    };
    const Case cases[] = {
        {"2024/a.ulg", "2024", true},
        {"2024/05/a.ulg", "2024", true},
        {"2024-old/a.ulg", "2024", false},
        {"2024", "2024", true},
        {"a.ulg", "", true},
        {"/elsewhere/a.ulg", "", false},
        {"/elsewhere/a.ulg", "/elsewhere", true},
        {"/elsewhere2/a.ulg", "/elsewhere", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.under, keyIsUnder(c.key, c.folder)) << c.key << " in '" << c.folder << "'";
}
