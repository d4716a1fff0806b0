#include "geometry/Mesh.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>

#include "resources/Texture.h"

namespace zel {

Mesh::Mesh() = default;

Mesh::~Mesh() {
    if (renderMode_ == RENDER_DISPLAY_LIST && displayList_ != 0) {
        glDeleteLists(displayList_, 1);
    }
}

bool Mesh::init() {
    computeBoundingBox();
    computeBoundingSphere();
    if (renderMode_ == RENDER_DISPLAY_LIST) {
        compileDisplayList();
    }
    return true;
}

void Mesh::render() {
    if (renderMode_ == RENDER_IMMEDIATE) {
        drawImmediate();
    } else if (renderMode_ == RENDER_DISPLAY_LIST && displayList_ != 0) {
        glCallList(displayList_);
    }
}

void Mesh::update(std::uint32_t) {}

void Mesh::addTriangle(Triangle triangle) {
    if (!triangle.plane) {
        triangle.plane = std::make_shared<Plane>(Plane::fromTriangle(triangle));
    }
    triangles_.push_back(std::make_unique<Triangle>(std::move(triangle)));
}

bool Mesh::getHeightAt(float x, float z, float& height) const {
    if (!boundingBox_) {
        return false;
    }
    const Vector3 top(x, boundingBox_->maxY + 1.0f, z);
    const Vector3 bottom(x, boundingBox_->maxY - 1.0f, z);
    for (const auto& triangle : triangles_) {
        if (!triangle->plane) {
            continue;
        }
        const Vector3 hit = Plane::intersectLine(*triangle->plane, top, bottom);
        if (pointInTriangle(hit, *triangle)) {
            height = hit.y;
            return true;
        }
    }
    return false;
}

void Mesh::computeBoundingBox() {
    if (triangles_.empty()) {
        boundingBox_ = std::make_unique<BoundingBox>();
        return;
    }
    const Vector3& first = triangles_.front()->positions[0];
    BoundingBox box(first.x, first.y, first.z, first.x, first.y, first.z);
    extendBox(box);
    if (!boundingBox_) {
        boundingBox_ = std::make_unique<BoundingBox>();
    }
    *boundingBox_ = box;
}

void Mesh::extendBox(BoundingBox& box) const {
    for (const auto& triangle : triangles_) {
        for (const Vector3& p : triangle->positions) {
            box.extend(p);
        }
    }
}

void Mesh::computeBoundingSphere() {
    if (triangles_.empty()) {
        boundingSphere_ = std::make_unique<BoundingSphere>();
        return;
    }
    Vector3 sum;
    for (const auto& triangle : triangles_) {
        for (const Vector3& p : triangle->positions) {
            sum = sum + p;
        }
    }
    const Vector3 centre = sum / static_cast<float>(3 * triangles_.size());
    float radius = 0.0f;
    for (const auto& triangle : triangles_) {
        for (const Vector3& p : triangle->positions) {
            radius = std::max(radius, std::sqrt((p - centre).lengthSquared()));
        }
    }
    boundingSphere_ = std::make_unique<BoundingSphere>(centre, radius);
}

void Mesh::drawImmediate() const {
    for (const auto& triangle : triangles_) {
        const Texture* texture = triangle->texture;
        if (texture) {
            beginTexturedDraw(*texture, alpha_);
        } else {
            glDisable(GL_TEXTURE_2D);
        }
        glColor4f(1.0f, 1.0f, 1.0f, alpha_);

        const Vector3 n = triangle->plane ? triangle->plane->normal : Vector3(0.0f, 1.0f, 0.0f);
        glBegin(GL_TRIANGLES);
        for (int i = 0; i < 3; ++i) {
            glNormal3f(n.x, n.y, n.z);
            glMultiTexCoord2fARB(GL_TEXTURE0_ARB, triangle->texCoords[i].u, triangle->texCoords[i].v);
            const Vector3& p = triangle->positions[i];
            glVertex3f(p.x, p.y, p.z);
        }
        glEnd();

        endTexturedDraw(texture, alpha_);
    }
}

void Mesh::beginTexturedDraw(const Texture& texture, float alpha) {
    if (texture.hasAlpha()) {
        glEnable(GL_BLEND);
        glEnable(GL_ALPHA_TEST);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glAlphaFunc(GL_GREATER, 0.0f);
    } else if (alpha < 1.0f) {
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_BLEND);
    }
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glBindTexture(GL_TEXTURE_2D, texture.getId());
}

void Mesh::endTexturedDraw(const Texture* texture, float alpha) {
    if (texture && texture->hasAlpha()) {
        glDisable(GL_BLEND);
        glDisable(GL_ALPHA_TEST);
    }
    if (alpha < 1.0f) {
        glDisable(GL_BLEND);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    }
}

void Mesh::compileDisplayList() {
    if (displayList_ != 0) {
        glDeleteLists(displayList_, 1);
    }
    displayList_ = glGenLists(1);
    glNewList(displayList_, GL_COMPILE);
    drawImmediate();
    glEndList();
}

} // namespace zel
