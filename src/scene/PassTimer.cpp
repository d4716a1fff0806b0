#include "scene/PassTimer.h"

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

void PassTimer::beginPass(Pass pass) {
    if (!active_ || pass < 0 || pass >= PassCount) return;
    glBeginQuery(GL_TIME_ELAPSED, queries_[pass]);
}

void PassTimer::endPass(Pass pass) {
    if (!active_ || pass < 0 || pass >= PassCount) return;
    glEndQuery(GL_TIME_ELAPSED);
    pending_[pass] = true;
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
}

} // namespace zel
