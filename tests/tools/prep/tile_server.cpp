#include "tile_server.h"

#include <chrono>
#include <csignal>
#include <sstream>
#include <stdexcept>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

#include "support/test_support.h"

namespace {

constexpr std::chrono::milliseconds POLL_INTERVAL{10};

} // namespace

TileServer::TileServer(const std::string& root, const std::vector<std::string>& extra)
{
    const std::string state = makeTempDir();
    const std::string portFile = state + "/port";
    log_ = state + "/requests.log";
    std::vector<std::string> args = {"python3", TILE_SERVER_SCRIPT, root, "--port-file", portFile, "--log", log_};
    args.insert(args.end(), extra.begin(), extra.end());
    pid_ = fork();
    if (pid_ == 0) {
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    for (int i = 0; i < 500; ++i) {
        const std::string port = readFile(portFile);
        if (!port.empty()) {
            url_ = "http://127.0.0.1:" + port;
            return;
        }
        std::this_thread::sleep_for(POLL_INTERVAL);
    }
    throw std::runtime_error("the tile server did not start");
}

TileServer::~TileServer()
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
}

std::vector<double> TileServer::requestTimes() const
{
    // A line still being written has no newline yet and is left for later.
    std::istringstream log(readFile(log_));
    std::vector<double> times;
    std::string line;
    while (std::getline(log, line) && !log.eof())
        times.push_back(std::stod(line));
    return times;
}

bool TileServer::waitForRequests(int count, double seconds) const
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (requests() < count) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(POLL_INTERVAL);
    }
    return true;
}
