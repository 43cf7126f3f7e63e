#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include <osg/Group>
#include <osg/ref_ptr>

#include "frame/map_frame.h"
#include "log/console_report.h"
#include "log/log_reader.h"
#include "scene/scene.h"
#include "support/test_support.h"

namespace {

void appendTo(const char* text, size_t length, void* context)
{
    static_cast<std::string*>(context)->append(text, length);
}

// Scans a log with junk, prints the summary and builds the scene in a folder
// without data files: the echo, the summary, the map frame, every "img:" and
// elevation line and the model message.
void replayStartUp()
{
    char text[] = "gps_time,gps_curlat,gps_curlon?\n0,2880.5,690.25\n\x01!";
    FILE* log = fmemopen(text, sizeof text - 1, "r");
    readLog(log);
    std::fclose(log);
    summarizeLog();
    osg::ref_ptr<osg::Group> root = buildScene();
}

TEST(ConsoleReport, RoutedLinesAreTheDefaultOutputAndStandardOutputStaysEmpty)
{
    TempWorkingDir dir;
    const std::string printed = captureStdout(replayStartUp);
    ASSERT_EQ(printed.rfind("?\x01!", 0), 0u);
    ASSERT_NE(printed.find("Not open egm 'zsi-"), std::string::npos);
    ASSERT_NE(printed.find("img:./img/s-"), std::string::npos);
    ASSERT_NE(printed.find("Not found model './EasyStar/data/body.ac'\n"), std::string::npos);

    std::string routed;
    setConsoleSink(appendTo, &routed);
    const std::string printedWhileRouted = captureStdout(replayStartUp);
    setConsoleSink(nullptr, nullptr);
    EXPECT_EQ(printedWhileRouted, "");
    EXPECT_EQ(routed, printed);
}

TEST(ConsoleReport, LongLinesArriveWhole)
{
    const std::string name(2000, 'n');
    std::string routed;
    setConsoleSink(appendTo, &routed);
    report("img:%s\n", name.c_str());
    reportBytes("a\0b", 3);
    setConsoleSink(nullptr, nullptr);
    EXPECT_EQ(routed, "img:" + name + "\n" + std::string("a\0b", 3));
}

} // namespace
