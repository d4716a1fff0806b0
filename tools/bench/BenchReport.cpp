#include "BenchReport.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include <nlohmann/json.hpp>

namespace zelbench {

namespace {

using Json = nlohmann::ordered_json;

// Figures are kept to a microsecond; a value that is not finite becomes null.
Json number(double value) {
    if (!std::isfinite(value))
        return nullptr;
    return std::round(value * 1000.0) / 1000.0;
}

Json statsJson(const FrameStats& s) {
    return {{"count", s.count},     {"min", number(s.min)}, {"median", number(s.median)},
            {"p95", number(s.p95)}, {"p99", number(s.p99)}, {"max", number(s.max)}};
}

Json cullJson(const zel::CullingStats& c, std::size_t frames) {
    const double n = frames ? static_cast<double>(frames) : 1.0;
    return {{"frames", frames},
            {"nodes_visited", c.nodesVisited},
            {"nodes_frustum_culled", c.nodesFrustumCulled},
            {"nodes_occlusion_culled", c.nodesOcclusionCulled},
            {"meshes_tested", c.meshesTested},
            {"meshes_drawn", c.meshesDrawn},
            {"triangles_drawn", c.trianglesDrawn},
            {"meshes_drawn_per_frame", number(static_cast<double>(c.meshesDrawn) / n)},
            {"triangles_drawn_per_frame", number(static_cast<double>(c.trianglesDrawn) / n)}};
}

double median(std::vector<double> samples) {
    return FrameStats::of(std::move(samples)).median;
}

std::vector<double> allFrames(const BenchReport::Config& config) {
    std::vector<double> all;
    for (const auto& segment : config.segments)
        all.insert(all.end(), segment.frameMs.begin(), segment.frameMs.end());
    return all;
}

// Median of each pass's samples by pass name; null where a pass has none.
template <class Samples> Json passMedians(const Samples& samples) {
    Json out = Json::object();
    for (int p = 0; p < zel::WorldPassObserver::PassCount; ++p) {
        const auto pass = static_cast<zel::WorldPassObserver::Pass>(p);
        out[zel::WorldPassObserver::name(pass)] =
            samples[p].empty() ? Json(nullptr) : number(median(samples[p]));
    }
    return out;
}

// One configuration's results, added to out.
void addConfig(Json& out, const BenchReport::Config& config, bool passTiming) {
    Json& frames = out["frame_ms"] = Json::object();
    Json& legs = out["frame_ms_legs"] = Json::object();
    Json& cpu = out["frame_cpu_ms"] = Json::object();
    std::vector<double> allCpu;
    for (const auto& segment : config.segments) {
        frames[segment.name] = statsJson(FrameStats::of(segment.frameMs));
        for (const auto& leg : segment.legs)
            legs[leg.name] = statsJson(FrameStats::of(leg.frameMs));
        cpu[segment.name] = statsJson(FrameStats::of(segment.cpuMs));
        allCpu.insert(allCpu.end(), segment.cpuMs.begin(), segment.cpuMs.end());
    }
    frames["overall"] = statsJson(FrameStats::of(allFrames(config)));
    cpu["overall"] = statsJson(FrameStats::of(allCpu));
    if (passTiming) {
        out["passes_ms"] = passMedians(config.passSamples);
    } else {
        const std::array<std::vector<double>, zel::WorldPassObserver::PassCount> none{};
        out["passes_ms"] = passMedians(none);
    }
    out["passes_drained_ms"] = passMedians(config.drainedSamples);
    Json& cull = out["cull"] = Json::object();
    Json& dayNight = out["day_night"] = Json::object();
    for (const auto& segment : config.segments) {
        cull[segment.name] = cullJson(segment.cull, segment.frameMs.size());
        dayNight[segment.name] = {{"min", number(segment.dayNightMin)}, {"max", number(segment.dayNightMax)}};
    }
    Json& checksums = out["checksums"] = Json::array();
    for (const auto& checksum : config.checksums) {
        char hex[32];
        std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(checksum.value));
        checksums.push_back({{"frame", checksum.frame}, {"fnv1a", hex}});
    }
}

} // namespace

double msSinceProcessStart() {
    std::ifstream stat("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // Fields after the command name (which may hold blanks) start after ')'.
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos)
        return 0.0;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    unsigned long long startTicks = 0;
    // starttime is field 22 of the line; field 3 is the first after ')'.
    for (int i = 3; i <= 22 && fields >> field; ++i) {
        if (i == 22)
            startTicks = std::stoull(field);
    }
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double hz = static_cast<double>(sysconf(_SC_CLK_TCK));
    const double nowMs = static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1.0e6;
    const double startMs = static_cast<double>(startTicks) * 1000.0 / hz;
    return std::max(0.0, nowMs - startMs);
}

double peakRssMb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.compare(0, 6, "VmHWM:") == 0)
            return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
    }
    return 0.0;
}

