// Screenshot tool: builds the demonstration scene exactly as the program does
// (same window set-up, same buildDemoScene), runs it on FrameDriver's synthetic
// 15 ms clock and saves one day and one night frame as PNG files, for the
// README and for anyone checking what the demo looks like.
//
//     world-of-ulmera-screenshot OUTDIR [NAME EX EY EZ TX TY TZ]...
//
// Run it from the run layout's bin/ folder (the data is read from ../data) on
// an X display; scripts/screenshots.sh does both and recompresses the files.
// Writes OUTDIR/day.png and OUTDIR/night.png (800 x 600), and for every extra
// group of seven arguments a day frame OUTDIR/NAME.png seen from the eye
// (EX, EY, EZ) towards the target (TX, TY, TZ). Exit status 0 on success, 1
// when the window or a file cannot be made, 2 on bad usage.

#include <GL/glew.h>
#include <libxml/parser.h>
#include <libxml/xmlversion.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "common/FrameCapture.h"
#include "demo/DemoScene.h"
#include "engine/Camera.h"
#include "engine/CoreEngine.h"
#include "engine/FlightPath.h"
#include "engine/FrameDriver.h"
#include "engine/GLApplication.h"
#include "environment/DayNightCycle.h"
#include "scene/World.h"

namespace {

// Both views look over the village from above the south-western shore towards
// the tower, with the sea and the sky behind: by day with the fountain spraying
// and the fire burning, at night with the coloured lights among the houses.
const zel::Vector3 EYE(-38.0f, 20.0f, 50.0f);
const zel::Vector3 TARGET(6.0f, -2.0f, -6.0f);

// Engine ticks of 15 ms without drawing; the synthetic clock stays put, so the
// frames drawn afterwards run no tick of their own.
void tick(int count) {
    for (int i = 0; i < count; ++i)
        zel::CoreEngine::instance().tick(zel::CoreEngine::TICK_INTERVAL_MS);
}

bool shoot(zel::FrameDriver& driver, zel::World& world, const zel::Vector3& eye, const zel::Vector3& target,
           const std::string& path) {
    zel::FlightPath::apply(zel::FlightPath::lookAt(eye, target), *world.getCamera());
    if (!zeltools::saveSettledFrame(driver, path)) {
        std::printf("Could not write %s.\n", path.c_str());
        return false;
    }
    std::printf("Wrote %s (%d x %d).\n", path.c_str(), zel::CoreEngine::instance().getWidth(),
                zel::CoreEngine::instance().getHeight());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    struct View {
        std::string name;
        zel::Vector3 eye;
        zel::Vector3 target;
    };
    std::vector<View> extra;
    bool usageOk = argc >= 2 && (argc - 2) % 7 == 0;
    for (int i = 2; usageOk && i + 7 <= argc; i += 7) {
        float v[6];
        for (int k = 0; k < 6; ++k) {
            char* end = nullptr;
            v[k] = std::strtof(argv[i + 1 + k], &end);
            if (end == argv[i + 1 + k] || *end != '\0')
                usageOk = false;
        }
        extra.push_back({argv[i], zel::Vector3(v[0], v[1], v[2]), zel::Vector3(v[3], v[4], v[5])});
    }
    if (!usageOk) {
        std::printf("usage: world-of-ulmera-screenshot OUTDIR [NAME EX EY EZ TX TY TZ]...\n");
        return 2;
    }
    const std::string outDir = argv[1];

    xmlInitParser();
    xmlCheckVersion(LIBXML_VERSION);
    auto application = std::make_unique<zel::GLApplication>("World Of Ulmera");
    if (!application->isWindowCreated())
        return 1;

    bool ok = true;
    {
        // The driver replaces the clock, pointer and swap hooks only; it is
        // destroyed (and the scene with it) while the context still exists.
        zel::FrameDriver driver;
        auto worldOwner = std::make_unique<zel::World>();
        zel::World& world = *worldOwner;
        zel::CoreEngine::instance().setRoot(std::move(worldOwner));
        zel::buildDemoScene(world);
        driver.start();

        // Three seconds of day so the fountain is spraying and the fire burning;
        // the last two drawn frame by frame, so that the overlay's frame rate
        // counts a whole second of drawn frames (of the synthetic clock).
        tick(65);
        driver.runTicks(135);
        ok = shoot(driver, world, EYE, TARGET, outDir + "/day.png") && ok;
        for (const View& view : extra)
            ok = shoot(driver, world, view.eye, view.target, outDir + "/" + view.name + ".png") && ok;

        // On to night: the rest of the day hold and the fade, then a few more
        // seconds so the coloured lights have spread through the village.
        zel::DayNightCycle& cycle = zel::DayNightCycle::instance();
        for (int i = 0; i < 10000 && cycle.getPhase() != zel::DayNightCycle::NIGHT_HOLD; ++i)
            tick(1);
        tick(165);
        driver.runTicks(135);
        ok = shoot(driver, world, EYE, TARGET, outDir + "/night.png") && ok;
    }
    application.reset();
    xmlCleanupParser();
    return ok ? 0 : 1;
}
