#include "scene/PassTimer.h"

#include <chrono>

namespace zel {

PassTimer::PassTimer() {
    active_ = isSupported();
    if (active_) glGenQueries(PassCount, queries_.data());
}

PassTimer::~PassTimer() {
    if (active_) glDeleteQueries(PassCount, queries_.data());
}

bool PassTimer::isSupported() {
    return (GLEW_VERSION_3_3 || GLEW_ARB_timer_query) && glGenQueries && glBeginQuery && glGetQueryObjectui64v;
}

namespace {
double nowMs() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}
} // namespace

void PassTimer::beginPass(Pass pass) {
    if (pass < 0 || pass >= PassCount) return;
    if (drainedTiming_) {
        glFinish();
        passStartMs_ = nowMs();
    }
    if (active_) glBeginQuery(GL_TIME_ELAPSED, queries_[pass]);
}

void PassTimer::endPass(Pass pass) {
    if (pass < 0 || pass >= PassCount) return;
    if (active_) {
        glEndQuery(GL_TIME_ELAPSED);
        pending_[pass] = true;
    }
    if (drainedTiming_) {
        glFinish();
        drained_[pass].push_back(nowMs() - passStartMs_);
    }
}

void PassTimer::collect() {
    if (!active_) return;
    for (int pass = 0; pass < PassCount; ++pass) {
        if (!pending_[pass]) continue;
        GLuint64 nanoseconds = 0;
        glGetQueryObjectui64v(queries_[pass], GL_QUERY_RESULT, &nanoseconds);
        samples_[pass].push_back(static_cast<double>(nanoseconds) / 1.0e6);
        pending_[pass] = false;
    }
}

void PassTimer::clearSamples() {
    for (auto& samples : samples_) samples.clear();
    for (auto& samples : drained_) samples.clear();
}

} // namespace zel
