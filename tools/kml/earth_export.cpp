#include "tools/kml/earth_export.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>

#include <osgDB/FileNameUtils>

#include "tools/assets/vehicle_model.h"
#include "tools/assets/vehicle_type.h"
#include "tools/common/output_file.h"
#include "tools/common/tool_error.h"
#include "tools/kml/collada_model.h"
#include "tools/kml/kml_document.h"
#include "tools/common/late_progress.h"
#include "tools/kml/zip_archive.h"
#include "tools/review/flight_review.h"

namespace flightreplay::kml {

namespace {

std::string lowerExtension(const std::string& path)
{
    std::string extension = osgDB::getFileExtension(path);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

flight::Flight readFlight(const std::string& path, const readers::ReadOptions& read)
{
    flight::Flight flight;
    try {
        flight = readers::readFlightFile(path, read);
    } catch (const tools::ToolError& error) {
        throw tools::ToolError(path + ": " + error.what());
    }
    if (flight.position.empty())
        throw tools::ToolError(path + ": no position fix, nothing to put on the map");
    for (const std::string& note : flight.notes)
        std::fprintf(stderr, "%s: %s\n", path.c_str(), note.c_str());
    return flight;
}

struct VehicleFiles {
    std::string href;     // within the KMZ
    double chaseDistance; // metres
    osg::ref_ptr<osg::Node> model;
};

} // namespace

bool isGoogleEarthPath(const std::string& path)
{
    const std::string extension = lowerExtension(path);
    return extension == "kmz" || extension == "kml";
}

void exportGoogleEarth(const std::vector<std::string>& flightPaths, const readers::ReadOptions& read,
                       const std::string& out, bool force)
{
    if (!isGoogleEarthPath(out))
        throw tools::ToolError(out + ": a Google Earth file ends in .kmz or .kml");
    if (!force && tools::fileExists(out))
        throw tools::ToolError(out + ": exists; --force overwrites it");
    const bool archive = lowerExtension(out) == "kmz";

    tools::LateProgress progress("Google Earth", static_cast<int64_t>(2 * flightPaths.size() + 2), {"steps", ""});
    // The review's fields kept as each file is read: the review then reads
    // no file a second time.
    readers::ReadOptions keeping = read;
    keeping.keepFields = review::reviewFieldKeys();
    std::vector<flight::Flight> flights;
    flights.reserve(flightPaths.size());
    for (const std::string& path : flightPaths) {
        flights.push_back(readFlight(path, keeping));
        progress.advance();
    }

    std::vector<review::Review> reviews;
    reviews.reserve(flights.size());
    for (const flight::Flight& f : flights)
        reviews.push_back(review::reviewFlight(f));

    std::map<flight::VehicleType, VehicleFiles> vehicles;
    std::vector<ZipEntry> entries(1);
    std::vector<KmlFlight> layers;
    for (size_t i = 0; i < flights.size(); ++i) {
        const flight::VehicleType type = assets::vehicleTypeOf(flights[i]);
        auto found = vehicles.find(type);
        if (found == vehicles.end()) {
            VehicleFiles files;
            files.model = assets::loadVehicleModel(type, "");
            files.chaseDistance = assets::chaseDistanceFor(assets::modelRadius(*files.model));
            if (archive) {
                files.href = std::string("models/") + assets::vehicleTypeName(type) + ".dae";
                entries.push_back({files.href, colladaModel(*files.model)});
            }
            found = vehicles.emplace(type, files).first;
        }
        layers.push_back({&flights[i], osgDB::getSimpleFileName(flightPaths[i]), found->second.href,
                          found->second.chaseDistance, &reviews[i]});
        progress.advance();
    }

    const std::string document = kmlDocument(layers);
    progress.advance();
    if (archive) {
        // Google Earth opens the first .kml in the archive: the document goes first.
        entries[0] = {"doc.kml", document};
        tools::writeFileAtomically(out, zipArchive(entries));
    } else {
        tools::writeFileAtomically(out, document);
    }
    progress.advance();
}

} // namespace flightreplay::kml
