#pragma once
// Google Earth files read back as their consumers read them: the features
// GDAL's LIBKML driver sees, and files inside a KMZ through GDAL's zip
// reader.

#include <string>
#include <vector>

struct EarthFeature {
    std::string layer;
    std::string name;
    std::string geometry;  // "LINESTRING", "POINT", ... ; empty without one
    int points = 0;        // of a line
    double x = 0, y = 0, z = 0; // of a point: longitude, latitude, altitude
    std::string begin;     // "YYYY-MM-DDThh:mm:ss.sss" where set
    std::string end;
    std::string timestamp;
    std::string description;
};

// Every feature of every layer; empty when GDAL cannot open the file.
std::vector<EarthFeature> readEarthFeatures(const std::string& path);

// The feature of that name; fails the test and returns an empty one when
// there is none.
EarthFeature featureNamed(const std::vector<EarthFeature>& features, const std::string& name);

// The bytes of `inner` within the zip archive at `archive`; empty when missing.
std::string zipMember(const std::string& archive, const std::string& inner);

// "YYYY-MM-DDThh:mm:ss.sss" of seconds since 1970, through the C library.
std::string utcText(double secondsSince1970);
