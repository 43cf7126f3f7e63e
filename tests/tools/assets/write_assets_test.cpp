// flightreplay-write-assets run as the build runs it, and refused as the
// other companion programs refuse: one line "flightreplay-write-assets:
// reason", exit status 2.
#include <gtest/gtest.h>

#include <string>

#include "support/test_support.h"

namespace {

std::string writeAssets(const std::string& arguments)
{
    return std::string("'") + WRITE_ASSETS_BINARY + "' " + arguments;
}

} // namespace

TEST(WriteAssets, WritesTheFolderOrSaysWhyNotInOneLine)
{
    const std::string dir = makeTempDir();
    writeFile(dir + "/file", "not a folder");
    const struct {
        std::string arguments;
        int status;
        std::string err;
    } cases[] = {
        {"'" + dir + "/share'", 0, ""},
        {"", 2, "flightreplay-write-assets: no FOLDER given (see --help)\n"},
        {"'" + dir + "/share' two", 2, "flightreplay-write-assets: two: one argument too many\n"},
        {"'" + dir + "/file'", 2, "flightreplay-write-assets: " + dir + "/file/vehicles/generic.ac: cannot write\n"},
    };
    for (const auto& c : cases) {
        const ProgramRun run = runCommand(writeAssets(c.arguments));
        EXPECT_EQ(run.status, c.status) << c.arguments;
        EXPECT_EQ(run.err, c.err) << c.arguments;
    }
    EXPECT_NE(readFile(dir + "/share/vehicles/multicopter.ac").find("AC3D"), std::string::npos);
    EXPECT_EQ(readFile(dir + "/share/sky12q-1024x512.jpeg").substr(0, 3), "\xff\xd8\xff");
    const ProgramRun help = runCommand(writeAssets("--help"));
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage: flightreplay-write-assets FOLDER\n", 0), 0u) << help.out;
    runCommand("rm -rf '" + dir + "'");
}
