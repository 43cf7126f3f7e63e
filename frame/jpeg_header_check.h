#pragma once
// A look at a JPEG file's headers before the image reader decodes it.

#include <istream>
#include <string>

// Largest picture the check lets through, far above what the program's
// pictures need (tiles of 256 x 256, a sky of 1024 x 512): the reader
// allocates the declared size before it reads a single pixel.
constexpr long JPEG_MAX_SIDE = 16384;
constexpr long JPEG_MAX_PIXELS = 4096L * 4096L;
// Most scans the check lets through; encoders' progressive pictures take
// about ten, and every scan costs the reader a pass over the whole picture.
constexpr int JPEG_MAX_SCANS = 100;

// False when the file is a JPEG with a frame header declaring more than
// JPEG_MAX_SIDE pixels on a side or JPEG_MAX_PIXELS in all, with more than
// JPEG_MAX_SCANS scans, or with an EXIF block (APP1 segment starting
// "Exif\0\0") before its first scan that is cut short or whose TIFF
// structure is malformed: a header other than "II*\0" or "MM\0*", or an
// image directory, its entries, an out-of-line value or a next-directory
// link reaching outside the segment, or directories linked in a loop. True
// otherwise, also for a file that is missing, unreadable or no JPEG at all
// (the reader reports those itself).
bool jpegHeaderFits(const std::string& path);

// The same for the JPEG bytes `in` reads from its current position on.
bool jpegHeaderFits(std::istream& in);
