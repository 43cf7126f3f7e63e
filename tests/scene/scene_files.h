#pragma once
// Data files the scene reads, made by the tests themselves: JPEG pictures
// written with the image plug-ins and AC3D models written as text.

#include <string>

#include <osg/Vec3>

#include "support/test_support.h"

// Orange and purple bands, so that a picture of the sky is easy to tell from
// anything else on screen.
constexpr unsigned char SKY_ORANGE[3] = {255, 128, 0};
constexpr unsigned char SKY_PURPLE[3] = {120, 0, 170};

// Writes a width x height JPEG of horizontal bands band pixels high,
// alternating orange and purple from the top. Returns false if no writer took it.
bool writeBandedSky(const std::string& path, int width, int height, int band);

// Writes a width x height JPEG in one colour.
bool writeSolidJpeg(const std::string& path, int width, int height, const unsigned char rgb[3]);

// Writes an AC3D model of one triangle with the given corners.
void writeTriangleModel(const std::string& path, const osg::Vec3& a, const osg::Vec3& b, const osg::Vec3& c);

// Writes a small AC3D aircraft: a fuselage and a wing, about two units long.
void writeSketchAircraft(const std::string& path);

// Creates the directory and its missing parents.
void makeDirectories(const std::string& path);
