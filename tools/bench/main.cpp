// world-of-ulmera-bench: builds the demonstration scene exactly as the program
// does (XML library, GLApplication window, a World as the engine's root,
// buildDemoScene), then flies the scripted demo flight on FrameDriver's
// synthetic clock, one 15 ms tick per frame, and reports start-up, frame, pass,
// culling and memory figures as a table and as JSON.
//
//   world-of-ulmera-bench [--report FILE] [--short] [--ab occlusion|octree|bloom|submit]
//                         [--no-pass-timing] [--drained-passes] [--max-frames N]
//                         [--frames-csv FILE]
//
// --short flies a tenth of every leg; --ab alternates the scene as built (a)
// with a variant (b) frame by frame, both drawing the same ticks; pass times
// come from GL timer queries, and --drained-passes also times each pass with
// glFinish at both ends (serialising the frame, so frame times grow);
// --max-frames ends the flight early (for profiling under callgrind);
// --frames-csv writes every frame's times and culling figures, to find the
// views that cost most.
//
// Run it from the run layout's bin/ folder, like the program. Without a
// DISPLAY it starts its own Xvfb (Mesa llvmpipe) and stops it at the end.

#include <libxml/parser.h>
#include <libxml/xmlversion.h>

#include <GL/glew.h>
#include <SDL/SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "BenchReport.h"
#include "XvfbServer.h"
#include "demo/DemoFlight.h"
#include "demo/DemoScene.h"
#include "effects/BloomEffect.h"
#include "engine/Camera.h"
#include "engine/CoreEngine.h"
#include "engine/FlightPath.h"
#include "engine/FrameDriver.h"
#include "engine/GLApplication.h"
#include "engine/Profiler.h"
#include "environment/DayNightCycle.h"
#include "math/BoundingBox.h"
#include "scene/CullingStats.h"
#include "scene/Octree.h"
#include "scene/PassTimer.h"
#include "scene/Quadtree.h"
#include "scene/World.h"

namespace {

using Clock = std::chrono::steady_clock;
using zelbench::BenchReport;

struct Options {
    std::string report = "bench-report.json";
    bool shortFlight = false;
    bool passTiming = true;
    bool drainedPasses = false;
    int maxFrames = -1; // stop after this many flight frames (-1: the whole flight)
    std::string ab; // empty, "occlusion", "octree", "bloom" or "submit"
    std::string framesCsv; // every frame's figures, one line each, when set
};

void usage() {
    std::printf("usage: world-of-ulmera-bench [--report FILE] [--short] [--ab occlusion|octree|bloom|submit] "
                "[--no-pass-timing] [--drained-passes] [--max-frames N] [--frames-csv FILE]\n");
}

bool parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--report" && i + 1 < argc) {
            options.report = argv[++i];
        } else if (arg == "--short") {
            options.shortFlight = true;
        } else if (arg == "--no-pass-timing") {
            options.passTiming = false;
        } else if (arg == "--max-frames" && i + 1 < argc) {
            options.maxFrames = std::atoi(argv[++i]);
            if (options.maxFrames < 1) return false;
        } else if (arg == "--frames-csv" && i + 1 < argc) {
            options.framesCsv = argv[++i];
        } else if (arg == "--drained-passes") {
            options.drainedPasses = true;
        } else if (arg == "--ab" && i + 1 < argc) {
            options.ab = argv[++i];
            if (options.ab != "occlusion" && options.ab != "octree" && options.ab != "bloom" && options.ab != "submit")
                return false;
        } else {
            return false;
        }
    }
    return true;
}

// Start-up time the profiler has attributed so far.
double profiledMs() {
    double total = 0.0;
    for (int s = 0; s < zel::Profiler::SectionCount; ++s)
        total += zel::Profiler::getMs(static_cast<zel::Profiler::Section>(s));
    return total;
}

double processCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1.0e6;
}

double msBetween(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
}

// The pieces of the scene that the A/B options switch.
struct SceneHandles {
    zel::Octree* octree = nullptr;
    zel::Quadtree* quadtree = nullptr;
    zel::BloomEffect* bloom = nullptr;
    zel::World* world = nullptr;
};

SceneHandles findHandles(zel::World& world) {
    SceneHandles handles;
    for (const auto& child : world.getBloomChildren()) {
        if (auto* octree = dynamic_cast<zel::Octree*>(child.get())) handles.octree = octree;
    }
    for (const auto& child : world.getMainChildren()) {
        if (auto* quadtree = dynamic_cast<zel::Quadtree*>(child.get())) handles.quadtree = quadtree;
    }
    handles.bloom = world.getBloom();
    handles.world = &world;
    return handles;
}

