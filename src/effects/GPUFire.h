#pragma once
// A shader fire: a camera-facing square whose flame is drawn entirely by the
// fire shader pair from a colour ramp, an opacity mask and a scrolling
// distortion noise, blended over the scene and transparent outside the flame.
// The demo scene places one in the village; it is a bloom child of the world.

#include <cstdint>
#include <memory>
#include <string>

#include "effects/Sprite.h"

namespace zel {

class GPUProgram;

class GPUFire : public Sprite {
public:
    // Clock advance per update and the value at which it restarts at 0.
    static constexpr float TIME_STEP = 0.1f;
    static constexpr float TIME_WRAP = 99999.0f;

    // A flame 2 * size wide and high centred on position. Needs a current GL
    // context: loads the three textures and builds the program.
    GPUFire(const Vector3& position, float size);
    // The same with another shader pair (tools and tests try other shaders).
    GPUFire(const Vector3& position, float size, const std::string& vertexShaderPath,
            const std::string& fragmentShaderPath);
    ~GPUFire() override;
    GPUFire(const GPUFire&) = delete;
    GPUFire& operator=(const GPUFire&) = delete;

    bool init() override;
    // Leaves blending and the alpha test off, no program current, texturing
    // off on units 1 and 2, unit 0 selected with 2D texturing on.
    void render() override;
    // Advances the clock by one fixed step; the elapsed time is ignored.
    void update(std::uint32_t elapsedMs) override;

    // The clock after one update from time.
    static float advanceClock(float time);

    float getTime() const { return time_; }
    GPUProgram* getProgram() const { return program_.get(); }
    Texture* getColorTexture() const { return colorTexture_; }
    Texture* getMaskTexture() const { return maskTexture_; }
    Texture* getNoiseTexture() const { return noiseTexture_; }

private:
    std::unique_ptr<GPUProgram> program_;
    Texture* colorTexture_ = nullptr; // not owned; held by the texture database
    Texture* maskTexture_ = nullptr;  // not owned
    Texture* noiseTexture_ = nullptr; // not owned
    float time_ = 0.0f;
};

} // namespace zel
