// Frames of the assembled demo scene, driven on the synthetic clock and read
// back from the back buffer before any swap. The checks are properties a person
// would see (sky above, water out at sea, flame on the hearth, night darker,
// coloured lights, bloom glow), not comparisons with stored images. Every frame
// is also saved as a PNG under the test build tree (frames/) for inspection.

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <numeric>
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
    double meanBrightness() const {
        return std::accumulate(rgb.begin(), rgb.end(), 0.0) / (static_cast<double>(width) * height);
    }
};

// How many pixels of [x0, x1) x [y0, y1) (from the top, every step-th in both
// directions) pass test(x, y).
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

    // Engine ticks of 15 ms without drawing. The synthetic clock stays where it
    // is, so the frames drawn afterwards run no tick of their own.
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

// Overlay panels: 300 x 30 at (10, 10) and (10, 40) from the top-left.
constexpr int PANEL_X0 = 10, PANEL_X1 = 310, PANEL_Y0 = 10, PANEL_Y1 = 70;

// How a pixel looks with the translucent panel colour blended over background.
int panelBlend(float panel, unsigned char background) {
    return static_cast<int>(std::lround(panel * 255.0f * 0.4f + background * 0.6f));
}

} // namespace

TEST_F(DemoFramesTest, DayStartHasSkyAboveAndTheOverlayPanelsAndNightBringsTheColouredLights) {
    ASSERT_FLOAT_EQ(DayNightCycle::instance().getValue(), 1.0f);
    const Frame f = grab("day_start");
    ASSERT_EQ(f.width, 800);
    ASSERT_EQ(f.height, 600);

    // The upper third, outside the overlay, is sky: bright and bluish.
    auto outsideOverlay = [](int x, int y) { return x >= PANEL_X1 + 4 || y >= PANEL_Y1 + 4; };
    const int total = count(0, 0, 800, 200, 4, outsideOverlay);
    const int sky = count(0, 0, 800, 200, 4, [&](int x, int y) {
        const unsigned char* p = f.at(x, y);
        return outsideOverlay(x, y) && p[2] >= p[0] && p[2] >= 120 && f.brightness(x, y) >= 300;
    });
    EXPECT_GT(sky, total * 9 / 10) << sky << " of " << total;

    // The same frame with the panel backgrounds off gives the scene behind them:
    // inside the two panels the frame is the panel colour at 40 % over it,
    // outside them the frame is the scene itself. Their left parts carry text.
    gui::SceneAnalyseGUI& overlay = gui::SceneAnalyseGUI::instance();
    overlay.getTitleLabel().setDrawBackground(false);
    overlay.getFpsLabel().setDrawBackground(false);
    const Frame bare = grab("day_start_no_panels");
    overlay.getTitleLabel().setDrawBackground(true);
    overlay.getFpsLabel().setDrawBackground(true);
    auto wrong = [&](int x, int y) {
        // Edge pixels may go either way; the text is checked apart.
        if (std::abs(x - PANEL_X0) <= 1 || std::abs(x - PANEL_X1) <= 1 || std::abs(y - PANEL_Y0) <= 1 ||
            std::abs(y - PANEL_Y1) <= 1)
            return false;
        const bool inPanel = x > PANEL_X0 && x < PANEL_X1 && y > PANEL_Y0 && y < PANEL_Y1;
        if (inPanel && x < PANEL_X1 - 60)
            return false;
        int off = 0;
        for (int c = 0; c < 3; ++c) {
            const unsigned char q = bare.at(x, y)[c];
            off =
                std::max(off, std::abs(f.at(x, y)[c] -
                                       (inPanel ? panelBlend(gui::SceneAnalyseGUI::PANEL_COLOR[c], q) : q)));
        }
        return off > 3;
    };
    EXPECT_EQ(count(0, 0, 340, 90, 1, wrong), 0);
    // Light glyphs: brighter than any sky under the panel colour can be.
    auto glyph = [&](int x, int y) { return f.brightness(x, y) > 650; };
    EXPECT_GT(count(PANEL_X0 + 2, PANEL_Y0 + 2, PANEL_X1 - 60, PANEL_Y0 + 30, 1, glyph), 40)
        << "no title text";
    EXPECT_GT(count(PANEL_X0 + 2, PANEL_Y0 + 30, PANEL_X1 - 60, PANEL_Y1 - 1, 1, glyph), 40)
        << "no frame-rate text";

    // Night falls: darker all over, the sky at a tenth of its daylight colour.
    for (int i = 0; i < 5000 && DayNightCycle::instance().getPhase() != DayNightCycle::NIGHT_HOLD; ++i)
        tick(1);
    ASSERT_EQ(DayNightCycle::instance().getValue(), 0.0f);
    const Frame night = grab("night_start");
    EXPECT_LT(night.meanBrightness(), f.meanBrightness() * 0.4)
        << night.meanBrightness() << " vs " << f.meanBrightness();
    for (int x : {350, 500, 650, 790})
        for (int y : {20, 100, 180})
            for (int c = 0; c < 3; ++c)
                EXPECT_NEAR(night.at(x, y)[c], f.at(x, y)[c] * 0.1, 3.0) << x << "," << y << " channel " << c;

    // Each light in turn in front of the house at (10, -10): its sprite shows in
    // its own colour and the house front takes its colour.
    const char* names[3] = {"night_light_red", "night_light_green", "night_light_blue"};
    const float spot[3] = {10.0f, ground + 2.5f, -5.0f};
    Light* lights[3] = {effects->getLight(0), effects->getLight(1), effects->getLight(2)};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(names[i]);
        // The other two lights go far away; this one to the spot, and one tick
        // moves its sprite there (and the light a step on).
        for (int k = 0; k < 3; ++k)
            for (int c = 0; c < 3; ++c)
                lights[k]->position[c] = k == i ? spot[c] : -300.0f;
        effects->setBounds(nullptr);
        tick(1);
        effects->setBounds(octree->getModelBoundingBox());
        look(Vector3(10.0f, ground + 3.5f, 5.0f), Vector3(10.0f, ground + 2.5f, -8.0f));
        const Frame on = grab(names[i]);
        const float colour = lights[i]->color[i]; // each light has only its own channel
        lights[i]->color[i] = 0.0f;
        const Frame off = grab(std::string(names[i]) + "_unlit");
        lights[i]->color[i] = colour;

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
    const Vector3 fire(20.5f, -0.5f, 5.7f);
    tick(60);
    look(Vector3(24.5f, ground + 2.5f, 10.0f), Vector3(fire.x, fire.y + 0.3f, fire.z));
    const Frame lit = grab("fire");

    double sumX = 0.0, sumY = 0.0;
    const int flame = count(0, 0, 800, 600, 1, [&](int x, int y) {
        const bool orange = isOrangeFlame(lit.at(x, y));
        sumX += orange ? x : 0;
        sumY += orange ? y : 0;
        return orange;
    });
    ASSERT_GT(flame, 800) << "no flame in view";
    // The flame stands round the look target: centred horizontally, just above
    // the middle of the screen.
    EXPECT_NEAR(sumX / flame, 400.0, 80.0);
    EXPECT_NEAR(sumY / flame, 300.0, 110.0);

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
