#pragma once
// The aircraft: the AC3D model "./EasyStar/data/body.ac" scaled so that its
// bounding sphere measures 12 metres in the map frame.

#include <osg/MatrixTransform>
#include <osgDB/Options>

// The model file, relative to the working directory.
constexpr const char* AIRCRAFT_MODEL_PATH = "./EasyStar/data/body.ac";
constexpr double AIRCRAFT_RADIUS_METRES = 12.0;

// Scale factor (12 * k) / r for a model of bounding radius r. A model whose
// bound is empty, zero or not finite keeps its own size (factor 1).
double aircraftScale(double k, float boundRadius);

// Reading options (the registry's, cloned) under which every texture a
// model names passes the JPEG check before its reader sees it.
osg::ref_ptr<osgDB::Options> checkedModelOptions();

// The scaled model under a transform of its own, or nullptr (after printing
// "Not found model '...'") when the file cannot be read; the caller takes
// ownership.
osg::MatrixTransform* buildAircraftModel();
