#include "tools/book/book_command.h"

#include <cstdio>
#include <filesystem>
#include <set>

#include "tools/book/book_listing.h"
#include "tools/book/book_merge.h"
#include "tools/book/book_page.h"
#include "tools/book/book_paths.h"
#include "tools/book/book_schema.h"
#include "tools/book/book_update.h"
#include "tools/common/output_file.h"
#include "tools/common/parse_number.h"
#include "tools/common/tool_error.h"

namespace flightreplay::book {

using tools::ToolError;
namespace fs = std::filesystem;

namespace {

constexpr unsigned MAX_JOBS = 256;

struct BookOptions {
    std::string db = "logbook.sqlite";
    bool dbGiven = false;
    std::string shard;
    std::string merge;
    bool list = false;
    bool totals = false;
    std::string where;
    bool whereGiven = false;
    std::string page;
    std::string flightPages;
    unsigned jobs = 0;
    std::vector<std::string> paths;
};

BookOptions parseOptions(const std::vector<std::string>& args)
{
    BookOptions options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool valued = arg == "--db" || arg == "--shard" || arg == "--merge" || arg == "--where" ||
                            arg == "--page" || arg == "--flight-pages" || arg == "--jobs";
        if (valued) {
            if (i + 1 >= args.size())
                throw ToolError(arg + " needs a value (see --help)");
            const std::string& value = args[++i];
            if (arg == "--db") {
                options.db = value;
                options.dbGiven = true;
            } else if (arg == "--shard") {
                options.shard = value;
            } else if (arg == "--merge") {
                options.merge = value;
            } else if (arg == "--where") {
                options.where = value;
                options.whereGiven = true;
            } else if (arg == "--page") {
                options.page = value;
            } else if (arg == "--flight-pages") {
                options.flightPages = value;
            } else {
                const double jobs = tools::parseNumber(arg, value);
                if (jobs < 1 || jobs > MAX_JOBS || jobs != static_cast<double>(static_cast<unsigned>(jobs)))
                    throw ToolError("--jobs needs a whole number of files read at once, 1 to " +
                                    std::to_string(MAX_JOBS) + ", not '" + value + "'");
                options.jobs = static_cast<unsigned>(jobs);
            }
        } else if (arg == "--list") {
            options.list = true;
        } else if (arg == "--totals") {
            options.totals = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            throw ToolError(arg + ": unknown option (see --help)");
        } else {
            options.paths.push_back(arg);
        }
    }
    const int modes = !options.shard.empty() + !options.merge.empty() + options.list + options.totals +
                      !options.page.empty();
    if (modes > 1)
        throw ToolError("one of --shard, --merge, --list, --totals and --page at a time");
    const bool reading = options.list || options.totals || !options.page.empty();
    if (reading && !options.paths.empty())
        throw ToolError("--list, --totals and --page read the book: no folders beside them");
    if (options.whereGiven && !reading)
        throw ToolError("--where chooses flights for --list, --totals or --page");
    if (!options.flightPages.empty() && options.page.empty())
        throw ToolError("--flight-pages goes with --page");
    if ((!options.shard.empty() || !options.merge.empty()) && options.dbGiven)
        throw ToolError("--shard and --merge name their own book: no --db beside them");
    if (!options.merge.empty() && options.paths.empty())
        throw ToolError("--merge needs the shards to join");
    if (!reading && options.merge.empty() && options.paths.empty())
        throw ToolError("no folder given (see --help)");
    return options;
}

// A shard is written whole: under a temporary name, renamed once complete.
int runShard(const BookOptions& options)
{
    const std::string part = options.shard + ".part";
    for (const std::string& leftover : {part, part + "-journal"})
        tools::removeQuietly(leftover);
    UpdateCounts counts;
    {
        const auto db = openBook(part, OpenMode::create);
        counts = updateBook(*db, options.shard, options.paths, options.jobs);
    }
    tools::renameIntoPlace(part, options.shard);
    std::printf("%s\n", closingLine(counts).c_str());
    return 0;
}

std::string relativeFolder(const std::string& folder, const std::string& from)
{
    const fs::path absolute = fs::absolute(folder).lexically_normal();
    const fs::path base = fs::absolute(from).lexically_normal().parent_path();
    const fs::path relative = absolute.lexically_relative(base);
    return (relative.empty() ? absolute : relative).generic_string();
}

int runPage(const BookOptions& options, const FlightPageWriter& writeFlightPage)
{
    const auto db = openBook(options.db, OpenMode::readOnly);
    std::string pagesLink;
    if (!options.flightPages.empty()) {
        if (!writeFlightPage)
            throw ToolError("--flight-pages: this build has no flight pages (the studio's page export was not built)");
        tools::makeFolder(options.flightPages);
        const std::string folder = bookFolder(options.db);
        Statement paths(*db, "SELECT DISTINCT path FROM flights" + whereClause(options.where) + " ORDER BY path");
        while (paths.step()) {
            const std::string key = paths.text(0);
            try {
                writeFlightPage(pathOfKey(key, folder), options.flightPages + "/" + flightPageName(key));
            } catch (const std::exception& failure) {
                std::fflush(stdout);
                std::fprintf(stderr, "%s: no flight page: %s\n", key.c_str(), failure.what());
            }
        }
        pagesLink = relativeFolder(options.flightPages, options.page);
    }
    const std::string title = fs::path(options.db).stem().string();
    const std::string page = bookPage(*db, title, options.where, pagesLink);
    tools::writeFileAtomically(options.page, page);
    std::printf("%s: %.1f MB\n", options.page.c_str(), static_cast<double>(page.size()) / 1e6);
    return 0;
}

} // namespace

