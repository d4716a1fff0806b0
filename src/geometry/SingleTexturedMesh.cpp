#include "geometry/SingleTexturedMesh.h"

#include <GL/glew.h>

#include <cmath>

#include "engine/Camera.h"
#include "geometry/LightShader.h"
#include "geometry/VBO.h"
#include "resources/Texture.h"
#include "resources/TextureDatabase.h"
#include "scene/World.h"

namespace zel {

SingleTexturedMesh::SingleTexturedMesh() {
    renderMode_ = RENDER_VERTEX_BUFFER;
    texture_ = TextureDatabase::getInstance().getDefaultTexture();
    World* world = World::current();
    lightShader_ = std::make_unique<LightShader>(world ? world->getLightProgram() : nullptr);
}

SingleTexturedMesh::~SingleTexturedMesh() {
    vbo_.reset();
    lightShader_.reset();
}

bool SingleTexturedMesh::init() {
    computeBoundingBox();
    computeBoundingSphere();
    if (renderMode_ == RENDER_DISPLAY_LIST) {
        compileDisplayList();
    }
    buildVertexBuffer();
    if (lightShader_) {
        attachLights();
    }
    return true;
}

float SingleTexturedMesh::fadeAlpha(const Vector3& eye, const BoundingSphere& sphere) {
    if (sphere.touches(BoundingSphere(eye, 1.0f))) {
        return 1.0f;
    }
    const float d2 = (sphere.centre - eye).lengthSquared();
    if (d2 < FADE_START * FADE_START) {
        return 1.0f;
    }
    if (d2 > FADE_END * FADE_END) {
        return 0.0f;
    }
    return 1.0f - (std::sqrt(d2) - FADE_START) / (FADE_END - FADE_START);
}

void SingleTexturedMesh::render() {
    World* world = World::current();
    if (world && world->getCamera() && boundingSphere_) {
        alpha_ = fadeAlpha(world->getCamera()->getPosition(), *boundingSphere_);
    }
    if (alpha_ > 0.0f) {
        draw();
    }
}

void SingleTexturedMesh::draw() {
    if (texture_) {
        beginTexturedDraw(*texture_, alpha_);
        glColor4f(1.0f, 1.0f, 1.0f, alpha_);
    } else {
        // The light shader samples unit 0 whether or not texturing is enabled;
        // with no name bound it reads the empty texture, not the last one drawn.
        glDisable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, 0);
    }

    if (lightShader_) {
        lightShader_->bind();
    }
    if (vbo_) {
        vbo_->draw(vertexCount_);
    }
    if (lightShader_ && lightShader_->isActive()) {
        glUseProgramObjectARB(0);
    }

    endTexturedDraw(texture_, alpha_);
}

void SingleTexturedMesh::buildVertexBuffer() {
    vertexCount_ = static_cast<std::int32_t>(3 * triangles_.size());
    vbo_ = std::make_unique<VBO>(vertexCount_);
    for (const auto& triangle : triangles_) {
        vbo_->addTriangle(*triangle);
    }
    vbo_->upload();
}

void SingleTexturedMesh::attachLights() {
    World* world = World::current();
    if (!world || !lightShader_) {
        return;
    }
    const auto& lights = world->getLights();
    for (std::size_t i = 0; i < lights.size() && i < 3 && lightShader_->getLightCount() < 3; ++i) {
        lightShader_->addLight(lights[i].get());
    }
}

} // namespace zel
