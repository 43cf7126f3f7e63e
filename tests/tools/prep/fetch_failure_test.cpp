#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/prep/fetch_failure.h"

namespace {

using flightreplay::prep::FetchFailure;
using flightreplay::prep::MissingFile;
using flightreplay::prep::missingFilesReport;

TEST(FetchFailureReport, ListsEachFileAndCountsTheFilesOfEachReason)
{
    using Kind = FetchFailure::Kind;
    const std::vector<MissingFile> missing = {
        {"./img/n-1-2.jpg", "http://127.0.0.1:9/13/2/1.png", {Kind::httpStatus, 500, ""}},
        {"zsi-90-133.egm", "", {Kind::notCached, 0, ""}},
        {"./img/n-1-3.jpg", "http://127.0.0.1:9/13/3/1.png", {Kind::httpStatus, 500, ""}},
        {"./img/n-1-4.jpg", "http://127.0.0.1:9/13/4/1.png", {Kind::notATile, 200, ""}},
        {"./img/n-1-5.jpg", "http://127.0.0.1:9/13/5/1.png", {Kind::transfer, 0, "Timeout was reached"}},
        {"zsi-90-134.egm", "/vsicurl/http://127.0.0.1:9/dem/c.tif", {Kind::unreadable, 0, "cannot read: HTTP error"}},
        {"zsi-90-135.egm", "", {Kind::interrupted, 0, ""}},
        {"./img/n-1-6.jpg", "http://127.0.0.1:9/13/6/1.png", {Kind::notInSource, 0, ""}},
        {"./img/n-1-7.jpg", "http://127.0.0.1:9/13/7/1.png", {Kind::httpStatus, 429, ""}},
    };
    EXPECT_EQ(missingFilesReport(missing),
              "missing ./img/n-1-2.jpg (http://127.0.0.1:9/13/2/1.png: HTTP 500)\n"
              "missing zsi-90-133.egm (not in the cache (--offline))\n"
              "missing ./img/n-1-3.jpg (http://127.0.0.1:9/13/3/1.png: HTTP 500)\n"
              "missing ./img/n-1-4.jpg (http://127.0.0.1:9/13/4/1.png: HTTP 200 with a body that is no valid tile)\n"
              "missing ./img/n-1-5.jpg (http://127.0.0.1:9/13/5/1.png: Timeout was reached)\n"
              "missing zsi-90-134.egm (/vsicurl/http://127.0.0.1:9/dem/c.tif: cannot read: HTTP error)\n"
              "missing zsi-90-135.egm (interrupted)\n"
              "missing ./img/n-1-6.jpg (http://127.0.0.1:9/13/6/1.png: not in the source)\n"
              "missing ./img/n-1-7.jpg (http://127.0.0.1:9/13/7/1.png: HTTP 429)\n"
              "failed: 1 file: HTTP 200 with a body that is no valid tile\n"
              "failed: 1 file: HTTP 429\n"
              "failed: 2 files: HTTP 500\n"
              "failed: 1 file: Timeout was reached\n"
              "failed: 1 file: cannot read: HTTP error\n"
              "failed: 1 file: interrupted\n"
              "failed: 1 file: not in the cache (--offline)\n"
              "failed: 1 file: not in the source\n");
    EXPECT_EQ(missingFilesReport({}), "");
}

} // namespace
