#pragma once
// Malformed data files for the hostile-input tests: pictures made by the
// real OSG plug-ins and then damaged, and small AC3D models.

#include <string>
#include <vector>

// A w x h JPEG (or PNG) of one colour, written by the OSG plug-in.
std::string jpegBytes(int width, int height);
std::string pngBytes(int width, int height);

// The JPEG with its frame header changed to declare width x height.
std::string withDeclaredSize(std::string jpeg, int width, int height);

// One TIFF directory entry; a SHORT of count 1 sits in the first two bytes
// of the value field, anything else fills it as a 32-bit word.
struct ExifEntry {
    unsigned tag, type, count, value;
};

// EXIF's TIFF structure in byte order "II" or "MM": header pointing at
// ifd0, then at offset 8 a directory claiming `count` entries, the given
// entries, the next-directory link and `tail` zero bytes.
std::string exifTiff(const std::string& order, unsigned ifd0, unsigned count, const std::vector<ExifEntry>& entries,
                     unsigned next = 0, size_t tail = 0);

// A well-formed EXIF structure with orientation 6 (turned a quarter).
std::string exifOriented(const std::string& order);

// The JPEG with an APP1 segment "Exif\0\0" + tiff after its start marker.
std::string withExif(const std::string& jpeg, const std::string& tiff);

// Reproducible noise.
std::string randomBytes(size_t count, unsigned seed);

struct HostileFile {
    std::string name;
    std::string bytes;
};

// Damaged pictures that must read as no picture at all, and a file that
// declares 65000 x 65000, which the JPEG reader would try to allocate.
std::vector<HostileFile> hostilePictures();

// A valid one-triangle AC3D model in which numvert, numsurf, refs and the
// child count of the world object can be replaced.
std::string acModel(const std::string& numvert = "3", const std::string& numsurf = "1",
                    const std::string& refs = "3", const std::string& worldKids = "1");

// An AC3D world holding objects nested `depth` deep, each with one child.
std::string acNested(int depth);
