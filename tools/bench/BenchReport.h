#pragma once
// The benchmark's results and their two presentations: a readable table on
// standard output and a JSON report. Also the small process measurements the
// benchmark needs (time since the process started, peak resident memory) and
// the order statistics of a list of frame times.

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "scene/CullingStats.h"
#include "scene/WorldPassObserver.h"

namespace zelbench {

// Milliseconds since the kernel started this process (clock-tick resolution).
double msSinceProcessStart();
// Peak resident set size of this process in MiB (VmHWM), 0 when unknown.
double peakRssMb();

struct FrameStats {
    std::size_t count = 0;
    double min = 0.0;
    double median = 0.0;
    double p95 = 0.0;
    double p99 = 0.0;
    double max = 0.0;
    // Nearest-rank percentiles of samples (order does not matter).
    static FrameStats of(std::vector<double> samples);
};

class BenchReport {
public:
    // The short flight flies every leg with a tenth of its frames.
    static constexpr int SHORT_FLIGHT_DIVISOR = 10;
    // Frames read back for the determinism checksums, spread over the flight.
    static constexpr int CHECKSUM_FRAMES = 4;
    // Bound on the ticks run to reach night (a full cycle is about 6000).
    static constexpr int MAX_NIGHT_TICKS = 20000;

    struct Segment {
        std::string name;
        std::vector<double> frameMs;
        // Processor time of the whole process (all of llvmpipe's threads) per
        // frame: less sensitive than wall time to other load on the machine.
        std::vector<double> cpuMs;
        zel::CullingStats cull;
        float dayNightMin = 1.0e9f;
        float dayNightMax = -1.0e9f;
        // Frame times of each leg of the segment, in flight order.
        struct Leg {
            std::string name;
            std::vector<double> frameMs;
        };
        std::vector<Leg> legs;
    };
    struct Checksum {
        int frame;
        std::uint64_t value;
    };
    struct Config {
        std::string name;
        std::vector<Segment> segments;
        std::array<std::vector<double>, zel::WorldPassObserver::PassCount> passSamples;
        // Wall time of each pass with the pipeline drained around it.
        std::array<std::vector<double>, zel::WorldPassObserver::PassCount> drainedSamples;
        std::vector<Checksum> checksums;
    };
    struct Part {
        std::string name;
        double ms;
    };

    bool shortFlight = false;
    bool passTiming = false;
    std::string abOption;
    std::string renderer;
    double startupTotalMs = 0.0;
    double startupToMainMs = 0.0;
    std::vector<Part> startupParts;
    int nightTicks = 0;
    double peakRssMb = 0.0;
    // One configuration, or two for an A/B comparison (the first is the scene
    // as the program builds it).
    std::vector<Config> configs;

    void printTable(std::FILE* out) const;
    // Writes the JSON report; false when the file cannot be written.
    bool writeJson(const std::string& path) const;
    std::string toJson() const;
};

} // namespace zelbench
