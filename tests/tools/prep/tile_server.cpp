#include "tile_server.h"

#include <chrono>
#include <csignal>
#include <stdexcept>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

#include "support/test_support.h"

TileServer::TileServer(const std::string& root, const std::vector<std::string>& extra)
{
    const std::string state = makeTempDir();
    const std::string portFile = state + "/port";
    countFile_ = state + "/count";
    std::vector<std::string> args = {"python3", TILE_SERVER_SCRIPT, root, "--port-file", portFile,
                                     "--count-file", countFile_};
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
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
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

int TileServer::requests() const
{
    const std::string count = readFile(countFile_);
    return count.empty() ? 0 : std::stoi(count);
}
