#include "scene/scene.h"

#include <osg/ref_ptr>
#include <osgViewer/ViewerEventHandlers>
#include <osgViewer/Viewer>

osg::Group* buildScene()
{
    osg::ref_ptr<osg::Group> root = new osg::Group;
    root->getOrCreateStateSet()->setMode(GL_LIGHTING, osg::StateAttribute::OFF);
    return root.release();
}

int runViewer()
{
    osgViewer::Viewer viewer;
    viewer.addEventHandler(new osgViewer::WindowSizeHandler);
    viewer.setSceneData(buildScene());
    return viewer.run();
}
