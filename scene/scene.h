#pragma once
// Scene assembly: the root group with lighting off and its
// children in a fixed order.

#include <osg/Group>
#include <osg/ref_ptr>

// The four parts of a scene, each a subtree or null (left out).
struct SceneParts {
    osg::ref_ptr<osg::Node> terrain;
    osg::ref_ptr<osg::Node> track;
    osg::ref_ptr<osg::Node> sky;
    osg::ref_ptr<osg::Node> aircraft;
};

// The root (lighting off) over the parts in the order terrain, track, sky,
// aircraft; the caller takes ownership.
osg::Group* assembleScene(const SceneParts& parts);

// The root of the whole scene: the core builders' terrain, track, sky and
// the aircraft flown by the animation path; the caller takes ownership.
osg::Group* buildScene();
