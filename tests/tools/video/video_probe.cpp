#include "video_probe.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <sstream>
#include <sys/stat.h>

namespace videotest {

namespace {

// A file name as one word of the shell, whatever quotes and spaces it holds.
std::string quoted(const std::string& path)
{
    std::string word = "'";
    for (char c : path)
        word += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return word + "'";
}

} // namespace

std::string commandOutput(const std::string& command)
{
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return out;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, n);
    pclose(pipe);
    return out;
}

VideoFacts probeVideo(const std::string& path)
{
    const std::string text = commandOutput(
        "ffprobe -v error -select_streams v:0 -count_frames -show_entries "
        "stream=codec_name,pix_fmt,width,height,nb_read_frames:format=duration -of default=noprint_wrappers=1 " +
        quoted(path));
    std::map<std::string, std::string> values;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const size_t eq = line.find('=');
        if (eq != std::string::npos)
            values[line.substr(0, eq)] = line.substr(eq + 1);
    }
    VideoFacts facts;
    facts.codec = values["codec_name"];
    facts.pixelFormat = values["pix_fmt"];
    facts.width = std::atoi(values["width"].c_str());
    facts.height = std::atoi(values["height"].c_str());
    facts.frames = std::atoll(values["nb_read_frames"].c_str());
    facts.durationS = std::atof(values["duration"].c_str());
    return facts;
}

std::vector<uint8_t> decodeFrame(const std::string& path, int index, int width, int height)
{
    const std::string raw = commandOutput("ffmpeg -v error -i " + quoted(path) + " -vf 'select=eq(n\\," +
                                          std::to_string(index) +
                                          ")' -vframes 1 -f rawvideo -pix_fmt rgb24 pipe:1");
    std::vector<uint8_t> rgb(raw.begin(), raw.end());
    if (rgb.size() != static_cast<size_t>(width) * static_cast<size_t>(height) * 3)
        rgb.clear();
    return rgb;
}

double psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    if (a.empty() || a.size() != b.size())
        return 0;
    double sum = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        const double d = double(a[i]) - double(b[i]);
        sum += d * d;
    }
    const double mse = sum / double(a.size());
    return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

bool exists(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

} // namespace videotest
