#include <gtest/gtest.h>

#include "support/test_support.h"
#include "tools/book/book_schema.h"
#include "tools/common/tool_error.h"

using namespace flightreplay::book;

TEST(BookSchema, RefusesWhatIsNotItsOwn)
{
    const std::string dir = makeTempDir();
    {
        Database other(dir + "/other.sqlite", OpenMode::create);
        other.execute("CREATE TABLE photos(name TEXT)");
        Database newer(dir + "/newer.sqlite", OpenMode::create);
        newer.execute("PRAGMA application_id = " + std::to_string(BOOK_APPLICATION_ID) + "; PRAGMA user_version = " +
                      std::to_string(BOOK_SCHEMA_VERSION + 1) + "; CREATE TABLE flights(x)");
    }
    writeFile(dir + "/notes.sqlite", "props replaced after the hard landing\n");
    writeFile(dir + "/empty.sqlite", "");
    struct Case {
        const char* file;
        OpenMode mode;
        const char* message;
    };
    const Case cases[] = {
        {"other.sqlite", OpenMode::create, "not a logbook (another program's SQLite database); left untouched"},
        {"newer.sqlite", OpenMode::create, "a logbook of schema 2, newer than this program's 1; left untouched"},
        {"newer.sqlite", OpenMode::readOnly, "a logbook of schema 2, newer than this program's 1; left untouched"},
        {"notes.sqlite", OpenMode::create, "not a logbook (not an SQLite database); left untouched"},
        {"empty.sqlite", OpenMode::readOnly, "an empty database, no logbook"},
        {"missing.sqlite", OpenMode::readOnly, "no such logbook"},
    };
    for (const Case& c : cases) {
        const std::string path = dir + "/" + c.file;
        const std::string before = readFile(path);
        try {
            openBook(path, c.mode);
            ADD_FAILURE() << c.file << " opened";
        } catch (const flightreplay::tools::ToolError& refused) {
            EXPECT_EQ(path + ": " + c.message, refused.what());
        }
        EXPECT_EQ(before, readFile(path)) << c.file;
    }
    // The empty file becomes a book when one is to be written.
    EXPECT_EQ(BOOK_SCHEMA_VERSION, openBook(dir + "/empty.sqlite", OpenMode::create)->integer("PRAGMA user_version"));
    EXPECT_NO_THROW(openBook(dir + "/empty.sqlite", OpenMode::readOnly));
}
