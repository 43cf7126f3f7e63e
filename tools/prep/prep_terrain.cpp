#include <cinttypes>
#include <cstdio>

#include "frame/elevation_tile.h"
#include "frame/grid_geography.h"
#include "frame/map_frame.h"
#include "tools/prep/dem_set.h"
#include "tools/prep/elevation_file.h"
#include "tools/prep/prep_area.h"
#include "tools/common/output_file.h"
#include "tools/prep/prep_commands.h"
#include "tools/common/progress.h"

namespace flightreplay::prep {

void runTerrain(const PrepOptions& options, const std::vector<std::string>& dems)
{
    DemSet demSet(dems);
    tools::makeFolder(options.dir);
    int written = 0;
    int kept = 0;
    SampleCounts total;
    for (const ElevationFileIndex& file : elevationFilesToPrepare(options.planArea)) {
        const std::string name = elevationFileName(file.row * EGM_SPAN, file.col * EGM_SPAN);
        const std::string path = options.dir + "/" + name;
        if (!options.force && isWholeElevationFile(path)) {
            std::printf("kept %s\n", name.c_str());
            ++kept;
            continue;
        }
        SampleCounts counts;
        std::string bytes;
        {
            tools::Progress progress(name, EGM_SIDE);
            bytes = computeElevationFile(demSet, file, counts, &progress);
        }
        tools::writeFileAtomically(path, bytes);
        std::printf("wrote %s: %" PRId64 " samples from DEMs, %" PRId64 " no-data, %" PRId64 " uncovered\n",
                    name.c_str(), counts.fromDem, counts.noData, counts.uncovered);
        total += counts;
        ++written;
    }
    std::printf("terrain: %d elevation files written, %d kept; samples: %" PRId64 " from DEMs, %" PRId64
                " no-data and %" PRId64 " uncovered (written as 0)\n",
                written, kept, total.fromDem, total.noData, total.uncovered);
    if (!options.noRelief) {
        const int drawn = writeReliefTiles(options);
        if (drawn > 0)
            std::printf("terrain: %d relief tiles drawn where imagery is missing\n", drawn);
    }
}

} // namespace flightreplay::prep
