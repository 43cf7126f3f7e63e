#include "scene/viewer.h"

#include <osgViewer/ViewerEventHandlers>
#include <osgViewer/Viewer>

#include "scene/scene.h"

int runViewer()
{
    osgViewer::Viewer viewer;
    viewer.addEventHandler(new osgViewer::WindowSizeHandler);
    viewer.setSceneData(buildScene());
    return viewer.run();
}
