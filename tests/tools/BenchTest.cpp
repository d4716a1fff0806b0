// The benchmark tool end to end (two short flights: a complete, well-formed
// report; identical frames; both segments flown, the second at night), and the
// pieces it is built from: the flight path's poses and the start-up profile.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "demo/DemoFlight.h"
#include "engine/FlightPath.h"
#include "engine/Profiler.h"
#include "support/GLContext.h"

namespace {

// A small strict JSON reader: enough to prove the report well-formed and to
// look values up by key.
struct Json {
    enum Kind { Null, Bool, Number, String, Array, Object } kind = Null;
    double number = 0.0;
    std::string text;
    std::vector<Json> items;
    std::map<std::string, Json> members;

    bool has(const std::string& key) const { return members.count(key) != 0; }
    const Json& operator[](const std::string& key) const {
        static const Json none;
        auto it = members.find(key);
        return it == members.end() ? none : it->second;
    }
};

class JsonReader {
public:
    explicit JsonReader(const std::string& text) : s_(text) {}
    bool parse(Json& out) { return value(out) && (blanks(), i_ == s_.size()); }

private:
    void blanks() {
        while (i_ < s_.size() && std::strchr(" \n\t\r", s_[i_]) != nullptr) ++i_;
    }
    bool take(char c) { return blanks(), i_ < s_.size() && s_[i_] == c ? (++i_, true) : false; }
    bool string(std::string& out) {
        if (!take('"')) return false;
        for (; i_ < s_.size(); ++i_) {
            const char c = s_[i_];
            if (c == '"') return ++i_, true;
            if (static_cast<unsigned char>(c) < 0x20) return false;
            if (c == '\\') {
                if (++i_ >= s_.size()) return false;
                if (s_[i_] == 'u') {
                    if ((i_ += 4) >= s_.size()) return false;
                } else if (std::string("\"\\/bfnrt").find(s_[i_]) == std::string::npos) {
                    return false;
                }
            }
            out += c;
        }
        return false;
    }
    // Elements separated by commas up to the closing bracket.
    template <typename Element> bool list(char close, Element element) {
        if (take(close)) return true;
        do {
            if (!element()) return false;
        } while (take(','));
        return take(close);
    }
    bool value(Json& out) {
        if (take('{')) {
            out.kind = Json::Object;
            return list('}', [&] {
                std::string key;
                return string(key) && !out.members.count(key) && take(':') && value(out.members[key]);
            });
        }
        if (take('[')) {
            out.kind = Json::Array;
            return list(']', [&] { return out.items.emplace_back(), value(out.items.back()); });
        }
        if (i_ < s_.size() && s_[i_] == '"') return out.kind = Json::String, string(out.text);
        for (const char* word : {"null", "true", "false"})
            if (s_.compare(i_, std::strlen(word), word) == 0) {
                i_ += std::strlen(word);
                out.kind = word[0] == 'n' ? Json::Null : Json::Bool;
                return true;
            }
        const char* begin = s_.c_str() + i_;
        char* end = nullptr;
        out.number = std::strtod(begin, &end);
        if (end == begin || !std::isfinite(out.number)) return false;
        out.kind = Json::Number;
        i_ += static_cast<std::size_t>(end - begin);
        return true;
    }

