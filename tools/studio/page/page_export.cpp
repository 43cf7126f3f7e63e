#include "tools/studio/page/page_export.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "frame/map_frame.h"
#include "tools/common/output_file.h"
#include "tools/common/late_progress.h"
#include "tools/common/tool_error.h"
#include "tools/studio/page/page_document.h"
#include "tools/studio/page/page_flights.h"
#include "tools/studio/page/page_ground.h"
#include "tools/studio/studio_app.h"
#include "tools/studio/studio_assets.h"
#include "tools/studio/studio_flights.h"
#include "tools/studio/studio_ground.h"

namespace flightreplay::page {

namespace {

constexpr int SKY_JPEG_QUALITY = 85;
constexpr const char* ATTRIBUTION_FILE = "ATTRIBUTION.txt";
// The radius of the replay's sky sphere (scene/sky_dome.cpp), scene units.
constexpr double SKY_RADIUS_UNITS = 200.0;

std::string fileText(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return file ? text.str() : std::string();
}

// Fails before the work, not after it, where the page could never be
// written: the temporary file beside the page must be possible.
void checkWritable(const std::string& path)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (!error && std::filesystem::is_directory(status))
        throw tools::ToolError(path + ": is a folder, not a file name");
    if (!error && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
        return;
    const std::string temporary = path + ".part";
    FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file)
        throw tools::ToolError(temporary + ": cannot create: " + std::strerror(errno));
    std::fclose(file);
    tools::removeQuietly(temporary);
}

std::string titleOf(const studio::StudioOptions& options)
{
    std::string title;
    for (const std::string& path : options.logPaths)
        title += (title.empty() ? "" : ", ") + studio::fileNameOf(path);
    return title;
}

nlohmann::json buildData(const studio::StudioOptions& options, std::vector<std::string>& notes, tools::LateProgress& progress)
{
    const auto step = [&progress] { progress.advance(); };
    studio::StudioState state;
    studio::initStudioState(state, options);
    step();
    const studio::StudioGround ground = studio::buildStudioGround(*state.flights.front().flight, studio::fetchHintOf(options));
    state.ground = ground.info;
    if (!ground.note.empty())
        notes.push_back(ground.note);
    step();

    nlohmann::json data;
    data["title"] = titleOf(options);
    data["metresPerUnit"] = 1.0 / mapFrame.k;
    data["skyRadius"] = SKY_RADIUS_UNITS / mapFrame.k;
    data["ground"] = pageGround(ground);
    step();
    std::string skyNote;
    data["sky"] = jpegDataUrl(*studio::skyImageFor(skyNote), SKY_JPEG_QUALITY);
    if (!skyNote.empty())
        notes.push_back(skyNote);
    PageFlights flights = pageFlights(state, options.model);
    notes.insert(notes.end(), flights.notes.begin(), flights.notes.end());
    data["flights"] = std::move(flights.flights);
    data["models"] = std::move(flights.models);
    data["duration"] = state.clock.duration();
    data["attribution"] = fileText(ATTRIBUTION_FILE);
    data["startTime"] = options.time;
    step();
    return data;
}

} // namespace

int runPageExport(const studio::StudioOptions& options)
{
    const std::string& path = options.pagePath;
    checkWritable(path);
    std::vector<std::string> notes;
    size_t bytes = 0;
    {
        // The bar's last line ends before the notes.
        tools::LateProgress progress("export-page", 5, {"steps", ""}, 2.0, false);
        const nlohmann::json data = buildData(options, notes, progress);
        const std::string page = pageDocument(data["title"].get<std::string>(), data);
        tools::writeFileAtomically(path, page);
        bytes = page.size();
        progress.advance();
    }
    for (const std::string& note : notes)
        std::printf("%s\n", note.c_str());
    std::printf("%s: %.1f MB, %zu flight%s\n", path.c_str(), static_cast<double>(bytes) / 1e6,
                options.logPaths.size(), options.logPaths.size() == 1 ? "" : "s");
    return 0;
}

} // namespace flightreplay::page
