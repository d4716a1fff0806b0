// world-of-ulmera-view: shows one SGF model in the demo's surroundings (sky,
// terrain, water and the three wandering lights), standing on the plateau at
// the origin as the demo stands its models, and lets the user fly round it
// with the demo's controls. The overlay shows the model's name, its triangle
// count and the frame rate.
//
//     world-of-ulmera-view FILE.sgf [--screenshot PNG]
//
// The model's textures are looked up in the run layout's data/textures
// folder (import with --texture-dir there). With --screenshot it renders one
// frame from a view that frames the model and saves it as PNG. Exit status 0
// (also when no window can be made, after the demo's message), 1 when the
// model has no triangles or the picture cannot be written, 2 on bad usage.

#include <GL/glew.h>
#include <libxml/parser.h>
#include <libxml/xmlversion.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/FrameCapture.h"
#include "demo/DemoScene.h"
#include "engine/CoreEngine.h"
#include "engine/FlightPath.h"
#include "engine/FrameDriver.h"
#include "engine/GLApplication.h"
#include "geometry/Mesh.h"
#include "geometry/MeshModel.h"
#include "gui/SceneAnalyseGUI.h"
#include "scene/Octree.h"
#include "scene/World.h"
#include "view/ModelFraming.h"

namespace fs = std::filesystem;

namespace {

// The data is read relative to the working directory (../data), like the
// demo's; started from elsewhere, the viewer works from its own folder, the
// run layout's bin/.
void enterRunLayout() {
    std::error_code error;
    if (fs::is_directory("../data", error))
        return;
    const fs::path bin = fs::read_symlink("/proc/self/exe", error).parent_path();
    if (!error && fs::is_directory(bin / ".." / "data", error))
        fs::current_path(bin, error);
}

// Builds the scene around the model and returns the merged model's triangle
// count; box receives the placed model's bounding box (when it has one).
std::size_t buildViewScene(zel::World& world, const std::string& model, zel::BoundingBox& box, bool& hasBox) {
    zel::buildScene(world, {{model, 0.0f, 0.0f, 0.0f, 1.0f}}, false);
    std::size_t triangles = 0;
    hasBox = false;
    for (const auto& child : world.getBloomChildren()) {
        const auto* octree = dynamic_cast<const zel::Octree*>(child.get());
        if (octree == nullptr || octree->getModel() == nullptr)
            continue;
        for (const auto& mesh : octree->getModel()->getMeshes())
            triangles += mesh->getTriangles().size();
        if (const zel::BoundingBox* placed = octree->getModelBoundingBox()) {
            box = *placed;
            hasBox = true;
        }
    }
    return triangles;
}

} // namespace

int main(int argc, char** argv) {
    std::string model, screenshot;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--screenshot" && i + 1 < argc && screenshot.empty())
            screenshot = argv[++i];
        else if (model.empty() && !arg.empty() && arg[0] != '-')
            model = arg;
        else
            model.clear(), i = argc;
    }
    if (model.empty()) {
        std::fprintf(stderr, "usage: world-of-ulmera-view FILE.sgf [--screenshot PNG]\n");
        return 2;
    }
    std::error_code error;
    const std::string modelPath = fs::absolute(model, error).string();
    const std::string screenshotPath = screenshot.empty() ? "" : fs::absolute(screenshot, error).string();
    if (!fs::is_regular_file(modelPath, error)) {
        std::fprintf(stderr, "world-of-ulmera-view: cannot read %s\n", model.c_str());
        return 1;
    }
    enterRunLayout();

    xmlInitParser();
    xmlCheckVersion(LIBXML_VERSION);
    auto application = std::make_unique<zel::GLApplication>("World Of Ulmera");
    if (!application->isWindowCreated()) {
        application.reset();
        xmlCleanupParser();
        return 0;
    }

    const std::string name = fs::path(model).stem().string();
    int status = 0;
    {
        // The driver is made only for a screenshot: it replaces the clock,
        // pointer and swap hooks that the interactive loop needs.
        std::unique_ptr<zel::FrameDriver> driver;
        if (!screenshotPath.empty())
            driver = std::make_unique<zel::FrameDriver>();
        auto worldOwner = std::make_unique<zel::World>();
        zel::World& world = *worldOwner;
        zel::CoreEngine::instance().setRoot(std::move(worldOwner));
        zel::BoundingBox box;
        bool hasBox = false;
        const std::size_t triangles = buildViewScene(world, modelPath, box, hasBox);
        zel::gui::SceneAnalyseGUI::instance().setTitle(name + ": " + std::to_string(triangles) +
                                                       " triangles");
        std::fprintf(stderr, "world-of-ulmera-view: %s, %zu triangles\n", name.c_str(), triangles);
        if (!hasBox) {
            std::fprintf(stderr, "world-of-ulmera-view: %s has no triangles to show\n", model.c_str());
            status = 1;
        } else {
            const zelview::Framing view = zelview::frameBox(box);
            zel::FlightPath::apply(zel::FlightPath::lookAt(view.eye, view.target), *world.getCamera());
            if (driver) {
                driver->start();
                // A second of ticks so that the overlay shows a frame rate.
                driver->runTicks(70);
                if (!zeltools::saveSettledFrame(*driver, screenshotPath)) {
                    std::fprintf(stderr, "world-of-ulmera-view: cannot write %s\n", screenshot.c_str());
                    status = 1;
                }
            } else {
                application->run();
            }
        }
    }
    application.reset();
    xmlCleanupParser();
    return status;
}
