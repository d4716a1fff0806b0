// Frames of the demo scene on the synthetic clock, read back before any swap and checked
// for what a person would see (sky, sea, flame, night, coloured lights, bloom glow). Each
// frame is also saved as a PNG under the test build tree (frames/) for inspection.

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "common/PngWriter.h"
#include "demo/DemoScene.h"
#include "effects/BloomEffect.h"
#include "effects/EffectTest.h"
#include "engine/CoreEngine.h"
#include "engine/FlightPath.h"
#include "environment/DayNightCycle.h"
#include "geometry/Light.h"
#include "gui/SceneAnalyseGUI.h"
#include "scene/Octree.h"
#include "support/EngineTest.h"

using namespace zel;

namespace {

// A whole frame read back as RGB, addressed from the top-left like the screen.
struct Frame {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb; // bottom row first, as glReadPixels gives it

    const unsigned char* at(int x, int yFromTop) const {
        return &rgb[(static_cast<std::size_t>(height - 1 - yFromTop) * width + x) * 3];
    }
    int brightness(int x, int yFromTop) const {
        const unsigned char* p = at(x, yFromTop);
        return p[0] + p[1] + p[2];
    }
};

// How many pixels of [x0, x1) x [y0, y1) from the top, every step-th, pass test(x, y).
template <typename Test> int count(int x0, int y0, int x1, int y1, int step, Test test) {
    int n = 0;
    for (int y = y0; y < y1; y += step)
        for (int x = x0; x < x1; x += step)
            n += test(x, y) ? 1 : 0;
    return n;
}

// Flame orange: strong red, clearly more green than blue. Sunlit roof tiles
// are red-orange too but carry nearly as much blue as green.
bool isOrangeFlame(const unsigned char* p) {
    return p[0] >= 200 && p[1] >= 70 && p[1] <= 215 && p[2] <= 120 && p[0] - p[2] >= 120 && p[1] - p[2] >= 60;
}

// Frames are kept under the test build tree for a person to look at.
std::string framesDir() {
    const char* base = std::getenv("ZEL_TEST_DIR");
    const std::string dir = std::string(base ? base : "/tmp") + "/frames";
    std::filesystem::create_directories(dir);
    return dir;
}

class DemoFramesTest : public zeltest::EngineTest {
protected:
    DemoFramesTest() : EngineTest(true) {}
    void SetUp() override {
        // The day/night cycle is shared by the whole process: start at full day.
        if (DayNightCycle::instance().getPhase() != DayNightCycle::DAY_HOLD) {
            ASSERT_TRUE(zeltest::driveDayNightTo(1.0f));
        }
        EngineTest::SetUp();
        if (HasFatalFailure())
            return;
        buildDemoScene(*world_);
        driver_->start();
        octree = dynamic_cast<Octree*>(world_->getBloomChildren().at(0).get());
        effects = dynamic_cast<EffectTest*>(world_->getBloomChildren().at(3).get());
        ASSERT_TRUE(octree && effects && octree->getModelBoundingBox());
        ground = octree->getModelBoundingBox()->minY;
    }
    void TearDown() override {
        if (world_ != nullptr)
            world_->getBloom()->setEnabled(true);
        EngineTest::TearDown();
    }

    // Engine ticks of 15 ms without drawing; the clock stays, so frames run no tick of their own.
    void tick(int count) {
        for (int i = 0; i < count; ++i)
            CoreEngine::instance().tick(CoreEngine::TICK_INTERVAL_MS);
    }

    void look(const Vector3& eye, const Vector3& target) {
        FlightPath::apply(FlightPath::lookAt(eye, target), *world_->getCamera());
    }

    // Draws one frame (no tick), reads the back buffer and saves it as name.png.
    Frame grab(const std::string& name) {
        driver_->frame(0);
        Frame f;
        f.width = CoreEngine::instance().getWidth();
        f.height = CoreEngine::instance().getHeight();
        f.rgb.resize(static_cast<std::size_t>(f.width) * f.height * 3);
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, f.width, f.height, GL_RGB, GL_UNSIGNED_BYTE, f.rgb.data());
        EXPECT_TRUE(zeltools::writePng(framesDir() + "/" + name + ".png", f.width, f.height, f.rgb)) << name;
        return f;
    }

