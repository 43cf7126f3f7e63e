#include "tools/prep/fetch_failure.h"

#include <map>

namespace flightreplay::prep {

std::string describeFailure(const FetchFailure& failure)
{
    switch (failure.kind) {
    case FetchFailure::Kind::httpStatus:
        return "HTTP " + std::to_string(failure.status);
    case FetchFailure::Kind::notATile:
        return "HTTP " + std::to_string(failure.status) + " with a body that is no valid tile";
    case FetchFailure::Kind::notInSource:
        return "not in the source";
    case FetchFailure::Kind::notCached:
        return "not in the cache (--offline)";
    case FetchFailure::Kind::interrupted:
        return "interrupted";
    case FetchFailure::Kind::transfer:
    case FetchFailure::Kind::unreadable:
        break;
    }
    return failure.detail;
}

std::string missingFilesReport(const std::vector<MissingFile>& missing)
{
    std::string report;
    std::map<std::string, int> filesByReason;
    for (const MissingFile& file : missing) {
        const std::string reason = describeFailure(file.failure);
        report += "missing " + file.file + " (" + (file.source.empty() ? reason : file.source + ": " + reason) + ")\n";
        ++filesByReason[reason];
    }
    for (const auto& [reason, count] : filesByReason)
        report += "failed: " + std::to_string(count) + (count == 1 ? " file: " : " files: ") + reason + "\n";
    return report;
}

} // namespace flightreplay::prep
