#include "BenchReport.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace zelbench {

namespace {

std::string number(double value) {
    if (!std::isfinite(value)) return "null";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.3f", value);
    return buffer;
}

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
            out += buffer;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string statsJson(const FrameStats& s) {
    return "{\"count\": " + std::to_string(s.count) + ", \"min\": " + number(s.min) + ", \"median\": " +
           number(s.median) + ", \"p95\": " + number(s.p95) + ", \"p99\": " + number(s.p99) + ", \"max\": " +
           number(s.max) + "}";
}

std::string cullJson(const zel::CullingStats& c, std::size_t frames) {
    const double n = frames ? static_cast<double>(frames) : 1.0;
    return "{\"frames\": " + std::to_string(frames) + ", \"nodes_visited\": " + std::to_string(c.nodesVisited) +
           ", \"nodes_frustum_culled\": " + std::to_string(c.nodesFrustumCulled) +
           ", \"nodes_occlusion_culled\": " + std::to_string(c.nodesOcclusionCulled) +
           ", \"meshes_tested\": " + std::to_string(c.meshesTested) + ", \"meshes_drawn\": " +
           std::to_string(c.meshesDrawn) + ", \"triangles_drawn\": " + std::to_string(c.trianglesDrawn) +
           ", \"meshes_drawn_per_frame\": " + number(static_cast<double>(c.meshesDrawn) / n) +
           ", \"triangles_drawn_per_frame\": " + number(static_cast<double>(c.trianglesDrawn) / n) + "}";
}

double median(std::vector<double> samples) { return FrameStats::of(std::move(samples)).median; }

std::vector<double> allFrames(const BenchReport::Config& config) {
    std::vector<double> all;
    for (const auto& segment : config.segments) all.insert(all.end(), segment.frameMs.begin(), segment.frameMs.end());
    return all;
}

// The members of one configuration's results (no braces, no name).
std::string configMembers(const BenchReport::Config& config, bool passTiming, const std::string& indent) {
    std::ostringstream out;
    out << indent << "\"frame_ms\": {";
    for (const auto& segment : config.segments)
        out << quoted(segment.name) << ": " << statsJson(FrameStats::of(segment.frameMs)) << ", ";
    out << "\"overall\": " << statsJson(FrameStats::of(allFrames(config))) << "},\n";
    out << indent << "\"frame_ms_legs\": {";
    bool firstLeg = true;
    for (const auto& segment : config.segments) {
        for (const auto& leg : segment.legs) {
            out << (firstLeg ? "" : ", ") << quoted(leg.name) << ": " << statsJson(FrameStats::of(leg.frameMs));
            firstLeg = false;
        }
    }
    out << "},\n";
    out << indent << "\"frame_cpu_ms\": {";
    std::vector<double> allCpu;
    for (const auto& segment : config.segments) {
        out << quoted(segment.name) << ": " << statsJson(FrameStats::of(segment.cpuMs)) << ", ";
        allCpu.insert(allCpu.end(), segment.cpuMs.begin(), segment.cpuMs.end());
    }
    out << "\"overall\": " << statsJson(FrameStats::of(allCpu)) << "},\n";
    out << indent << "\"passes_ms\": {";
    for (int p = 0; p < zel::WorldPassObserver::PassCount; ++p) {
        const auto pass = static_cast<zel::WorldPassObserver::Pass>(p);
        out << (p ? ", " : "") << quoted(zel::WorldPassObserver::name(pass)) << ": "
            << (passTiming && !config.passSamples[p].empty() ? number(median(config.passSamples[p])) : "null");
    }
    out << "},\n" << indent << "\"passes_drained_ms\": {";
    for (int p = 0; p < zel::WorldPassObserver::PassCount; ++p) {
        const auto pass = static_cast<zel::WorldPassObserver::Pass>(p);
        out << (p ? ", " : "") << quoted(zel::WorldPassObserver::name(pass)) << ": "
            << (!config.drainedSamples[p].empty() ? number(median(config.drainedSamples[p])) : "null");
    }
    out << "},\n" << indent << "\"cull\": {";
    for (std::size_t s = 0; s < config.segments.size(); ++s)
        out << (s ? ", " : "") << quoted(config.segments[s].name) << ": "
            << cullJson(config.segments[s].cull, config.segments[s].frameMs.size());
    out << "},\n" << indent << "\"day_night\": {";
    for (std::size_t s = 0; s < config.segments.size(); ++s)
        out << (s ? ", " : "") << quoted(config.segments[s].name) << ": {\"min\": "
            << number(config.segments[s].dayNightMin) << ", \"max\": " << number(config.segments[s].dayNightMax)
            << "}";
    out << "},\n" << indent << "\"checksums\": [";
    for (std::size_t i = 0; i < config.checksums.size(); ++i) {
        char hex[32];
        std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(config.checksums[i].value));
        out << (i ? ", " : "") << "{\"frame\": " << config.checksums[i].frame << ", \"fnv1a\": \"" << hex << "\"}";
    }
    out << "]";
    return out.str();
}

