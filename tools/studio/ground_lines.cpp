#include "tools/studio/ground_lines.h"

#include <osg/Program>
#include <osg/Shader>
#include <osg/Uniform>

#include "frame/map_frame.h"

namespace flightreplay::studio {

namespace {

// East and north in metres from the frame's origin (+x south, +y east).
const char* const VERTEX_SHADER = R"(#version 120
uniform float metresPerUnit;
varying vec2 groundMetres;
void main()
{
    groundMetres = vec2(gl_Vertex.y, -gl_Vertex.x) * metresPerUnit;
    gl_Position = ftransform();
}
)";

// Distances to the nearest line are measured in pixels through fwidth, so a
// line keeps its width and its smooth edge however near or far it lies.
const char* const FRAGMENT_SHADER = R"(#version 120
varying vec2 groundMetres;
const vec3 FIELD = vec3(112.0, 122.0, 104.0) / 255.0;
const vec3 LINE = vec3(232.0, 235.0, 226.0) / 255.0;
const float HIDDEN_BELOW_PIXELS = 4.0;
const float FULL_FROM_PIXELS = 16.0;

float lines(float spacingMetres, float widthPixels)
{
    vec2 cells = groundMetres / spacingMetres;
    vec2 cellsPerPixel = max(fwidth(cells), vec2(1e-7));
    vec2 pixelsToLine = abs(fract(cells + 0.5) - 0.5) / cellsPerPixel;
    vec2 cover = clamp(0.5 * widthPixels + 0.5 - pixelsToLine, 0.0, 1.0);
    vec2 readable = smoothstep(HIDDEN_BELOW_PIXELS, FULL_FROM_PIXELS, 1.0 / cellsPerPixel);
    vec2 line = cover * readable;
    return max(line.x, line.y);
}

void main()
{
    vec3 colour = FIELD;
    colour = mix(colour, LINE, 0.25 * lines(1.0, 1.0));
    colour = mix(colour, LINE, 0.4 * lines(10.0, 1.25));
    colour = mix(colour, LINE, 0.6 * lines(100.0, 1.5));
    colour = mix(colour, LINE, 0.9 * lines(1000.0, 2.0));
    gl_FragColor = vec4(colour, 1.0);
}
)";

osg::Program* groundLinesProgram()
{
    // One program for every piece of ground, kept for the process: a static
    // ref_ptr would be released after OSG's own statics at exit.
    static osg::Program* const program = [] {
        auto* made = new osg::Program;
        made->setName("ground lines");
        made->addShader(new osg::Shader(osg::Shader::VERTEX, VERTEX_SHADER));
        made->addShader(new osg::Shader(osg::Shader::FRAGMENT, FRAGMENT_SHADER));
        made->ref();
        return made;
    }();
    return program;
}

} // namespace

void drawGroundLines(osg::StateSet& state)
{
    state.setAttributeAndModes(groundLinesProgram(), osg::StateAttribute::ON);
    const float metresPerUnit = mapFrame.k > 0.0 ? static_cast<float>(1.0 / mapFrame.k) : 1.0f;
    state.addUniform(new osg::Uniform("metresPerUnit", metresPerUnit));
    state.setTextureMode(0, GL_TEXTURE_2D, osg::StateAttribute::OFF);
}

} // namespace flightreplay::studio
