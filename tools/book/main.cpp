// flightreplay-book: every flight of a folder tree in one SQLite book.

#include "tools/book/book_command.h"
#include "tools/common/tool_main.h"
#ifdef FLIGHTREPLAY_HAVE_PAGE
#include "tools/studio/page/page_export.h"
#endif

int main(int argc, char** argv)
{
    flightreplay::book::FlightPageWriter writeFlightPage;
#ifdef FLIGHTREPLAY_HAVE_PAGE
    writeFlightPage = [](const std::string& log, const std::string& page) {
        flightreplay::studio::StudioOptions options;
        options.logPaths = {log};
        options.pagePath = page;
        flightreplay::page::runPageExport(options);
    };
#endif
    return flightreplay::tools::runTool("flightreplay-book", flightreplay::book::bookUsage(), argc, argv,
                                        [&writeFlightPage](const std::vector<std::string>& args) {
                                            return flightreplay::book::runBook(args, writeFlightPage);
                                        });
}
