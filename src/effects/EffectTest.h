#pragma once
// The night-time light show: three coloured point lights (red, green, blue)
// that wander through the town at night, each shown by a glowing billboard of
// its own colour. The lights are ordinary records in the world's light list, so
// the lit models pick up their colours. Each light drifts along a direction that
// is jittered every 400 ms of night time and reversed whenever the light is
// outside the bounds. By day (day/night value above 0.1) nothing moves or draws.
// Built by the demonstration scene before any mesh, since meshes take the
// world's first three lights at init.

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/IRenderableObject.h"
#include "geometry/Light.h"
#include "math/BoundingBox.h"
#include "math/Vector3.h"

namespace zel {

class Sprite;

class EffectTest : public IRenderableObject {
public:
    static constexpr int LIGHTS = 3;
    static constexpr std::uint32_t JITTER_MS = 400;
    static constexpr float NIGHT_LIMIT = 0.1f;
    static constexpr float SPEED = 0.1f;

    // Appends the three lights, in order, to World::current()'s light list
    // (which owns them from then on) and fetches the sprite texture.
    EffectTest();
    ~EffectTest() override;
    EffectTest(const EffectTest&) = delete;
    EffectTest& operator=(const EffectTest&) = delete;

    bool init() override;
    // Draws the three sprites when the day/night value is 0.1 or less.
    void render() override;
    // Moves the lights when the day/night value is 0.1 or less.
    void update(std::uint32_t elapsedMs) override;

    // The same as update and render with the day/night value given.
    void step(std::uint32_t elapsedMs, float dayNightValue);
    void draw(float dayNightValue);

    static bool isNight(float dayNightValue) { return dayNightValue <= NIGHT_LIMIT; }

    // The box the lights must stay in; not owned. Without one nothing is reversed.
    void setBounds(const BoundingBox* bounds) { bounds_ = bounds; }
    const BoundingBox* getBounds() const { return bounds_; }

    Light* getLight(int i) const { return lights_[i]; }
    Sprite* getSprite(int i) const { return sprites_[i].get(); }
    const Vector3& getDirection(int i) const { return directions_[i]; }
    void setDirection(int i, const Vector3& direction) { directions_[i] = direction; }
    std::uint32_t getTimer() const { return timer_; }

private:
    std::array<std::unique_ptr<Sprite>, LIGHTS> sprites_;
    std::array<Light*, LIGHTS> lights_{}; // owned by the world (or by unregistered_)
    std::vector<std::unique_ptr<Light>> unregistered_; // only when no world exists
    std::array<Vector3, LIGHTS> directions_;
    std::uint32_t timer_ = 0;
    const BoundingBox* bounds_ = nullptr; // not owned
};

} // namespace zel