    Octree* octree = nullptr;
    EffectTest* effects = nullptr;
    float ground = 0.0f; // the terrain height the village stands on
};

// How a pixel looks with the translucent panel colour blended over background.
int panelBlend(float panel, unsigned char background) {
    return static_cast<int>(std::lround(panel * 255.0f * 0.4f + background * 0.6f));
}

} // namespace

TEST_F(DemoFramesTest, DayStartHasSkyAboveAndTheOverlayPanelsAndNightBringsTheColouredLights) {
    ASSERT_FLOAT_EQ(DayNightCycle::instance().getValue(), 1.0f);
    const Frame f = grab("day_start");
    ASSERT_EQ(f.rgb.size(), 800u * 600 * 3);

    // The upper third, outside the overlay, is sky: bright and bluish.
    auto outsideOverlay = [](int x, int y) { return x >= 314 || y >= 74; };
    const int total = count(0, 0, 800, 200, 4, outsideOverlay);
    const int sky = count(0, 0, 800, 200, 4, [&](int x, int y) {
        const unsigned char* p = f.at(x, y);
        return outsideOverlay(x, y) && p[2] >= p[0] && p[2] >= 120 && f.brightness(x, y) >= 300;
    });
    EXPECT_GT(sky, total * 9 / 10) << sky << " of " << total;

    // The panels are 300 x 30 at (10, 10) and (10, 40): just inside their edges (right of the
    // text) the panel colour lies at 40 % over the scene behind, which their absence shows.
    gui::SceneAnalyseGUI& overlay = gui::SceneAnalyseGUI::instance();
    overlay.getTitleLabel().setDrawBackground(false);
    overlay.getFpsLabel().setDrawBackground(false);
    const Frame bare = grab("day_start_no_panels");
    overlay.getTitleLabel().setDrawBackground(true);
    overlay.getFpsLabel().setDrawBackground(true);
    const struct {
        int x, y;
        bool inPanel;
    } samples[] = {{308, 12, true}, {308, 40, true},  {308, 68, true}, {312, 40, false},
                   {308, 8, false}, {308, 72, false}, {8, 40, false}};
    for (const auto& s : samples)
        for (int c = 0; c < 3; ++c) {
            const unsigned char q = bare.at(s.x, s.y)[c];
            EXPECT_NEAR(f.at(s.x, s.y)[c],
                        s.inPanel ? panelBlend(gui::SceneAnalyseGUI::PANEL_COLOR[c], q) : q, 3)
                << s.x << "," << s.y << " channel " << c;
        }

    // Night falls: the sky at a tenth of its daylight colour.
    for (int i = 0; i < 5000 && DayNightCycle::instance().getPhase() != DayNightCycle::NIGHT_HOLD; ++i)
        tick(1);
    ASSERT_EQ(DayNightCycle::instance().getValue(), 0.0f);
    const Frame night = grab("night_start");
    for (int x : {350, 500, 650, 790})
        for (int y : {20, 100, 180})
            for (int c = 0; c < 3; ++c)
                EXPECT_NEAR(night.at(x, y)[c], f.at(x, y)[c] * 0.1, 3.0) << x << "," << y << " channel " << c;

    // Each light in turn before the house at (10, -10): its sprite and the house front take its colour.
    const char* names[3] = {"night_light_red", "night_light_green", "night_light_blue"};
    const float spot[3] = {10.0f, ground + 2.5f, -5.0f};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(names[i]);
        // The other two go far away; one tick moves this one's sprite to the spot.
        for (int k = 0; k < 3; ++k)
            for (int c = 0; c < 3; ++c)
                effects->getLight(k)->position[c] = k == i ? spot[c] : -300.0f;
        effects->setBounds(nullptr);
        tick(1);
        effects->setBounds(octree->getModelBoundingBox());
        look(Vector3(10.0f, ground + 3.5f, 5.0f), Vector3(10.0f, ground + 2.5f, -8.0f));
        const Frame on = grab(names[i]);
        float& colour = effects->getLight(i)->color[i]; // each light has only its own channel
        const float full = colour;
        colour = 0.0f;
        const Frame off = grab(std::string(names[i]) + "_unlit");
        colour = full;

        // The sprite: round the screen centre its channel dominates.
        EXPECT_GT(count(360, 260, 440, 340, 1,
                        [&](int x, int y) {
                            const unsigned char* p = on.at(x, y);
                            return p[i] > 100 && p[i] > p[(i + 1) % 3] + 50 && p[i] > p[(i + 2) % 3] + 50;
                        }),
                  300);
        // The light: many pixels of the house front gain in its channel alone.
        const int lit = count(0, 0, 800, 600, 2, [&](int x, int y) {
            const int other = std::abs(on.at(x, y)[(i + 1) % 3] - off.at(x, y)[(i + 1) % 3]);
            return on.at(x, y)[i] - off.at(x, y)[i] > 20 && other < 8;
        });
        EXPECT_GT(lit, 3000);
    }
}

