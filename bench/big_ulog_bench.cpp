// A 1 GB ULog to the studio's first picture, next to the converter and a
// bare walk of the message headers on the same file: the real sample's data
// section repeated with its clocks moved on, written into a temporary
// folder (and removed after). Each program runs as its own process, in
// rounds that take turns; the wall time and peak memory (the child's
// maximum resident set) of each, medians over the rounds. The studio draws
// a 1280 x 720 snapshot with no display (EGL), in an empty folder; it does
// the same for the 0.9 MB sample, the part of its time that is not the file's,
// and with its panels (the picture then shows the review). With the
// converter and studio of another build (an older commit), those run in the
// same rounds, for a before-and-after on one machine state.
// Usage: big_ulog_bench [ROUNDS [MB [CONVERT STUDIO]]]   (3 rounds of a 1024 MB file)
//        big_ulog_bench walk FILE                        (the header walk alone)

#include <sys/resource.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "log_writers.h"
#include "repeated_logs.h"

namespace {

struct Run {
    double seconds;
    double peakMb;
};

// Runs argv in dir without DISPLAY, its output into log; exits the bench
// when the program fails.
Run runProgram(const std::vector<std::string>& argv, const std::string& dir, const std::string& log)
{
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        unsetenv("DISPLAY");
        const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || chdir(dir.c_str()) != 0)
            _exit(127);
        dup2(out, 1);
        dup2(out, 2);
        std::vector<char*> args;
        for (const std::string& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed (status %d); its output:\n", argv[0].c_str(), status);
        std::ifstream in(log);
        std::fprintf(stderr, "%s\n", std::string(std::istreambuf_iterator<char>(in), {}).c_str());
        std::exit(1);
    }
    return {seconds, static_cast<double>(usage.ru_maxrss) / 1024.0};
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

int walk(const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return 1;
    flightreplay::readers::ByteReader in(file);
    const uint64_t messages = walkUlogHeaders(in);
    std::fclose(file);
    std::printf("%llu messages\n", static_cast<unsigned long long>(messages));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "walk")
        return walk(argv[2]);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const uint64_t megabytes = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1024;

    std::string dir = (std::filesystem::temp_directory_path() / "big_ulog_bench.XXXXXX").string();
    if (!mkdtemp(dir.data()))
        return 1;
    const std::string sample = REAL_LOG_DIR "/sample_log_small.ulg";
    const bool real = std::filesystem::exists(sample);
    const std::string ulog = dir + "/big.ulg";
    {
        std::ofstream file(ulog, std::ios::binary);
        writeRepeatedUlog(real ? readWholeFile(sample) : reader_test::ulogFlight(), megabytes << 20, file);
    }
    const double mb = static_cast<double>(std::filesystem::file_size(ulog)) / (1 << 20);
    std::printf("%.0f MB ULog from %s, %d rounds\n", mb, real ? "the real sample_log_small.ulg" : "the generated test flight",
                rounds);

    // The last: what the studio takes whatever the file's size. With the
    // panels the picture waits for the review it shows.
    std::vector<std::string> names = {"header walk", "converter (10000 rows)", "studio, first picture",
                                      "studio with panels", "studio on the sample"};
    std::vector<std::vector<std::string>> commands = {
        {std::filesystem::read_symlink("/proc/self/exe").string(), "walk", ulog},
        {CONVERT_BINARY, "--force", ulog, dir + "/big.log"},
        {STUDIO_BINARY, "--size", "1280x720", "--snapshot", dir + "/first.png", ulog},
        {STUDIO_BINARY, "--size", "1280x720", "--panels", "--snapshot", dir + "/panels.png", ulog},
        {STUDIO_BINARY, "--size", "1280x720", "--snapshot", dir + "/sample.png", real ? sample : ulog},
    };
    if (argc > 4) {
        names.push_back("other converter");
        names.push_back("other studio, first picture");
        commands.push_back({argv[3], "--force", ulog, dir + "/other.log"});
        commands.push_back({argv[4], "--size", "1280x720", "--snapshot", dir + "/other.png", ulog});
    }
    std::filesystem::create_directories(dir + "/empty");
    std::vector<std::vector<double>> seconds(commands.size()), peaks(commands.size());
    for (int round = 0; round < rounds; ++round) {
        for (size_t c = 0; c < commands.size(); ++c) {
            const Run run = runProgram(commands[c], dir + "/empty", dir + "/output.txt");
            seconds[c].push_back(run.seconds);
            peaks[c].push_back(run.peakMb);
        }
    }
    const double walkSeconds = median(seconds[0]);
    for (size_t c = 0; c < commands.size(); ++c) {
        const double s = median(seconds[c]);
        std::printf("  %-32s %7.2f s  %6.1f x the walk   peak memory %7.1f MB\n", names[c].c_str(), s, s / walkSeconds,
                    median(peaks[c]));
    }
    std::filesystem::remove_all(dir);
    return 0;
}
