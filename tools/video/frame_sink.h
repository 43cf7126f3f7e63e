#pragma once
// Where rendered frames go: buffers lent for one frame at a time, filled
// with RGBA rows bottom-up (as OpenGL reads them back) and handed back.

#include <cstdint>

namespace flightreplay::video {

class FrameSink {
public:
    virtual ~FrameSink() = default;
    // A buffer of width * height * 4 bytes for the next frame; may wait.
    virtual uint8_t* nextFrame() = 0;
    // Takes the buffer last returned by nextFrame().
    virtual void submitFrame() = 0;
};

} // namespace flightreplay::video
