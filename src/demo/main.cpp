// The entry point of World Of Ulmera: brings up the XML library, opens the
// window, hands a new world to the engine, builds the demo scene in it and runs
// the event loop until the user quits.

#include <libxml/parser.h>
#include <libxml/xmlversion.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "demo/DemoScene.h"
#include "engine/CoreEngine.h"
#include "engine/GLApplication.h"
#include "scene/World.h"

int main(int, char**) {
    // Diagnostics reach the terminal or log line by line, so a killed process
    // loses none of what it printed.
    setvbuf(stdout, nullptr, _IOLBF, 0);
    xmlInitParser();
    xmlCheckVersion(LIBXML_VERSION);

    auto application = std::make_unique<zel::GLApplication>("World Of Ulmera");
    if (!application->isWindowCreated())
        std::exit(0);

    auto world = std::make_unique<zel::World>();
    zel::World& scene = *world;
    zel::CoreEngine::instance().setRoot(std::move(world));
    zel::buildDemoScene(scene);

    // Returns when the user has quit; the scene is torn down at its end while
    // the GL context still exists.
    application->run();
    application.reset();

    xmlCleanupParser();
    return 0;
}
