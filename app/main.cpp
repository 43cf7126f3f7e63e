#include <cstdio>

#include "frame/map_frame.h"
#include "log/log_reader.h"
#include "scene/viewer.h"

int main(int argc, char** argv)
{
    if (argc <= 1) {
        std::printf("U: %s smltm.log\n", argc > 0 ? argv[0] : "flightreplay");
        return -1;
    }
    if (!readLogFile(argv[1])) {
        std::printf("Not open '%s'\n", argv[1]);
        return -2;
    }
    summarizeLog();
    runViewer();
    return 0;
}
