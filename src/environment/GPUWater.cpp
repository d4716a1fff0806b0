#include "environment/GPUWater.h"

#include "engine/Camera.h"
#include "environment/DayNightCycle.h"
#include "resources/GPUProgram.h"
#include "resources/Texture.h"
#include "resources/TextureDatabase.h"
#include "resources/TextureFactory.h"
#include "scene/World.h"

namespace zel {

GPUWater::CubeMapName::~CubeMapName() {
    if (id_ != 0) {
        glDeleteTextures(1, &id_);
    }
}

GPUWater::CubeMapName& GPUWater::CubeMapName::operator=(CubeMapName&& other) noexcept {
    if (this != &other) {
        if (id_ != 0) {
            glDeleteTextures(1, &id_);
        }
        id_ = std::exchange(other.id_, 0);
    }
    return *this;
}

GPUWater::GPUWater(const Vector3& position, float width, float depth)
    : GPUWater(position, width, depth, "../data/shader/water_vs.txt", "../data/shader/water_fs.txt") {}

GPUWater::GPUWater(const Vector3& position, float width, float depth, const std::string& vertexShaderPath,
                   const std::string& fragmentShaderPath)
    : width_(width), depth_(depth) {
    const float x = position.x;
    const float y = position.y;
    const float z = position.z;
    corners_[0] = Vector3(x, y, z + depth);
    corners_[1] = Vector3(x, y, z);
    corners_[2] = Vector3(x + width, y, z);
    corners_[3] = Vector3(x + width, y, z + depth);

    cubeMap_ = CubeMapName(TextureFactory::createCubeMap("../data/textures/water"));
    noise_ = TextureDatabase::getInstance().getTexture("noise_0.jpg");
    program_ = std::make_unique<GPUProgram>(vertexShaderPath, fragmentShaderPath);
}

GPUWater::~GPUWater() = default;

bool GPUWater::init() { return true; }

float GPUWater::advanceClock(float time) {
    time += TIME_STEP;
    return time >= TIME_WRAP ? 0.0f : time;
}

void GPUWater::update(std::uint32_t) { time_ = advanceClock(time_); }

void GPUWater::render() {
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glEnable(GL_TEXTURE_CUBE_MAP_ARB);
    glBindTexture(GL_TEXTURE_CUBE_MAP_ARB, cubeMap_.id());
    glActiveTextureARB(GL_TEXTURE1_ARB);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, noise_ != nullptr ? noise_->getId() : 0);

    const GLhandleARB program = program_->getProgramObject();
    glUseProgramObjectARB(program);

    // The eye sits at the origin when no world drives the scene.
    Vector3 eye;
    if (World* world = World::current()) {
        if (Camera* camera = world->getCamera()) {
            eye = camera->getPosition();
        }
    }

    glUniform1f(glGetUniformLocation(program, "dayNightCycle"), DayNightCycle::instance().getValue());
    glUniform3f(glGetUniformLocation(program, "cameraPosition"), eye.x, eye.y, eye.z);
    glUniform3f(glGetUniformLocation(program, "cameraLightColor"), 1.0f, 1.0f, 0.6f);
    glUniform1f(glGetUniformLocation(program, "waveSpeed"), 0.5f);
    glUniform1f(glGetUniformLocation(program, "noiseSpeed"), 0.5f);
    glUniform1f(glGetUniformLocation(program, "time"), time_);
    const GLint cubemap = glGetUniformLocation(program, "cubemap");
    if (cubemap != -1) {
        glUniform1i(cubemap, 0);
    }
    const GLint noise = glGetUniformLocation(program, "noise");
    if (noise != -1) {
        glUniform1i(noise, 1);
    }

    const Vector3* c = corners_.data();
    glBegin(GL_QUADS);
    glNormal3f(0.0f, 1.0f, 0.0f);
    glMultiTexCoord2fARB(GL_TEXTURE0_ARB, 0.0f, 0.0f);
    glVertex3f(c[1].x, c[1].y, c[1].z);
    glMultiTexCoord2fARB(GL_TEXTURE0_ARB, 0.0f, 1.0f);
    glVertex3f(c[0].x, c[0].y, c[0].z);
    glMultiTexCoord2fARB(GL_TEXTURE0_ARB, 1.0f, 1.0f);
    glVertex3f(c[3].x, c[3].y, c[3].z);
    glMultiTexCoord2fARB(GL_TEXTURE0_ARB, 1.0f, 0.0f);
    glVertex3f(c[2].x, c[2].y, c[2].z);
    glEnd();

    glUseProgramObjectARB(0);
    glActiveTextureARB(GL_TEXTURE1_ARB);
    glDisable(GL_TEXTURE_2D);
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glBindTexture(GL_TEXTURE_CUBE_MAP_ARB, 0);
    glDisable(GL_TEXTURE_CUBE_MAP_ARB);
}

} // namespace zel
