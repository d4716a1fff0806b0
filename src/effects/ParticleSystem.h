#pragma once
// A fixed-size pool of particles shot from one emitter point, pulled by a
// constant gravity, each living for a random time and then (in continuous mode)
// reborn at the emitter. Drawn with alpha blending as point sprites (default),
// camera-facing quads or flat squares in the x-y plane, optionally faded out
// and killed near a target zone. The demonstration scene uses one as its water
// fountain. Motion is per update call; the elapsed time is ignored.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/IRenderableObject.h"
#include "math/Vector3.h"

namespace zel {

class Texture;

// One particle of the pool; dead at life 0 or below.
struct Particle {
    Vector3 position;
    Vector3 velocity; // units per time step
    float life = 0.0f;
};

class ParticleSystem : public IRenderableObject {
public:
    static constexpr int MODE_CONTINUOUS = 0;
    static constexpr int MODE_BURST = 1;

    // Needs a current GL context (reads the maximum point size) and fetches the
    // texture from the texture database. The direction is normalised; every
    // particle gets a birth; the system starts inactive.
    ParticleSystem(const std::string& textureName, const Vector3& emitter, const Vector3& direction);
    ~ParticleSystem() override = default;
    ParticleSystem(const ParticleSystem&) = delete;
    ParticleSystem& operator=(const ParticleSystem&) = delete;

    bool init() override;
    void render() override;
    void update(std::uint32_t elapsedMs) override;

    // Gives the particle a new birth at the emitter, drawing four numbers from
    // the shared generator (velocity x, y, z, then life).
    void respawn(Particle& particle);
    // respawn on every particle of the pool, in pool order.
    void respawnAll();

    // The fade-zone alpha of a particle at p for the zone (fadeA, fadeB). Sets
    // *kill when the particle lies beyond fadeB and must die. Pure arithmetic.
    static float fadeAlpha(const Vector3& p, const Vector3& fadeA, const Vector3& fadeB, bool* kill);

    std::vector<Particle>& getParticles() { return particles_; }
    const std::vector<Particle>& getParticles() const { return particles_; }

    // Spread must be at least 1 (births take a remainder by it); smaller values are raised to 1.
    void setSpread(int spread);
    int getSpread() const { return spread_; }
    void setDecay(float decay) { decay_ = decay; }
    float getDecay() const { return decay_; }
    void setTimeStep(float timeStep) { timeStep_ = timeStep; }
    float getTimeStep() const { return timeStep_; }
    void setGravity(const Vector3& gravity) { gravity_ = gravity; }
    const Vector3& getGravity() const { return gravity_; }
    void setEmitter(const Vector3& emitter) { emitter_ = emitter; }
    const Vector3& getEmitter() const { return emitter_; }
    const Vector3& getDirection() const { return direction_; }
    void setPointSize(float size) { pointSize_ = size; }
    float getPointSize() const { return pointSize_; }
    float getMaxPointSize() const { return maxPointSize_; }
    void setPointSprites(bool on) { pointSprites_ = on; }
    bool getPointSprites() const { return pointSprites_; }
    void setBillboard(bool on) { billboard_ = on; }
    bool getBillboard() const { return billboard_; }
    void setMode(int mode) { mode_ = mode; }
    int getMode() const { return mode_; }
    void setActive(bool active) { active_ = active; }
    bool isActive() const { return active_; }
    void setFadeZone(const Vector3& fadeA, const Vector3& fadeB) { fadeA_ = fadeA; fadeB_ = fadeB; }
    const Vector3& getFadeA() const { return fadeA_; }
    const Vector3& getFadeB() const { return fadeB_; }
    void setFadeEnabled(bool on) { fadeEnabled_ = on; }
    bool getFadeEnabled() const { return fadeEnabled_; }
    void setTexture(Texture* texture) { texture_ = texture; }
    Texture* getTexture() const { return texture_; }

private:
    Vector3 emitter_;
    Vector3 direction_;
    Vector3 gravity_{0.0f, -0.98f, 0.0f};
    int count_ = 1000;
    int spread_ = 10;
    float pointSize_ = 32.0f;
    std::vector<Particle> particles_;
    float timeStep_ = 0.1f;
    Texture* texture_ = nullptr; // not owned; lives in the texture database
    bool billboard_ = true;
    bool pointSprites_ = true;
    float maxPointSize_ = 1.0f;
    int mode_ = MODE_CONTINUOUS;
    bool active_ = false;
    float decay_ = 0.1f;
    Vector3 fadeA_;
    Vector3 fadeB_;
    bool fadeEnabled_ = false;
};

} // namespace zel
