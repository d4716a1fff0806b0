// The benchmark tool end to end (two short flights, the second on an X server of its
// own: complete reports, identical frames, the second segment at night), and the flight
// path's poses and the start-up profile it is built from.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include <nlohmann/json.hpp>

#include "demo/DemoFlight.h"
#include "engine/FlightPath.h"
#include "engine/Profiler.h"
#include "support/GLContext.h"

namespace {

using Json = nlohmann::json;

// Runs the tool (from the run layout, like the program) and parses its report;
// returns the exit status, or -1 for a malformed report.
int runBench(const std::string& command, const std::string& report, Json& out) {
    const int status = std::system(
        ("cd '" ZEL_RUN_BIN "' && " + command + " --report '" + report + "' > '" + report + ".log' 2>&1")
            .c_str());
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
    out = Json::parse(zeltest::readFile(report), nullptr, false);
    return out.is_discarded() ? -1 : 0;
}

// Both runs in one test, since a flight is the expensive part. Lookups go through a copy,
// where a missing key reads as null and fails the reads with a message. The second run
// has no DISPLAY, so the tool starts Xvfb itself; it also times drained passes and
// writes every frame's figures.
TEST(BenchRunTest, ShortFlightTwiceGivesCompleteIdenticalDayAndNightReports) {
    const char* dir = std::getenv("ZEL_TEST_DIR");
    const std::string base = std::string(dir ? dir : "/tmp") + "/bench-test-";
    Json first, second, unused;
    ASSERT_EQ(runBench("./world-of-ulmera-bench --short", base + "1.json", first), 0)
        << "see " << base << "1.json.log";
    ASSERT_EQ(runBench("env -u DISPLAY ./world-of-ulmera-bench --short --drained-passes --frames-csv '" +
                           base + "2.csv'",
                       base + "2.json", second),
              0)
        << "see " << base << "2.json.log";
    // Misuse, and no display with no Xvfb to start: the reason, and no flight.
    EXPECT_EQ(runBench("./world-of-ulmera-bench --short --bogus", base + "0.json", unused), 2);
    EXPECT_EQ(runBench("env -u DISPLAY PATH=/nowhere ./world-of-ulmera-bench", base + "3.json", unused), 1);
    EXPECT_EQ(zeltest::readFile(base + "3.json.log"), "Could not start Xvfb for the benchmark.\n");
    EXPECT_EQ(zeltest::readFile(base + "0.json.log").rfind("usage: world-of-ulmera-bench [--report FILE]", 0),
              0u);
    Json r = second;
    for (const char* part : {"catalogue", "textures", "models", "terrain", "trees", "shaders"})
        EXPECT_GE(r["startup_ms"]["parts"][part].get<double>(), 0.0) << part;
    EXPECT_GT(r["startup_ms"]["total"].get<double>(), 0.0);
    for (const char* segment : {"day", "night", "overall"}) {
        Json& s = r["frame_ms"][segment];
        EXPECT_LE(s["min"].get<double>(), s["median"].get<double>());
        EXPECT_LE(s["median"].get<double>(), s["p95"].get<double>());
        EXPECT_LE(s["p95"].get<double>(), s["p99"].get<double>());
        EXPECT_LE(s["p99"].get<double>(), s["max"].get<double>());
    }
    // The short flight: a tenth of each leg (day 24 + 16 + 12, night 16 + 8),
    // one line of the frames file each.
    EXPECT_EQ(r["frame_ms"]["day"]["count"].get<double>(), 52);
    EXPECT_EQ(r["frame_ms"]["night"]["count"].get<double>(), 24);
    EXPECT_EQ(r["frame_ms"]["overall"]["count"].get<double>(), 76);
    const std::string csv = zeltest::readFile(base + "2.csv");
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 77);
    EXPECT_EQ(
        csv.rfind("frame,config,segment,leg,wall_ms,cpu_ms,meshes,triangles\n0,0,day,village circle,", 0),
        0u);
    EXPECT_EQ(r["frame_ms_legs"]["between the houses"]["count"].get<double>(), 8);
    for (const char* pass :
         {"bloom_source", "bloom_capture", "sky", "main_list", "bloom_list", "bloom_composite", "overlay"}) {
        EXPECT_TRUE(r["passes_ms"].contains(pass)) << pass;
        EXPECT_GE(r["passes_drained_ms"][pass].get<double>(), 0.0) << pass;
    }
    for (const char* segment : {"day", "night"}) {
        EXPECT_GT(r["cull"][segment]["meshes_drawn"].get<double>(), 0.0) << segment;
        EXPECT_GT(r["cull"][segment]["triangles_drawn"].get<double>(), 0.0) << segment;
    }
    EXPECT_GT(r["peak_rss_mb"].get<double>(), 0.0);

