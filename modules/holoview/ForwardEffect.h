#pragma once

namespace Qt3DRender {
class QEffect;
}

namespace Scenegraph {

// An effect of one pass with the given GLSL 1.50 shaders, drawn by the
// forward renderer on core and compatibility contexts of OpenGL 3.2 or later.
// The effect has no parent; a material that takes it becomes its owner.
Qt3DRender::QEffect *createForwardEffect(const char *vertexShader, const char *fragmentShader);

} // namespace Scenegraph
