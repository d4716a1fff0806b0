#pragma once
// Measures the GPU time of each pass of a world frame with GL_TIME_ELAPSED
// timer queries. Installed as the world's pass observer by the benchmark; after
// each frame collect() waits for the frame's queries and appends one sample per
// pass. Needs a current GL context with timer queries (GL 3.3 or
// ARB_timer_query; Mesa's llvmpipe has them); without them it records nothing.

#include <GL/glew.h>

#include <array>
#include <vector>

#include "scene/WorldPassObserver.h"

namespace zel {

class PassTimer : public WorldPassObserver {
public:
    PassTimer();
    ~PassTimer() override;
    PassTimer(const PassTimer&) = delete;
    PassTimer& operator=(const PassTimer&) = delete;

    // True when the context has timer queries.
    static bool isSupported();
    bool isActive() const { return active_; }

    void beginPass(Pass pass) override;
    void endPass(Pass pass) override;

    // Reads the results of the passes run since the last collect (waiting for
    // the GPU) and appends them, in milliseconds, to the samples of each pass.
    void collect();
    // Samples of one pass, one per collected frame that ran it.
    const std::vector<double>& getSamples(Pass pass) const { return samples_[pass]; }
    void clearSamples();

private:
    bool active_ = false;
    std::array<GLuint, PassCount> queries_{};
    std::array<bool, PassCount> pending_{};
    std::array<std::vector<double>, PassCount> samples_;
};

} // namespace zel