TEST_F(DemoFramesTest, LookingOutToSeaShowsMovingWaterUnderAStillSky) {
    look(Vector3(450.0f, ground + 18.0f, 60.0f), Vector3(900.0f, ground - 5.0f, 40.0f));
    const Frame first = grab("sea_1");
    tick(40);
    const Frame second = grab("sea_2");

    // The lower half is water: bluish-green, not sky-bright, and it moves.
    const int total = (600 - 320) / 4 * (800 / 4);
    const int water = count(0, 320, 800, 600, 4, [&](int x, int y) {
        const unsigned char* p = second.at(x, y);
        return p[2] > p[0] + 10 && p[1] > p[0] && second.brightness(x, y) < 600;
    });
    auto change = [&](int x, int y) { return std::abs(second.brightness(x, y) - first.brightness(x, y)); };
    const int moved = count(0, 320, 800, 600, 4, [&](int x, int y) { return change(x, y) > 6; });
    EXPECT_GT(water, total * 9 / 10) << water << " of " << total;
    EXPECT_GT(moved, total / 4) << "the water does not animate";
    // The sky near the top does not change from tick to tick.
    EXPECT_EQ(count(400, 90, 800, 91, 8, [&](int x, int y) { return change(x, y) > 3; }), 0);
}

TEST_F(DemoFramesTest, FireplaceShowsBrightOrangeFlameOnTheHearthAndTheBloomGlowsAroundIt) {
    tick(60);
    look(Vector3(24.5f, ground + 2.5f, 10.0f), Vector3(20.5f, -0.2f, 5.7f)); // just above the fire's centre
    const Frame lit = grab("fire");

    // The flame stands round the look target, near the middle of the screen.
    const int flame = count(300, 150, 500, 400, 1, [&](int x, int y) { return isOrangeFlame(lit.at(x, y)); });
    ASSERT_GT(flame, 800) << "no flame on the hearth";

    // Without the bloom composite the same frame is darker around the flame.
    world_->getBloom()->setEnabled(false);
    const Frame plain = grab("fire_nobloom");
    world_->getBloom()->setEnabled(true);
    auto gain = [&](int x, int y) { return lit.brightness(x, y) - plain.brightness(x, y); };
    const int brighter = count(250, 150, 550, 450, 2, [&](int x, int y) { return gain(x, y) > 6; });
    const int darker = count(250, 150, 550, 450, 2, [&](int x, int y) { return gain(x, y) < -6; });
    EXPECT_GT(brighter, 2000) << "the bloom adds no glow";
    EXPECT_EQ(darker, 0) << "the bloom composite darkens pixels";
}
