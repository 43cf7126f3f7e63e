#include "tools/assets/minimum_screen_size.h"

#include <algorithm>
#include <cmath>

#include <osg/Transform>
#include <osgUtil/CullVisitor>

namespace flightreplay::assets {

namespace {

// The scale is worked out in computeLocalToWorldMatrix, which the cull
// visitor calls with the parent's model-view on its stack before it pushes
// this transform's matrix: a cull callback would run too late for this
// frame. Nothing is stored, so views culled on several threads agree.
class MinimumScreenSize : public osg::Transform {
public:
    explicit MinimumScreenSize(double pixels) : pixels_(pixels)
    {
        // Its own bound is the model's at real size, which a far view
        // would cull as a small feature before the model gets its scale.
        setCullingActive(false);
    }

    bool computeLocalToWorldMatrix(osg::Matrix& matrix, osg::NodeVisitor* visitor) const override
    {
        const double s = scaleFor(visitor);
        const osg::Matrix scale = osg::Matrix::scale(s, s, s);
        if (_referenceFrame == RELATIVE_RF)
            matrix.preMult(scale);
        else
            matrix = scale;
        return true;
    }

    bool computeWorldToLocalMatrix(osg::Matrix& matrix, osg::NodeVisitor* visitor) const override
    {
        const double s = 1.0 / scaleFor(visitor);
        const osg::Matrix scale = osg::Matrix::scale(s, s, s);
        if (_referenceFrame == RELATIVE_RF)
            matrix.postMult(scale);
        else
            matrix = scale;
        return true;
    }

private:
    double scaleFor(osg::NodeVisitor* visitor) const
    {
        auto* cull = dynamic_cast<osgUtil::CullVisitor*>(visitor);
        if (!cull || getNumChildren() == 0 || !cull->getModelViewMatrix() || !cull->getProjectionMatrix()
            || !cull->getViewport())
            return 1.0;
        osg::BoundingSphere bound;
        for (unsigned i = 0; i < getNumChildren(); ++i)
            bound.expandBy(getChild(i)->getBound());
        if (!bound.valid())
            return 1.0;
        const osg::Matrix& modelView = *cull->getModelViewMatrix();
        const osg::Matrix& projection = *cull->getProjectionMatrix();
        const osg::Vec4d clip = osg::Vec4d(bound.center(), 1.0) * modelView * projection;
        const double eyeRadius = osg::Matrix::transform3x3(osg::Vec3d(bound.radius(), 0.0, 0.0), modelView).length();
        // Pixels across the sphere's diameter: projection(1,1) maps half the
        // viewport's height to 1 at clip w.
        if (!(clip.w() > 0.0))
            return 1.0;
        const double across = eyeRadius * projection(1, 1) * cull->getViewport()->height() / clip.w();
        if (!(across > 0.0) || !std::isfinite(across))
            return 1.0;
        return std::max(1.0, pixels_ / across);
    }

    double pixels_;
};

} // namespace

osg::ref_ptr<osg::Node> keepMinimumScreenSize(osg::Node* model, double pixels)
{
    osg::ref_ptr<MinimumScreenSize> transform = new MinimumScreenSize(pixels);
    // The model is lit, and its normals grow with the scale.
    transform->getOrCreateStateSet()->setMode(GL_RESCALE_NORMAL, osg::StateAttribute::ON);
    if (model)
        transform->addChild(model);
    return transform;
}

} // namespace flightreplay::assets
