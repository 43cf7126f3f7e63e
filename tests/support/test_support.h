#pragma once
// Helpers shared by the tests: scanning text in-process, capturing what code
// prints on standard output, running the built program, writing files.

#include <functional>
#include <string>

// Resets the flight log table and the scanner, then scans the text as a log.
// Returns what the scanner echoed.
std::string scanText(const std::string& text);

// Runs the function and returns everything it wrote to standard output
// (printf and std::cout alike).
std::string captureStdout(const std::function<void()>& body);

struct ProgramRun {
    int status = -1; // exit status as the shell shows it
    std::string out; // standard output
    std::string err; // standard error
};

// Runs the shell command line in the working directory dir, without DISPLAY.
ProgramRun runCommand(const std::string& command, const std::string& dir = ".");

// The built flightreplay executable.
std::string programPath();

// A fresh empty directory under the system's temporary directory, removed
// when the test program ends.
std::string makeTempDir();

void writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);

// Makes a fresh empty directory the working directory for the object's
// lifetime, since the scene reads its files by relative names.
class TempWorkingDir {
public:
    TempWorkingDir();
    ~TempWorkingDir();
    TempWorkingDir(const TempWorkingDir&) = delete;
    TempWorkingDir& operator=(const TempWorkingDir&) = delete;

private:
    std::string previous_;
    std::string path_;
};
