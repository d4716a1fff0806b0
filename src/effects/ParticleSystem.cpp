#include "effects/ParticleSystem.h"

#include <GL/glew.h>

#include "effects/Random.h"
#include "resources/Texture.h"
#include "resources/TextureDatabase.h"

namespace zel {

namespace {

// Point size falls off with eye distance d as 1 / sqrt(1 + 0.1 d + 0.01 d^2).
const GLfloat POINT_ATTENUATION[3] = {1.0f, 0.1f, 0.01f};

// A birth velocity component: a random integer factor in [-spread/2, spread - 1 - spread/2]
// (integer remainder and halving) times the direction's component.
float birthComponent(int spread, float directionComponent) {
    const int r = Random::shared().next();
    const int factor = (r % spread) - spread / 2;
    return static_cast<float>(factor) * directionComponent;
}

} // namespace

ParticleSystem::ParticleSystem(const std::string& textureName, const Vector3& emitter, const Vector3& direction)
    : emitter_(emitter), direction_(direction) {
    direction_.normalise();
    GLfloat pointRange[2] = {1.0f, 1.0f};
    glGetFloatv(GL_ALIASED_POINT_SIZE_RANGE, pointRange);
    maxPointSize_ = pointRange[1];
    particles_.resize(static_cast<std::size_t>(count_));
    respawnAll();
    texture_ = TextureDatabase::getInstance().getTexture(textureName);
}

bool ParticleSystem::init() { return true; }

void ParticleSystem::setSpread(int spread) { spread_ = spread < 1 ? 1 : spread; }

void ParticleSystem::respawn(Particle& particle) {
    particle.position = emitter_;
    particle.velocity.x = birthComponent(spread_, direction_.x);
    particle.velocity.y = birthComponent(spread_, direction_.y);
    particle.velocity.z = birthComponent(spread_, direction_.z);
    particle.life = 2.0f * Random::unit(Random::shared().next());
}

void ParticleSystem::respawnAll() {
    for (Particle& particle : particles_) respawn(particle);
}

float ParticleSystem::fadeAlpha(const Vector3& p, const Vector3& fadeA, const Vector3& fadeB, bool* kill) {
    const float dA2 = (p - fadeA).lengthSquared();
    const float dB2 = (p - fadeB).lengthSquared();
    const float L2 = (fadeA - fadeB).lengthSquared();
    if (kill) *kill = false;
    if (dA2 <= L2 && dB2 <= L2) {
        // Within reach of both points: fades out while nearing fadeB.
        return dB2 / (L2 == 0.0f ? 1.0f : L2);
    }
    if (dA2 > dB2 && dA2 > L2 && dB2 <= L2) {
        // Beyond fadeB, on its far side from fadeA.
        if (kill) *kill = true;
        return 0.0f;
    }
    return 1.0f;
}

void ParticleSystem::update(std::uint32_t) {
    if (!active_) return;
    bool anyAlive = false;
    for (Particle& particle : particles_) {
        particle.position = particle.position + particle.velocity * timeStep_;
        particle.velocity = particle.velocity + gravity_;
        particle.life -= decay_;
        if (mode_ == MODE_CONTINUOUS && particle.life <= 0.0f) respawn(particle);
        if (particle.life > 0.0f) anyAlive = true;
    }
    if (mode_ == MODE_BURST && !anyAlive) active_ = false;
}

void ParticleSystem::render() {
    if (!active_) return;

    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.0f);

    if (texture_ != nullptr) {
        glEnable(GL_TEXTURE_2D);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        glBindTexture(GL_TEXTURE_2D, texture_->getId());
    }
    if (pointSprites_) glTexEnvi(GL_POINT_SPRITE, GL_COORD_REPLACE, GL_TRUE);

    Vector3 right;
    Vector3 up;
    if (billboard_ && !pointSprites_) {
        GLfloat m[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, m);
        right = Vector3(m[0], m[4], m[8]);
        up = Vector3(m[1], m[5], m[9]);
    }

    for (Particle& particle : particles_) {
        const Vector3& p = particle.position;
        float alpha = 1.0f;
        if (fadeEnabled_) {
            bool kill = false;
            alpha = fadeAlpha(p, fadeA_, fadeB_, &kill);
            if (kill) particle.life = 0.0f;
        }
        glColor4f(1.0f, 1.0f, 1.0f, alpha);

        if (pointSprites_) {
            glEnable(GL_POINT_SPRITE);
            glPointParameterfv(GL_POINT_DISTANCE_ATTENUATION, POINT_ATTENUATION);
            glPointParameterf(GL_POINT_FADE_THRESHOLD_SIZE, 1.0f);
            glPointParameterf(GL_POINT_SIZE_MIN, 1.0f);
            glPointParameterf(GL_POINT_SIZE_MAX, maxPointSize_);
            glPointSize(pointSize_);
            glBegin(GL_POINTS);
            // The colour again, now as the point's own vertex colour. Every
            // point is a separate draw (the sprite switch flushes it), and a
            // colour that reaches the driver only as the current value becomes
            // a shader constant: Mesa's llvmpipe then stores a whole new
            // rasteriser state per point, about 20 kB each: some 40 MB and
            // several milliseconds every frame for the fountain alone.
            glColor4f(1.0f, 1.0f, 1.0f, alpha);
            glVertex3f(p.x, p.y, p.z);
            glEnd();
            glDisable(GL_POINT_SPRITE);
        } else if (billboard_) {
            const float s = pointSize_;
            const Vector3 v0 = p - (right + up) * s;
            const Vector3 v1 = p + (right - up) * s;
            const Vector3 v2 = p + (right + up) * s;
            const Vector3 v3 = p + (up - right) * s;
            glBegin(GL_QUADS);
            glMultiTexCoord2f(GL_TEXTURE0, 0.0f, 0.0f);
            glVertex3f(v0.x, v0.y, v0.z);
            glMultiTexCoord2f(GL_TEXTURE0, 1.0f, 0.0f);
            glVertex3f(v1.x, v1.y, v1.z);
            glMultiTexCoord2f(GL_TEXTURE0, 1.0f, 1.0f);
            glVertex3f(v2.x, v2.y, v2.z);
            glMultiTexCoord2f(GL_TEXTURE0, 0.0f, 1.0f);
            glVertex3f(v3.x, v3.y, v3.z);
            glEnd();
        } else {
            const float h = pointSize_ * 0.5f;
            glBegin(GL_TRIANGLE_STRIP);
            glMultiTexCoord2f(GL_TEXTURE0, 1.0f, 1.0f);
            glVertex3f(p.x + h, p.y + h, p.z);
            glMultiTexCoord2f(GL_TEXTURE0, 0.0f, 1.0f);
            glVertex3f(p.x - h, p.y + h, p.z);
            glMultiTexCoord2f(GL_TEXTURE0, 1.0f, 0.0f);
            glVertex3f(p.x + h, p.y - h, p.z);
            glMultiTexCoord2f(GL_TEXTURE0, 0.0f, 0.0f);
            glVertex3f(p.x - h, p.y - h, p.z);
            glEnd();
        }
    }

    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
}

} // namespace zel