std::string configJson(const BenchReport::Config& config, bool passTiming) {
    return "{\n    \"name\": " + quoted(config.name) + ",\n" + configMembers(config, passTiming, "    ") + "\n  }";
}

} // namespace

double msSinceProcessStart() {
    std::ifstream stat("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // Fields after the command name (which may hold blanks) start after ')'.
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos) return 0.0;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    unsigned long long startTicks = 0;
    // starttime is field 22 of the line; field 3 is the first after ')'.
    for (int i = 3; i <= 22 && fields >> field; ++i) {
        if (i == 22) startTicks = std::stoull(field);
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
        if (line.compare(0, 6, "VmHWM:") == 0) return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
    }
    return 0.0;
}

FrameStats FrameStats::of(std::vector<double> samples) {
    FrameStats s;
    s.count = samples.size();
    if (samples.empty()) return s;
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
    std::ostringstream out;
    out << "{\n  \"tool\": \"world-of-ulmera-bench\",\n  \"renderer\": " << quoted(renderer)
        << ",\n  \"width\": 800,\n  \"height\": 600,\n  \"tick_ms\": 15,\n  \"flight\": "
        << quoted(shortFlight ? "short" : "full") << ",\n";
    out << "  \"startup_ms\": {\"total\": " << number(startupTotalMs) << ", \"to_main\": " << number(startupToMainMs)
        << ", \"parts\": {";
    for (std::size_t i = 0; i < startupParts.size(); ++i)
        out << (i ? ", " : "") << quoted(startupParts[i].name) << ": " << number(startupParts[i].ms);
    out << "}},\n";
    out << "  \"night_ticks\": " << nightTicks << ",\n  \"peak_rss_mb\": " << number(peakRssMb) << ",\n";
    // The top-level figures are those of the scene as built (the first
    // configuration); an A/B run repeats both configurations under "ab".
    if (!configs.empty()) out << configMembers(configs.front(), passTiming, "  ") << ",\n";
    out << "  \"ab\": ";
    if (configs.size() < 2) {
        out << "null\n";
    } else {
        out << "{\"option\": " << quoted(abOption) << ", \"a\": " << configJson(configs[0], passTiming)
            << ", \"b\": " << configJson(configs[1], passTiming) << "}\n";
    }
    out << "}\n";
    return out.str();
}

bool BenchReport::writeJson(const std::string& path) const {
    std::ofstream file(path);
    if (!file) return false;
    file << toJson();
    return static_cast<bool>(file);
}

void BenchReport::printTable(std::FILE* out) const {
    std::fprintf(out, "World Of Ulmera benchmark (%s flight, 800 x 600, %s)\n", shortFlight ? "short" : "full",
                 renderer.c_str());
    std::fprintf(out, "\nstart-up to first frame   %9.1f ms  (before main %.1f ms)\n", startupTotalMs,
                 startupToMainMs);
    for (const Part& part : startupParts) std::fprintf(out, "  %-22s  %9.1f ms\n", part.name.c_str(), part.ms);
    std::fprintf(out, "night reached after %d ticks; peak resident memory %.1f MiB\n", nightTicks, peakRssMb);
    for (const Config& config : configs) {
        std::fprintf(out, "\n[%s]\n", config.name.c_str());
        std::fprintf(out, "  %-8s %6s %8s %8s %8s %8s %8s   %10s %12s\n", "frames", "count", "min", "median", "p95",
                     "p99", "max", "meshes/fr", "tris/fr");
        for (const Segment& segment : config.segments) {
            const FrameStats s = FrameStats::of(segment.frameMs);
            const double n = s.count ? static_cast<double>(s.count) : 1.0;
            std::fprintf(out, "  %-8s %6zu %8.2f %8.2f %8.2f %8.2f %8.2f   %10.1f %12.0f\n", segment.name.c_str(),
                         s.count, s.min, s.median, s.p95, s.p99, s.max,
                         static_cast<double>(segment.cull.meshesDrawn) / n,
                         static_cast<double>(segment.cull.trianglesDrawn) / n);
        }
        const FrameStats all = FrameStats::of(allFrames(config));
        std::fprintf(out, "  %-8s %6zu %8.2f %8.2f %8.2f %8.2f %8.2f\n", "overall", all.count, all.min, all.median,
                     all.p95, all.p99, all.max);
        for (const Segment& segment : config.segments) {
            for (const Segment::Leg& leg : segment.legs) {
                const FrameStats s = FrameStats::of(leg.frameMs);
                std::fprintf(out, "    leg %-20s %6zu %8.2f %8.2f %8.2f %8.2f %8.2f\n", leg.name.c_str(), s.count,
                             s.min, s.median, s.p95, s.p99, s.max);
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
                std::fprintf(out, " %s %.2f", zel::WorldPassObserver::name(pass), median(config.drainedSamples[p]));
            }
            std::fprintf(out, "\n");
        }
    }
}

} // namespace zelbench
