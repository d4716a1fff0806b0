#include "engine/Profiler.h"

#include <vector>

namespace zel {

namespace {

using Clock = std::chrono::steady_clock;

struct ProfileState {
    double totals[Profiler::SectionCount] = {};
    // Open sections, innermost last, and the moment the innermost one last
    // started counting.
    std::vector<Profiler::Section> open;
    Clock::time_point since;
};

ProfileState& state() {
    static ProfileState s;
    return s;
}

double millisecondsSince(Clock::time_point start, Clock::time_point now) {
    return std::chrono::duration<double, std::milli>(now - start).count();
}

} // namespace

bool Profiler::enabled_ = false;

void Profiler::reset() {
    for (double& total : state().totals) total = 0.0;
}

double Profiler::getMs(Section section) {
    return section >= 0 && section < SectionCount ? state().totals[section] : 0.0;
}

const char* Profiler::name(Section section) {
    static const char* const names[SectionCount] = {"catalogue", "textures", "models", "terrain", "trees", "shaders"};
    return section >= 0 && section < SectionCount ? names[section] : "";
}

void Profiler::begin(Section section) {
    ProfileState& s = state();
    const Clock::time_point now = Clock::now();
    if (!s.open.empty()) s.totals[s.open.back()] += millisecondsSince(s.since, now);
    s.open.push_back(section);
    s.since = now;
}

void Profiler::end() {
    ProfileState& s = state();
    if (s.open.empty()) return;
    const Clock::time_point now = Clock::now();
    s.totals[s.open.back()] += millisecondsSince(s.since, now);
    s.open.pop_back();
    s.since = now;
}

} // namespace zel
