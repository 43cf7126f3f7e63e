#pragma once
// The sky picture "sky12q-1024x512.jpeg": the sphere's texture runs once
// around the horizon from left to right and from the nadir at the bottom to
// the zenith at the top, so the middle row is the horizon.

#include <string>

namespace flightreplay::demo {

// Writes the sky picture to path (JPEG), renamed into place once whole;
// false when it cannot be written.
bool writeSkyImage(const std::string& path);

} // namespace flightreplay::demo