    // Identical frames in both runs, on either server; frames from different
    // parts of the flight differ (the read-back is real).
    Json& a = r["checksums"];
    Json& b = first["checksums"];
    ASSERT_EQ(a.size(), 4u);
    ASSERT_EQ(b.size(), a.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i]["frame"].get<double>(), b[i]["frame"].get<double>());
        EXPECT_EQ(a[i]["fnv1a"].get<std::string>(), b[i]["fnv1a"].get<std::string>()) << "frame " << i;
    }
    EXPECT_NE(a[0]["fnv1a"].get<std::string>(), a[3]["fnv1a"].get<std::string>());

    // Night is reached by the cycle's own ticks: a 30 s day hold and a 1000-step fade.
    EXPECT_EQ(r["day_night"]["day"]["min"].get<double>(), 1.0);
    EXPECT_EQ(r["day_night"]["night"]["max"].get<double>(), 0.0);
    EXPECT_GT(r["night_ticks"].get<double>(), 2500);
    EXPECT_LT(r["night_ticks"].get<double>(), 3100);
}

TEST(FlightPathTest, PosesFollowTheKeysAndTheDemoCircleCloses) {
    const zel::FlightPath::Leg leg{
        "leg", 11, {{{0, 0, 0}, {10, 0, 0}}, {{10, 0, 0}, {10, 0, 10}}, {{10, 5, 10}, {10, 5, 20}}}};
    // Keys at frames 0, 5 and 10; frames outside the leg are clamped to its ends.
    const struct {
        int frame;
        zel::Vector3 eye;
        float yaw; // 90 looks towards +x, 0 towards +z
    } poses[] = {{0, {0, 0, 0}, 90},
                 {5, {10, 0, 0}, 0},
                 {10, {10, 5, 10}, 0},
                 {99, {10, 5, 10}, 0},
                 {-3, {0, 0, 0}, 90}};
    for (const auto& p : poses) {
        zeltest::expectNear(zel::FlightPath::pose(leg, p.frame).eye, p.eye, 1e-4f);
        EXPECT_NEAR(zel::FlightPath::pose(leg, p.frame).yaw, p.yaw, 1e-3f) << p.frame;
    }
    EXPECT_NEAR(zel::FlightPath::lookAt(zel::Vector3(0, 0, 0), zel::Vector3(0, 1, 1)).pitch, 45.0f, 1e-3f);
    EXPECT_NEAR(zel::FlightPath::lookAt(zel::Vector3(0, 0, 0), zel::Vector3(0, -1, 0)).pitch, -88.0f, 1e-3f);
    EXPECT_NEAR(zel::FlightPath::lookAt(zel::Vector3(0, 0, 0), zel::Vector3(-1, 0, 0)).yaw, -90.0f, 1e-3f);

    // The demo's legs never shrink below two frames, and its circle closes
    // where it started, at roof height (its frame counts are pinned above).
    const zel::FlightPath path = zel::demoFlightPath(-1.0f);
    EXPECT_EQ(path.shortened(1000).frames(), 2 * 5);
    const zel::FlightPath::Leg& circle = path.getSegments()[0].legs[0];
    const zel::Vector3 end = zel::FlightPath::pose(circle, circle.frames - 1).eye;
    zeltest::expectNear(zel::FlightPath::pose(circle, 0).eye, {end.x, 8.0f, end.z}, 1e-3f);
}

TEST(ProfilerTest, NestedSectionsCountOnlyTheirOwnTime) {
    using zel::Profiler;
    Profiler::reset();
    Profiler::setEnabled(true);
    const auto start = std::chrono::steady_clock::now();
    {
        Profiler::Scope outer(Profiler::Models);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        Profiler::Scope inner(Profiler::Textures);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    const double wall =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    Profiler::setEnabled(false);
    EXPECT_GT(Profiler::getMs(Profiler::Models), 0.0);
    EXPECT_GT(Profiler::getMs(Profiler::Textures), 0.0);
    // Own times: together never more than the time the outer scope was open.
    EXPECT_LE(Profiler::getMs(Profiler::Models) + Profiler::getMs(Profiler::Textures), wall + 1e-6);
    Profiler::reset();
    EXPECT_EQ(Profiler::getMs(Profiler::Textures), 0.0);
}

} // namespace
