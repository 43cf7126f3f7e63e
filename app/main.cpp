#include <cstdio>

#include "app/log_summary.h"
#include "app/viewer.h"
#include "log/log_reader.h"

int main(int argc, char** argv)
{
    if (argc <= 1) {
        std::printf("U: %s smltm.log\n", argc > 0 ? argv[0] : "flightreplay");
        return -1;
    }
    FILE* log = std::fopen(argv[1], "r");
    if (!log) {
        std::printf("Not open '%s'\n", argv[1]);
        return -2;
    }
    readLog(log);
    std::fclose(log);
    summarizeLog();
    runViewer();
    return 0;
}
