#include "effects/GPUFire.h"

#include <GL/glew.h>

#include "resources/GPUProgram.h"
#include "resources/Texture.h"
#include "resources/TextureDatabase.h"

namespace zel {

namespace {

void bindOnUnit(GLenum unit, Texture* texture) {
    glActiveTextureARB(unit);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture != nullptr ? texture->getId() : 0);
}

void setSampler(GLhandleARB program, const char* name, GLint unit) {
    const GLint location = glGetUniformLocation(program, name);
    if (location != -1) {
        glUniform1i(location, unit);
    }
}

} // namespace

GPUFire::GPUFire(const Vector3& position, float size)
    : GPUFire(position, size, "../data/shader/fire_vs.txt", "../data/shader/fire_fs.txt") {}

GPUFire::GPUFire(const Vector3& position, float size, const std::string& vertexShaderPath,
                 const std::string& fragmentShaderPath)
    : Sprite(position, size) {
    TextureDatabase& db = TextureDatabase::getInstance();
    colorTexture_ = db.getTexture("firecolor.jpg");
    maskTexture_ = db.getTexture("firemask.bmp");
    noiseTexture_ = db.getTexture("firenoise.jpg");
    program_ = std::make_unique<GPUProgram>(vertexShaderPath, fragmentShaderPath);
}

GPUFire::~GPUFire() = default;

bool GPUFire::init() { return true; }

float GPUFire::advanceClock(float time) {
    time += TIME_STEP;
    return time >= TIME_WRAP ? 0.0f : time;
}

void GPUFire::update(std::uint32_t) { time_ = advanceClock(time_); }

void GPUFire::render() {
    bindOnUnit(GL_TEXTURE0_ARB, colorTexture_);
    bindOnUnit(GL_TEXTURE1_ARB, maskTexture_);
    bindOnUnit(GL_TEXTURE2_ARB, noiseTexture_);

    const GLhandleARB program = program_->getProgramObject();
    glUseProgramObjectARB(program);
    glUniform1f(glGetUniformLocation(program, "time"), time_);
    glUniform3f(glGetUniformLocation(program, "velocity"), 0.1f, 0.1f, 0.1f);
    glUniform4f(glGetUniformLocation(program, "height"), 0.44f, 0.29f, 0.0f, 1.0f);
    glUniform1f(glGetUniformLocation(program, "distortion0"), 0.09f);
    glUniform1f(glGetUniformLocation(program, "distortion1"), 0.08f);
    glUniform1f(glGetUniformLocation(program, "distortion2"), 0.1f);
    setSampler(program, "baseTex", 0);
    setSampler(program, "opacityTex", 1);
    setSampler(program, "distortionTex", 2);

    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.0f);

    // The sprite itself has no texture, so it draws with the units bound above.
    Sprite::render();

    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    glUseProgramObjectARB(0);
    glActiveTextureARB(GL_TEXTURE1_ARB);
    glDisable(GL_TEXTURE_2D);
    glActiveTextureARB(GL_TEXTURE2_ARB);
    glDisable(GL_TEXTURE_2D);
    glActiveTextureARB(GL_TEXTURE0_ARB);
}

} // namespace zel
