#include "support/test_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <vector>
#include <unistd.h>

#include "log/console_report.h"
#include "log/flight_log.h"
#include "log/log_reader.h"
#include "log/log_scanner.h"

namespace {

void appendTo(const char* text, size_t length, void* context)
{
    static_cast<std::string*>(context)->append(text, length);
}

// The folders makeTempDir made, removed with everything in them when the
// test program ends; a forked child that leaves through exit() keeps its
// parent's.
class MadeFolders {
public:
    void add(const std::string& path) { paths_.push_back(path); }
    ~MadeFolders()
    {
        if (getpid() != owner_)
            return;
        std::error_code ignored;
        for (const std::string& path : paths_)
            std::filesystem::remove_all(path, ignored);
    }

private:
    pid_t owner_ = getpid();
    std::vector<std::string> paths_;
};

MadeFolders& madeFolders()
{
    static MadeFolders folders;
    return folders;
}

} // namespace

std::string scanText(const std::string& text)
{
    FILE* input = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    if (text.empty()) {
        std::fclose(input);
        input = std::fopen("/dev/null", "r");
    }
    std::string echoed;
    setConsoleSink(appendTo, &echoed);
    readLog(input);
    setConsoleSink(nullptr, nullptr);
    std::fclose(input);
    return echoed;
}

std::string captureStdout(const std::function<void()>& body)
{
    std::fflush(stdout);
    std::cout.flush();
    FILE* sink = std::tmpfile();
    const int saved = dup(STDOUT_FILENO);
    dup2(fileno(sink), STDOUT_FILENO);
    body();
    std::fflush(stdout);
    std::cout.flush();
    dup2(saved, STDOUT_FILENO);
    close(saved);
    std::rewind(sink);
    std::string out;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, sink)) > 0)
        out.append(buffer, n);
    std::fclose(sink);
    return out;
}

ProgramRun runCommand(const std::string& command, const std::string& dir)
{
    const std::string outPath = makeTempDir() + "/out";
    const std::string errPath = outPath + ".err";
    const std::string line = "cd '" + dir + "' && env -u DISPLAY " + command + " >'" + outPath + "' 2>'" + errPath + "'";
    const int raw = std::system(line.c_str());
    ProgramRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    run.out = readFile(outPath);
    run.err = readFile(errPath);
    std::remove(outPath.c_str());
    std::remove(errPath.c_str());
    rmdir(outPath.substr(0, outPath.size() - 4).c_str());
    return run;
}

std::string programPath()
{
    return FLIGHTREPLAY_BINARY;
}

std::string makeTempDir()
{
    char pattern[] = "/tmp/flightreplay-test-XXXXXX";
    if (!mkdtemp(pattern))
        throw std::runtime_error("mkdtemp failed");
    madeFolders().add(pattern);
    return pattern;
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream file(path, std::ios::binary);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string readFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

TempWorkingDir::TempWorkingDir() : previous_(std::filesystem::current_path().string()), path_(makeTempDir())
{
    std::filesystem::current_path(path_);
}

TempWorkingDir::~TempWorkingDir()
{
    std::filesystem::current_path(previous_);
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}
