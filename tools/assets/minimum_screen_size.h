#pragma once
// A model that never shrinks below a given size on screen.

#include <osg/Node>

namespace flightreplay::assets {

// A transform over `model` that, while culled for a view, scales it up about
// its origin (the model's own, the vehicle's position) just enough that its
// bounding sphere spans `pixels` across on that view's viewport; at real
// size when it already spans that many or more. Other visitors see it at
// real size. Each view gets its own scale. The caller owns the result.
osg::ref_ptr<osg::Node> keepMinimumScreenSize(osg::Node* model, double pixels);

} // namespace flightreplay::assets
