// Our tlog reader against node-mavlink, a MAVLink library of others, on the
// same generated field log: both must find the same fixes, and where they
// do not, the test says which reads what and why.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>
#include <string>

#include "support/test_support.h"
#include "tlog_writer.h"
#include "tools/readers/mavlink_messages.h"
#include "tools/readers/read_flight.h"

using namespace flightreplay::readers;
using namespace reader_test;

namespace {

// node-mavlink in a folder of the build, installed from npm on first use.
void installPeer()
{
    if (std::filesystem::exists(PEER_DIR "/node_modules/node-mavlink/package.json"))
        return;
    std::filesystem::create_directories(PEER_DIR);
    const ProgramRun run = runCommand(std::string(NPM_PROGRAM) + " install --no-audit --no-fund --prefix " PEER_DIR
                                      " node-mavlink@2.3.0",
                                      PEER_DIR);
    ASSERT_EQ(run.status, 0) << "npm could not install node-mavlink, so the peer reader cannot run:\n" << run.err;
}

// The stamps (ms) of system 1's fixes as node-mavlink reads them.
std::multiset<uint64_t> peerFixes(const std::string& bytes)
{
    const std::string dir = makeTempDir();
    writeFile(dir + "/field.tlog", bytes);
    const ProgramRun run = runCommand(std::string(NODE_PROGRAM) + " " PEER_SCRIPT " " PEER_DIR " field.tlog", dir);
    EXPECT_EQ(run.status, 0) << run.err;
    std::multiset<uint64_t> fixes;
    std::istringstream lines(run.out);
    std::string word;
    uint64_t stamp = 0;
    while (lines >> word)
        if (word == "fix" && lines >> stamp)
            fixes.insert(stamp);
    return fixes;
}

// Every record a message of our table fills, the others dropped.
std::string withoutOtherMessages(const std::string& bytes)
{
    std::string kept;
    for (const RecordSpan& r : recordSpans(bytes, 1))
        if (mavlink::messageOf(r.id))
            kept += bytes.substr(r.offset, r.length);
    return kept;
}

} // namespace

TEST(TlogPeerReader, NodeMavlinkFindsTheFixesWeFind)
{
    installPeer();
    const std::string field = fieldTlog(FieldStart::stationChatter);
    const struct {
        const char* what;
        std::string bytes;
        bool same;
    } cases[] = {
        {"only messages of our table", withoutOtherMessages(field), true},
        {"with the messages our table lacks", field, false},
    };
    for (const auto& c : cases) {
        std::multiset<uint64_t> ours;
        for (const RecordSpan& r : recordSpans(c.bytes, 1))
            if (r.fix)
                ours.insert(r.stamp / 1000);
        ASSERT_EQ(readFlightBytes(c.bytes, ReadOptions{}).position.size(), ours.size()) << c.what;
        const std::multiset<uint64_t> theirs = peerFixes(c.bytes);
        if (c.same) {
            EXPECT_EQ(theirs, ours) << c.what;
            continue;
        }
        // Our generator cannot give the packets of messages our table lacks
        // their true CRC (it does not know their CRC extras). node-mavlink
        // knows those messages, takes them for corrupt and searches on for
        // a start byte inside them; a 0xfd or 0xfe there starts a packet it
        // skips by a length read from the wrong byte, real records with it.
        // Ours frames every record by its stamp and length and skips a
        // packet it cannot check by its own length. So node-mavlink reads
        // fewer fixes, and none that we do not.
        EXPECT_LT(theirs.size(), ours.size()) << c.what;
        for (uint64_t stamp : theirs)
            EXPECT_EQ(ours.count(stamp), 1u) << c.what << ": node-mavlink read a fix at " << stamp << " that we did not";
    }
}
