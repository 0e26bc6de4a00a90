#include "ForwardEffect.h"

#include <Qt3DRender/QEffect>
#include <Qt3DRender/QFilterKey>
#include <Qt3DRender/QGraphicsApiFilter>
#include <Qt3DRender/QRenderPass>
#include <Qt3DRender/QShaderProgram>
#include <Qt3DRender/QTechnique>

namespace Scenegraph {

Qt3DRender::QEffect *createForwardEffect(const char *vertexShader, const char *fragmentShader)
{
    // The window asks for a core profile where it can; a compatibility
    // context of 3.2 or later runs the same shaders. The forward renderer
    // draws the techniques that carry its style.
    auto *effect = new Qt3DRender::QEffect();
    for (const auto profile : {Qt3DRender::QGraphicsApiFilter::CoreProfile,
                               Qt3DRender::QGraphicsApiFilter::CompatibilityProfile}) {
        auto *program = new Qt3DRender::QShaderProgram();
        program->setVertexShaderCode(vertexShader);
        program->setFragmentShaderCode(fragmentShader);
        auto *pass = new Qt3DRender::QRenderPass();
        pass->setShaderProgram(program);

        auto *technique = new Qt3DRender::QTechnique();
        technique->graphicsApiFilter()->setApi(Qt3DRender::QGraphicsApiFilter::OpenGL);
        technique->graphicsApiFilter()->setProfile(profile);
        technique->graphicsApiFilter()->setMajorVersion(3);
        technique->graphicsApiFilter()->setMinorVersion(2);
        auto *forward = new Qt3DRender::QFilterKey();
        forward->setName(QStringLiteral("renderingStyle"));
        forward->setValue(QStringLiteral("forward"));
        technique->addFilterKey(forward);
        technique->addRenderPass(pass);
        effect->addTechnique(technique);
    }
    return effect;
}

} // namespace Scenegraph
