#pragma once
// Glow post-process at a fixed 128 x 128 resolution, built from frame-buffer
// copies rather than render targets. The world draws its bloom list into a
// 128 x 128 corner and calls capture(), which copies the corner into stage 0,
// bright-passes it and blurs it twice (stages 1 and 2). After the whole frame
// the world calls render(), which adds one fifth of each stage over the window
// with additive blending. The world owns the single instance.

#include <GL/glew.h>

#include <cstdint>
#include <memory>

#include "engine/IRenderableObject.h"

namespace zel {

class GPUProgram;

class BloomEffect : public IRenderableObject {
public:
    static constexpr int SIZE = 128;
    static constexpr int STAGES = 3;

    // Needs a current GL context: creates the three stage textures (black),
    // then the bright-pass program, then the blur program.
    BloomEffect();
    ~BloomEffect() override;
    BloomEffect(const BloomEffect&) = delete;
    BloomEffect& operator=(const BloomEffect&) = delete;

    bool init() override;
    // The composite: adds the three stages over the current viewport. Expects
    // the orthographic overlay projection and an identity model-view matrix.
    void render() override;
    void update(std::uint32_t elapsedMs) override;

    // Copies the 128 x 128 corner of the frame buffer, filters it into the
    // three stages, and leaves the perspective projection of the engine and an
    // identity model-view matrix behind.
    void capture();

    // With the composite switched off render() draws nothing; capture still runs.
    void setEnabled(bool enabled) { enabled_ = enabled; }
    bool isEnabled() const { return enabled_; }

    // The GL texture name of stage 0, 1 or 2 (0 for any other index).
    GLuint getStageTexture(int stage) const;
    const GPUProgram& getBrightPassProgram() const { return *brightPass_; }
    const GPUProgram& getBlurProgram() const { return *blur_; }

private:
    // A texture name that deletes itself; move-only so it is deleted exactly once.
    class StageTexture {
    public:
        StageTexture();
        ~StageTexture();
        StageTexture(const StageTexture&) = delete;
        StageTexture& operator=(const StageTexture&) = delete;
        GLuint id() const { return id_; }
        // Deletes the name now; later calls and the destructor do nothing.
        void release();

    private:
        GLuint id_ = 0;
    };

    void drawScreenQuad() const;
    void copyCorner(GLuint texture) const;

    StageTexture stages_[STAGES];
    std::unique_ptr<GPUProgram> brightPass_;
    std::unique_ptr<GPUProgram> blur_;
    bool enabled_ = true;
};

} // namespace zel