FrameStats FrameStats::of(std::vector<double> samples) {
    FrameStats s;
    s.count = samples.size();
    if (samples.empty())
        return s;
    std::sort(samples.begin(), samples.end());
    auto rank = [&](double q) {
        const double r = std::ceil(q * static_cast<double>(samples.size()));
        const std::size_t i = r < 1.0 ? 0 : static_cast<std::size_t>(r) - 1;
        return samples[std::min(i, samples.size() - 1)];
    };
    s.min = samples.front();
    s.max = samples.back();
    s.median = rank(0.5);
    s.p95 = rank(0.95);
    s.p99 = rank(0.99);
    return s;
}

std::string BenchReport::toJson() const {
    Json out = {{"tool", "world-of-ulmera-bench"},
                {"renderer", renderer},
                {"width", 800},
                {"height", 600},
                {"tick_ms", 15},
                {"flight", shortFlight ? "short" : "full"}};
    Json parts = Json::object();
    for (const Part& part : startupParts)
        parts[part.name] = number(part.ms);
    out["startup_ms"] = {
        {"total", number(startupTotalMs)}, {"to_main", number(startupToMainMs)}, {"parts", parts}};
    out["night_ticks"] = nightTicks;
    out["peak_rss_mb"] = number(peakRssMb);
    // The top-level figures are those of the scene as built (the first
    // configuration); an A/B run repeats both configurations under "ab".
    if (!configs.empty())
        addConfig(out, configs.front(), passTiming);
    out["ab"] = nullptr;
    if (configs.size() >= 2) {
        Json a = {{"name", configs[0].name}};
        Json b = {{"name", configs[1].name}};
        addConfig(a, configs[0], passTiming);
        addConfig(b, configs[1], passTiming);
        out["ab"] = {{"option", abOption}, {"a", a}, {"b", b}};
    }
    return out.dump(2) + "\n";
}

bool BenchReport::writeJson(const std::string& path) const {
    std::ofstream file(path);
    if (!file)
        return false;
    file << toJson();
    return static_cast<bool>(file);
}

void BenchReport::printTable(std::FILE* out) const {
    std::fprintf(out, "World Of Ulmera benchmark (%s flight, 800 x 600, %s)\n",
                 shortFlight ? "short" : "full", renderer.c_str());
    std::fprintf(out, "\nstart-up to first frame   %9.1f ms  (before main %.1f ms)\n", startupTotalMs,
                 startupToMainMs);
    for (const Part& part : startupParts)
        std::fprintf(out, "  %-22s  %9.1f ms\n", part.name.c_str(), part.ms);
    std::fprintf(out, "night reached after %d ticks; peak resident memory %.1f MiB\n", nightTicks, peakRssMb);
    for (const Config& config : configs) {
        std::fprintf(out, "\n[%s]\n", config.name.c_str());
        std::fprintf(out, "  %-8s %6s %8s %8s %8s %8s %8s   %10s %12s\n", "frames", "count", "min", "median",
                     "p95", "p99", "max", "meshes/fr", "tris/fr");
        for (const Segment& segment : config.segments) {
            const FrameStats s = FrameStats::of(segment.frameMs);
            const double n = s.count ? static_cast<double>(s.count) : 1.0;
            std::fprintf(out, "  %-8s %6zu %8.2f %8.2f %8.2f %8.2f %8.2f   %10.1f %12.0f\n",
                         segment.name.c_str(), s.count, s.min, s.median, s.p95, s.p99, s.max,
                         static_cast<double>(segment.cull.meshesDrawn) / n,
                         static_cast<double>(segment.cull.trianglesDrawn) / n);
        }
        const FrameStats all = FrameStats::of(allFrames(config));
        std::fprintf(out, "  %-8s %6zu %8.2f %8.2f %8.2f %8.2f %8.2f\n", "overall", all.count, all.min,
                     all.median, all.p95, all.p99, all.max);
        for (const Segment& segment : config.segments) {
            for (const Segment::Leg& leg : segment.legs) {
                const FrameStats s = FrameStats::of(leg.frameMs);
                std::fprintf(out, "    leg %-20s %6zu %8.2f %8.2f %8.2f %8.2f %8.2f\n", leg.name.c_str(),
                             s.count, s.min, s.median, s.p95, s.p99, s.max);
            }
        }
        for (const Segment& segment : config.segments)
            std::fprintf(out, "  %-8s processor time per frame: median %.2f ms\n", segment.name.c_str(),
                         FrameStats::of(segment.cpuMs).median);
        if (passTiming) {
            std::fprintf(out, "  GPU median ms:");
            for (int p = 0; p < zel::WorldPassObserver::PassCount; ++p) {
                const auto pass = static_cast<zel::WorldPassObserver::Pass>(p);
                std::fprintf(out, " %s %.2f", zel::WorldPassObserver::name(pass),
                             config.passSamples[p].empty() ? 0.0 : median(config.passSamples[p]));
            }
            std::fprintf(out, "\n");
        }
        if (!config.drainedSamples[0].empty()) {
            std::fprintf(out, "  drained wall median ms:");
            for (int p = 0; p < zel::WorldPassObserver::PassCount; ++p) {
                const auto pass = static_cast<zel::WorldPassObserver::Pass>(p);
                std::fprintf(out, " %s %.2f", zel::WorldPassObserver::name(pass),
                             median(config.drainedSamples[p]));
            }
            std::fprintf(out, "\n");
        }
    }
}

} // namespace zelbench
