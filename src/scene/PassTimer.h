#pragma once
// Measures the GPU time of each pass of a world frame with GL_TIME_ELAPSED
// timer queries, and optionally the wall time of each pass with the pipeline
// drained (glFinish) at both ends, which charges each pass with all the
// rendering it causes even on a renderer that defers work to a later flush. Installed as the world's pass observer by the benchmark; after
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
    // Drained wall-clock samples (only while setDrainedTiming(true)).
    const std::vector<double>& getDrainedSamples(Pass pass) const { return drained_[pass]; }
    // Drains the pipeline around every pass and records its wall time too.
    // This serialises the frame, so frame times measured meanwhile are longer.
    void setDrainedTiming(bool enabled) { drainedTiming_ = enabled; }
    void clearSamples();

private:
    bool active_ = false;
    std::array<GLuint, PassCount> queries_{};
    std::array<bool, PassCount> pending_{};
    std::array<std::vector<double>, PassCount> samples_;
    bool drainedTiming_ = false;
    double passStartMs_ = 0.0;
    std::array<std::vector<double>, PassCount> drained_;
};

} // namespace zel
