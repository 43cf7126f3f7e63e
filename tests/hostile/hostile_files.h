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
