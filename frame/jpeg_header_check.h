#pragma once
// A look at a JPEG file's header before the image reader decodes it.

#include <string>

// Largest picture the check lets through, far above what the program's
// pictures need (tiles of 256 x 256, a sky of 1024 x 512): the reader
// allocates the declared size before it reads a single pixel.
constexpr long JPEG_MAX_SIDE = 16384;
constexpr long JPEG_MAX_PIXELS = 4096L * 4096L;

// False when the file is a JPEG whose frame header declares more than
// JPEG_MAX_SIDE pixels on a side or JPEG_MAX_PIXELS in all; true otherwise,
// also for a file that is missing, unreadable or no JPEG at all (the reader
// reports those itself).
bool jpegSizeFits(const std::string& path);