const char* bookUsage()
{
    return "usage: flightreplay-book [--db FILE] [--jobs N] FOLDER...\n"
           "       flightreplay-book [--db FILE] --list [--where 'SQL condition']\n"
           "       flightreplay-book [--db FILE] --totals [--where 'SQL condition']\n"
           "       flightreplay-book [--db FILE] --page OUT.html [--flight-pages DIR] [--where 'SQL condition']\n"
           "       flightreplay-book --shard OUT.sqlite [--jobs N] FOLDER...\n"
           "       flightreplay-book --merge BOOK.sqlite SHARD.sqlite...\n"
           "  FOLDER...            read every flight log in the folders (and below; files too) into the book;\n"
           "                       a second run reads only new or changed files and drops those gone\n"
           "  --db FILE            the book, an SQLite database (default logbook.sqlite)\n"
           "  --jobs N             files read at once (default: one per core)\n"
           "  --list               the flights, with totals per vehicle kind and per year\n"
           "  --totals             the totals alone\n"
           "  --where COND         an SQL condition on the flights table, e.g. \"vehicle = 'multicopter'\",\n"
           "                       \"start_utc LIKE '2026-05%'\", \"failures > 0\"\n"
           "  --page OUT.html      the book as one page to read offline\n"
           "  --flight-pages DIR   with --page: each log's own page (the studio's --export-page), linked\n"
           "  --shard OUT.sqlite   a book of these folders alone, written whole: one share of a fleet\n"
           "  --merge BOOK SHARD...  the shards joined into BOOK\n";
}

int runBook(const std::vector<std::string>& args, const FlightPageWriter& writeFlightPage)
{
    const BookOptions options = parseOptions(args);
    if (!options.shard.empty())
        return runShard(options);
    if (!options.merge.empty()) {
        std::printf("%s\n", mergeBooks(options.merge, options.paths).c_str());
        return 0;
    }
    if (!options.page.empty())
        return runPage(options, writeFlightPage);
    if (options.list || options.totals) {
        const auto db = openBook(options.db, OpenMode::readOnly);
        const std::string text = options.list ? listFlights(*db, options.where) : flightTotals(*db, options.where);
        std::fputs(text.c_str(), stdout);
        return 0;
    }
    const auto db = openBook(options.db, OpenMode::create);
    const UpdateCounts counts = updateBook(*db, options.db, options.paths, options.jobs);
    std::printf("%s\n", closingLine(counts).c_str());
    return 0;
}

} // namespace flightreplay::book