// Configuration 0 is the scene as the program builds it; 1 is the variant.
void configure(const std::string& ab, int config, SceneHandles& handles) {
    const bool variant = config == 1;
    if (ab == "occlusion") {
        if (handles.octree) handles.octree->setOcclusionCulling(variant);
        if (handles.quadtree) handles.quadtree->setOcclusionCulling(variant);
    } else if (ab == "octree") {
        if (handles.octree) handles.octree->setCullingBypassed(variant);
    } else if (ab == "bloom") {
        if (handles.bloom) handles.bloom->setEnabled(!variant);
    } else if (ab == "submit") {
        if (handles.world) handles.world->setEarlySubmit(!variant);
    }
}

std::string variantName(const std::string& ab, int config) {
    if (ab == "occlusion") return config ? "occlusion culling on" : "occlusion culling off (as built)";
    if (ab == "octree") return config ? "whole container, no tree" : "octree culling (as built)";
    if (ab == "bloom") return config ? "bloom composite off" : "bloom on (as built)";
    if (ab == "submit") return config ? "submitted at the swap only" : "submitted after sky and main list (as built)";
    return "as built";
}

// FNV-1a over the RGB back buffer.
std::uint64_t backBufferChecksum(int width, int height) {
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    std::uint64_t hash = 1469598103934665603ULL;
    for (unsigned char byte : pixels) {
        hash ^= byte;
        hash *= 1099511628211ULL;
    }
    return hash;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, options)) {
        usage();
        return 2;
    }

    const double toMainMs = zelbench::msSinceProcessStart();
    // Our own X server when there is no display; its start-up is not the
    // program's and is left out of the start-up time.
    zelbench::XvfbServer xvfb;
    if (!std::getenv("DISPLAY") || !*std::getenv("DISPLAY")) {
        if (!xvfb.start()) {
            std::printf("Could not start Xvfb for the benchmark.\n");
            return 1;
        }
    }

    BenchReport report;
    report.shortFlight = options.shortFlight;
    report.abOption = options.ab;
    const Clock::time_point startup = Clock::now();

    // The entry point's set-up, step by step.
    zel::Profiler::setEnabled(true);
    Clock::time_point stepStart = Clock::now();
    xmlInitParser();
    xmlCheckVersion(LIBXML_VERSION);
    const double xmlInitMs = msBetween(stepStart, Clock::now());

    // The window and GL context: the application's constructor minus the
    // profiled loading it does (catalogue, default and font textures).
    stepStart = Clock::now();
    auto application = std::make_unique<zel::GLApplication>("World Of Ulmera");
    if (!application->isWindowCreated()) return 1;
    const double windowMs = msBetween(stepStart, Clock::now()) - profiledMs();

    // The harness replaces only the clock, the pointer and the swap hook; the
    // engine's GL state from the application's constructor stays.
    zel::FrameDriver driver;
    driver.setSwapBuffers(true);
    auto worldOwner = std::make_unique<zel::World>();
    zel::World& world = *worldOwner;
    zel::CoreEngine::instance().setRoot(std::move(worldOwner));
    zel::buildDemoScene(world);
    driver.start();

    SceneHandles handles = findHandles(world);
    const zel::BoundingBox* village = handles.octree ? handles.octree->getModelBoundingBox() : nullptr;
    const float ground = village ? village->minY : 0.0f;
    zel::FlightPath path = zel::demoFlightPath(ground);
    if (options.shortFlight) path = path.shortened(BenchReport::SHORT_FLIGHT_DIVISOR);

    zel::PassTimer passTimer;
    const bool passTiming = options.passTiming && passTimer.isActive();
    passTimer.setDrainedTiming(options.drainedPasses);
    if (passTiming || options.drainedPasses) world.setPassObserver(&passTimer);

    const int configs = options.ab.empty() ? 1 : 2;
    report.configs.resize(configs);
    for (int c = 0; c < configs; ++c) report.configs[c].name = variantName(options.ab, c);
    zel::CoreEngine& engine = zel::CoreEngine::instance();
    const int width = engine.getWidth();
    const int height = engine.getHeight();

    // Frames whose image is read back for the determinism checksum.
    const int totalFrames = path.frames();
    std::vector<int> checksumFrames;
    for (int k = 1; k <= BenchReport::CHECKSUM_FRAMES; ++k)
        checksumFrames.push_back(totalFrames * (2 * k - 1) / (2 * BenchReport::CHECKSUM_FRAMES));

    std::unique_ptr<std::FILE, int (*)(std::FILE*)> csv(nullptr, std::fclose);
    if (!options.framesCsv.empty()) {
        csv.reset(std::fopen(options.framesCsv.c_str(), "w"));
        if (!csv) {
            std::printf("Could not write %s.\n", options.framesCsv.c_str());
            return 1;
        }
        std::fprintf(csv.get(), "frame,config,segment,leg,wall_ms,cpu_ms,meshes,triangles\n");
    }

    int frameIndex = 0;
    bool firstFrame = true;
    for (const zel::FlightPath::Segment& segment : path.getSegments()) {
        if (options.maxFrames >= 0 && frameIndex >= options.maxFrames) break;
        if (segment.name == "night") {
            // Night comes from the cycle itself: ticks of 15 ms (the world's
            // whole update, without drawing) until the value reaches 0.
            int ticks = 0;
            while (zel::DayNightCycle::instance().getValue() > 0.0f && ticks < BenchReport::MAX_NIGHT_TICKS) {
                engine.tick(zel::CoreEngine::TICK_INTERVAL_MS);
                ++ticks;
            }
            report.nightTicks = ticks;
        }
        for (auto& config : report.configs) {
            config.segments.emplace_back();
            config.segments.back().name = segment.name;
        }
        for (const zel::FlightPath::Leg& leg : segment.legs) {
            for (auto& config : report.configs) config.segments.back().legs.push_back({leg.name, {}});
            for (int f = 0; f < leg.frames && (options.maxFrames < 0 || frameIndex < options.maxFrames);
                 ++f, ++frameIndex) {
                zel::FlightPath::apply(zel::FlightPath::pose(leg, f), *world.getCamera());
                const float dayNight = zel::DayNightCycle::instance().getValue();
                const bool checksum = std::find(checksumFrames.begin(), checksumFrames.end(), frameIndex) !=
                                      checksumFrames.end();
                // With two configurations both draw the same state: the first
                // without a tick (clock unchanged), the second with the frame's
                // tick. Which goes first alternates from frame to frame.
                for (int n = 0; n < configs; ++n) {
                    const int c = configs == 1 ? 0 : (frameIndex + n) % 2;
                    const bool ticks = n == configs - 1;
                    configure(options.ab, c, handles);
                    if (checksum) driver.setSwapBuffers(false);
                    zel::CullingStats::total().reset();
                    const double cpuBefore = processCpuMs();
                    const Clock::time_point before = Clock::now();
                    driver.frame(ticks ? zel::CoreEngine::TICK_INTERVAL_MS : 0);
                    glFinish();
                    const double ms = msBetween(before, Clock::now());
                    const double cpuMs = processCpuMs() - cpuBefore;
                    if (firstFrame) {
                        // The clock started after our own X server was up, so
                        // its start-up is already left out.
                        report.startupTotalMs = toMainMs + msBetween(startup, Clock::now());
                        firstFrame = false;
                    }
                    BenchReport::Config& config = report.configs[c];
                    BenchReport::Segment& seg = config.segments.back();
                    seg.frameMs.push_back(ms);
                    seg.legs.back().frameMs.push_back(ms);
                    if (csv) {
                        const zel::CullingStats& cull = zel::CullingStats::total();
                        std::fprintf(csv.get(), "%d,%d,%s,%s,%.3f,%.3f,%llu,%llu\n", frameIndex, c,
                                     segment.name.c_str(), leg.name.c_str(), ms, cpuMs,
                                     static_cast<unsigned long long>(cull.meshesDrawn),
                                     static_cast<unsigned long long>(cull.trianglesDrawn));
                    }
                    seg.cpuMs.push_back(cpuMs);
                    seg.cull += zel::CullingStats::total();
                    seg.dayNightMin = std::min(seg.dayNightMin, dayNight);
                    seg.dayNightMax = std::max(seg.dayNightMax, dayNight);
                    passTimer.collect();
                    for (int p = 0; p < zel::WorldPassObserver::PassCount; ++p) {
                        const auto pass = static_cast<zel::WorldPassObserver::Pass>(p);
                        if (!passTimer.getSamples(pass).empty())
                            config.passSamples[p].push_back(passTimer.getSamples(pass).back());
                        if (!passTimer.getDrainedSamples(pass).empty())
                            config.drainedSamples[p].push_back(passTimer.getDrainedSamples(pass).back());
                    }
                    passTimer.clearSamples();
                    if (checksum) {
                        config.checksums.push_back({frameIndex, backBufferChecksum(width, height)});
                        SDL_GL_SwapBuffers();
                        driver.setSwapBuffers(true);
                    }
                }
            }
        }
    }
    world.setPassObserver(nullptr);

    report.startupToMainMs = toMainMs;
    report.startupParts.push_back({"xml_init", xmlInitMs});
    report.startupParts.push_back({"window", windowMs});
    double parts = xmlInitMs + windowMs;
    for (int s = 0; s < zel::Profiler::SectionCount; ++s) {
        const auto section = static_cast<zel::Profiler::Section>(s);
        report.startupParts.push_back({zel::Profiler::name(section), zel::Profiler::getMs(section)});
        parts += zel::Profiler::getMs(section);
    }
    report.startupParts.push_back({"other", report.startupTotalMs - toMainMs - parts});
    report.peakRssMb = zelbench::peakRssMb();
    report.passTiming = passTiming;
    report.renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));

    report.printTable(stdout);
    const bool written = report.writeJson(options.report);
    if (!written) std::printf("Could not write the report %s.\n", options.report.c_str());

    // Tear down as the event loop does at its end, while the context exists.
    engine.shutdown();
    application.reset();
    SDL_Quit();
    xmlCleanupParser();
    return written ? 0 : 1;
}