    const std::string& s_;
    std::size_t i_ = 0;
};

// Runs the tool on the short flight (from the run layout, like the program)
// and parses its report.
bool runBench(const std::string& report, Json& out) {
    const std::string command = std::string("cd '") + ZEL_RUN_BIN + "' && ./world-of-ulmera-bench --short --report '" +
                                report + "' > '" + report + ".log' 2>&1";
    if (std::system(command.c_str()) != 0) return false;
    return JsonReader(zeltest::readFile(report)).parse(out);
}

void expectEveryKey(const Json& r) {
    for (const char* part : {"catalogue", "textures", "models", "terrain", "trees", "shaders"}) {
        EXPECT_EQ(r["startup_ms"]["parts"][part].kind, Json::Number) << part;
        EXPECT_GE(r["startup_ms"]["parts"][part].number, 0.0) << part;
    }
    EXPECT_GT(r["startup_ms"]["total"].number, 0.0);
    for (const char* segment : {"day", "night", "overall"}) {
        const Json& s = r["frame_ms"][segment];
        for (const char* key : {"min", "median", "p95", "p99", "max"}) EXPECT_EQ(s[key].kind, Json::Number) << key;
        EXPECT_LE(s["min"].number, s["median"].number);
        EXPECT_LE(s["median"].number, s["p95"].number);
        EXPECT_LE(s["p95"].number, s["p99"].number);
        EXPECT_LE(s["p99"].number, s["max"].number);
    }
    // The short flight: a tenth of each leg (day 24 + 16 + 12, night 16 + 8).
    EXPECT_EQ(r["frame_ms"]["day"]["count"].number, 52);
    EXPECT_EQ(r["frame_ms"]["night"]["count"].number, 24);
    EXPECT_EQ(r["frame_ms"]["overall"]["count"].number, 76);
    // Per leg, in flight order; the legs' counts add up to the segments'.
    const std::pair<const char*, int> legs[] = {{"village circle", 24}, {"sea pass", 16}, {"fire and fountain", 12},
                                                {"night circle", 16}, {"between the houses", 8}};
    for (const auto& leg : legs) EXPECT_EQ(r["frame_ms_legs"][leg.first]["count"].number, leg.second) << leg.first;
    for (const char* pass :
         {"bloom_source", "bloom_capture", "sky", "main_list", "bloom_list", "bloom_composite", "overlay"})
        EXPECT_TRUE(r["passes_ms"].has(pass)) << pass;
    for (const char* segment : {"day", "night"}) {
        const Json& c = r["cull"][segment];
        for (const char* key : {"nodes_visited", "nodes_frustum_culled", "nodes_occlusion_culled", "meshes_drawn",
                                "triangles_drawn"})
            EXPECT_EQ(c[key].kind, Json::Number) << segment << " " << key;
        EXPECT_GT(c["meshes_drawn"].number, 0.0) << segment;
        EXPECT_GT(c["triangles_drawn"].number, 0.0) << segment;
    }
    EXPECT_GT(r["peak_rss_mb"].number, 0.0);
    EXPECT_EQ(r["ab"].kind, Json::Null);
}

void expectIdenticalFrames(const Json& first, const Json& second) {
    const Json& a = first["checksums"];
    const Json& b = second["checksums"];
    ASSERT_EQ(a.kind, Json::Array);
    ASSERT_EQ(a.items.size(), 4u);
    ASSERT_EQ(b.items.size(), a.items.size());
    for (std::size_t i = 0; i < a.items.size(); ++i) {
        EXPECT_EQ(a.items[i]["frame"].number, b.items[i]["frame"].number);
        EXPECT_EQ(a.items[i]["fnv1a"].text, b.items[i]["fnv1a"].text) << "frame " << a.items[i]["frame"].number;
    }
    // Frames from different parts of the flight differ (the read-back is real).
    EXPECT_NE(a.items[0]["fnv1a"].text, a.items[3]["fnv1a"].text);
}

void expectDayAndNight(const Json& r) {
    EXPECT_EQ(r["day_night"]["day"]["min"].number, 1.0);
    EXPECT_EQ(r["day_night"]["night"]["max"].number, 0.0);
    // Night is reached by the cycle's own ticks: a 30 s day hold and a 1000-step fade.
    EXPECT_GT(r["night_ticks"].number, 2500);
    EXPECT_LT(r["night_ticks"].number, 3100);
}

// Both runs in one test: each test program process runs its tests one by one
// under ctest, and a flight is the expensive part.
TEST(BenchRunTest, ShortFlightTwiceGivesCompleteIdenticalDayAndNightReports) {
    const char* dir = std::getenv("ZEL_TEST_DIR");
    const std::string base = std::string(dir ? dir : "/tmp") + "/bench-test-";
    Json runs[2];
    ASSERT_TRUE(runBench(base + "1.json", runs[0])) << "the tool failed or wrote malformed JSON; see " << base
                                                     << "1.json.log";
    ASSERT_TRUE(runBench(base + "2.json", runs[1])) << "see " << base << "2.json.log";
    {
        SCOPED_TRACE("every key");
        expectEveryKey(runs[0]);
    }
    {
        SCOPED_TRACE("identical frames");
        expectIdenticalFrames(runs[0], runs[1]);
    }
    {
        SCOPED_TRACE("day and night");
        expectDayAndNight(runs[0]);
    }
}

TEST(FlightPathTest, PosesFollowTheKeysAndLookAtTheTarget) {
    zel::FlightPath::Leg leg{"leg", 11, {{zel::Vector3(0, 0, 0), zel::Vector3(10, 0, 0)},
                                         {zel::Vector3(10, 0, 0), zel::Vector3(10, 0, 10)},
                                         {zel::Vector3(10, 5, 10), zel::Vector3(10, 5, 20)}}};
    const zel::FlightPath::Pose first = zel::FlightPath::pose(leg, 0);
    EXPECT_NEAR(first.eye.x, 0.0f, 1e-4f);
    EXPECT_NEAR(first.yaw, 90.0f, 1e-3f); // towards +x
    const zel::FlightPath::Pose middle = zel::FlightPath::pose(leg, 5);
    EXPECT_NEAR(middle.eye.x, 10.0f, 1e-4f);
    EXPECT_NEAR(middle.eye.z, 0.0f, 1e-4f);
    EXPECT_NEAR(middle.yaw, 0.0f, 1e-3f); // towards +z
    const zel::FlightPath::Pose last = zel::FlightPath::pose(leg, 10);
    EXPECT_NEAR(last.eye.y, 5.0f, 1e-4f);
    // Frames outside the leg are clamped to its ends.
    EXPECT_NEAR(zel::FlightPath::pose(leg, 99).eye.y, last.eye.y, 1e-6f);
    EXPECT_NEAR(zel::FlightPath::pose(leg, -3).eye.x, first.eye.x, 1e-6f);

    EXPECT_NEAR(zel::FlightPath::lookAt(zel::Vector3(0, 0, 0), zel::Vector3(0, 1, 1)).pitch, 45.0f, 1e-3f);
    EXPECT_NEAR(zel::FlightPath::lookAt(zel::Vector3(0, 0, 0), zel::Vector3(0, -1, 0)).pitch, -88.0f, 1e-3f);
    EXPECT_NEAR(zel::FlightPath::lookAt(zel::Vector3(0, 0, 0), zel::Vector3(-1, 0, 0)).yaw, -90.0f, 1e-3f);
}

TEST(FlightPathTest, DemoFlightHasTheDayAndNightSegmentsAndShortensPerLeg) {
    const zel::FlightPath path = zel::demoFlightPath(-1.0f);
    ASSERT_EQ(path.getSegments().size(), 2u);
    EXPECT_EQ(path.getSegments()[0].name, "day");
    EXPECT_EQ(path.getSegments()[1].name, "night");
    EXPECT_EQ(path.getSegments()[0].frames(), 520);
    EXPECT_EQ(path.getSegments()[1].frames(), 240);
    const zel::FlightPath shortPath = path.shortened(10);
    EXPECT_EQ(shortPath.frames(), 76);
    // A leg never shrinks below two frames.
    EXPECT_EQ(path.shortened(1000).frames(), 2 * 5);
    // The circle closes where it started.
    const zel::FlightPath::Leg& circle = path.getSegments()[0].legs[0];
    const zel::FlightPath::Pose a = zel::FlightPath::pose(circle, 0);
    const zel::FlightPath::Pose b = zel::FlightPath::pose(circle, circle.frames - 1);
    EXPECT_NEAR(a.eye.x, b.eye.x, 1e-3f);
    EXPECT_NEAR(a.eye.z, b.eye.z, 1e-3f);
    EXPECT_NEAR(a.eye.y, 8.0f, 1e-4f); // roof height above the ground
}

TEST(ProfilerTest, NestedSectionsCountOnlyTheirOwnTimeAndNothingWhenDisabled) {
    using zel::Profiler;
    auto busy = [] {
        volatile double sink = 0;
        for (int i = 0; i < 200000; ++i) sink = sink + i;
    };
    Profiler::reset();
    Profiler::setEnabled(false);
    {
        Profiler::Scope scope(Profiler::Models);
        busy();
    }
    EXPECT_EQ(Profiler::getMs(Profiler::Models), 0.0);

    Profiler::setEnabled(true);
    const auto start = std::chrono::steady_clock::now();
    {
        Profiler::Scope outer(Profiler::Models);
        busy();
        Profiler::Scope inner(Profiler::Textures);
        busy();
    }
    const double wall = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    Profiler::setEnabled(false);
    EXPECT_GT(Profiler::getMs(Profiler::Models), 0.0);
    EXPECT_GT(Profiler::getMs(Profiler::Textures), 0.0);
    // Own times: together never more than the time the outer scope was open.
    EXPECT_LE(Profiler::getMs(Profiler::Models) + Profiler::getMs(Profiler::Textures), wall + 1e-6);
    EXPECT_STREQ(Profiler::name(Profiler::Shaders), "shaders");
    Profiler::reset();
    EXPECT_EQ(Profiler::getMs(Profiler::Textures), 0.0);
}

} // namespace
