#include "tools/convert/flight_reviews.h"

#include <algorithm>
#include <cstdio>

#include "tools/common/output_file.h"
#include "tools/common/tool_error.h"
#include "tools/flight/field_catalogue.h"

namespace flightreplay::convert {

using flight::Flight;
using tools::ToolError;

namespace {

std::vector<Flight> readAll(const std::string& in, const readers::ReadOptions& options)
{
    try {
        if (options.system != 0)
            return {readers::readFlightFile(in, options)};
        return readers::readFlightsOfFile(in, options);
    } catch (const ToolError& error) {
        throw ToolError(in + ": " + error.what());
    }
}

void printNotes(const std::string& in, const std::vector<Flight>& flights)
{
    for (const Flight& data : flights)
        for (const std::string& note : data.notes)
            std::fprintf(stderr, "%s: %s\n", in.c_str(), note.c_str());
}

} // namespace

review::Review reviewOfFlights(const std::vector<Flight>& flights)
{
    review::Review all;
    const bool several = flights.size() > 1;
    for (const Flight& data : flights) {
        review::Review one = review::reviewFlight(data);
        const std::string who = several ? "system " + std::to_string(data.systemId) + ": " : "";
        for (review::Finding& f : one.findings) {
            f.text = who + f.text;
            all.findings.push_back(std::move(f));
        }
        for (const std::string& note : one.notes)
            all.notes.push_back(who + note);
    }
    std::stable_sort(all.findings.begin(), all.findings.end(), [](const review::Finding& a, const review::Finding& b) { return a.start < b.start; });
    return all;
}

int reviewFile(const std::string& in, const readers::ReadOptions& options, bool table, const std::string& jsonOut, bool force)
{
    if (!jsonOut.empty() && jsonOut != "-" && !force && tools::fileExists(jsonOut))
        throw ToolError(jsonOut + ": exists; --force overwrites it");
    readers::ReadOptions keeping = options;
    keeping.keepFields = review::reviewFieldKeys();
    const std::vector<Flight> flights = readAll(in, keeping);
    printNotes(in, flights);
    // One vehicle's findings stay in the review's own order; several are
    // put in time order together.
    const review::Review review = flights.size() == 1 ? review::reviewFlight(flights.front()) : reviewOfFlights(flights);
    if (table)
        tools::writeOutput("-", review::reviewTable(review));
    if (!jsonOut.empty())
        tools::writeOutput(jsonOut, review::reviewJson(review));
    return 0;
}

int listFields(const std::string& in, const readers::ReadOptions& options, const std::vector<std::string>& names)
{
    const std::vector<Flight> flights = readAll(in, options);
    printNotes(in, flights);
    std::string text;
    if (!names.empty()) {
        const Flight& data = flights.front();
        for (const std::string& name : names)
            if (!flight::hasField(data, name))
                throw ToolError(in + ": no field " + name + " (--fields lists them)");
        const std::vector<flight::Series> series = flight::readFields(data, names);
        const double zero = data.position.empty() ? 0.0 : data.position.front().t;
        char line[64];
        for (size_t i = 0; i < names.size(); ++i)
            for (const flight::Sample& s : series[i]) {
                std::snprintf(line, sizeof line, "\t%.6f\t%.9g\n", s.t - zero, s.value);
                text += names[i] + line;
            }
        tools::writeOutput("-", text);
        return 0;
    }
    for (const Flight& data : flights) {
        if (flights.size() > 1)
            text += "system " + std::to_string(data.systemId) + ":\n";
        if (!data.fields || data.fields->fields().empty()) {
            text += std::string("no fields of its own: a ") + flight::formatTitle(data.format) + " file\n";
            continue;
        }
        for (const flight::FieldInfo& field : data.fields->fields())
            text += field.name + "\t" + field.unit + "\n";
    }
    tools::writeOutput("-", text);
    return 0;
}

} // namespace flightreplay::convert
