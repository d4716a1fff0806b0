#include "geometry/LightShader.h"

#include <GL/glew.h>

#include "environment/DayNightCycle.h"
#include "resources/GPUProgram.h"

namespace zel {

namespace {

const char* const POSITION_UNIFORMS[3] = {"lightPosition0", "lightPosition1", "lightPosition2"};
const char* const COLOR_UNIFORMS[3] = {"lightColor0", "lightColor1", "lightColor2"};

} // namespace

LightShader::LightShader(GPUProgram* program) : program_(program) {}

LightShader::~LightShader() = default;

void LightShader::addLight(const Light* light) {
    if (light) {
        lights_.push_back(light);
    }
}

bool LightShader::isActive() const {
    return program_ != nullptr && lights_.size() == 3;
}

void LightShader::bind() const {
    if (!isActive()) {
        return;
    }
    const GLhandleARB handle = program_->getProgramObject();
    glUseProgramObjectARB(handle);

    // Locations are looked up at every bind; a name the program does not declare
    // yields -1, which glUniform silently ignores.
    glUniform1fARB(glGetUniformLocationARB(handle, "dayNightCycle"),
                   DayNightCycle::instance().getValue());
    for (int i = 0; i < 3; ++i) {
        const float* p = lights_[i]->position;
        const float* c = lights_[i]->color;
        glUniform4fARB(glGetUniformLocationARB(handle, POSITION_UNIFORMS[i]), p[0], p[1], p[2], p[3]);
        glUniform4fARB(glGetUniformLocationARB(handle, COLOR_UNIFORMS[i]), c[0], c[1], c[2], c[3]);
    }
    const GLint sampler = glGetUniformLocationARB(handle, "texture");
    if (sampler != -1) {
        glUniform1iARB(sampler, 0);
    }
}

} // namespace zel
