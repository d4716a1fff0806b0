#include "scene/World.h"

#include <GL/glew.h>

#include "effects/BloomEffect.h"
#include "engine/Camera.h"
#include "engine/CoreEngine.h"
#include "environment/DayNightCycle.h"
#include "environment/ISky.h"
#include "gui/SceneAnalyseGUI.h"
#include "math/Frustum.h"
#include "resources/GPUProgram.h"

namespace zel {

namespace {
constexpr int BLOOM_VIEWPORT = 128;
const char* const LIGHT_VERTEX_SHADER = "../data/shader/light_vs.txt";
const char* const LIGHT_FRAGMENT_SHADER = "../data/shader/light_fs.txt";
} // namespace

World::World() {
    camera_ = std::make_unique<Camera>();
    frustum_ = std::make_unique<Frustum>();
    lightProgram_ = std::make_unique<GPUProgram>(LIGHT_VERTEX_SHADER, LIGHT_FRAGMENT_SHADER);
    bloom_ = std::make_unique<BloomEffect>();
}

World::~World() {
    // Children first (bloom list, then main list, each in list order), then
    // lights, frustum, bloom, lighting program, sky and camera.
    for (auto& child : bloomChildren_)
        child.reset();
    for (auto& child : mainChildren_)
        child.reset();
    for (auto& light : lights_)
        light.reset();
    frustum_.reset();
    bloom_.reset();
    lightProgram_.reset();
    sky_.reset();
    camera_.reset();
}

World* World::current() {
    return dynamic_cast<World*>(CoreEngine::instance().getRoot());
}

bool World::init() {
    return true;
}

void World::addBloomChild(std::unique_ptr<IRenderableObject> child) {
    if (child)
        bloomChildren_.push_back(std::move(child));
}

void World::addMainChild(std::unique_ptr<IRenderableObject> child) {
    if (child)
        mainChildren_.push_back(std::move(child));
}

void World::setSky(std::unique_ptr<ISky> sky) {
    sky_.reset();
    sky_ = std::move(sky);
}

Light* World::addLight(std::unique_ptr<Light> light) {
    if (!light)
        return nullptr;
    lights_.push_back(std::move(light));
    return lights_.back().get();
}

void World::cameraCommand(int amount, int command) {
    camera_->command(amount, command);
}

// Each finished part of the frame is handed to the driver at once: a threaded
// software rasteriser (llvmpipe) then draws it on its worker threads while this
// thread is still submitting the rest, instead of starting only at the buffer
// swap. On a GPU this merely submits early.
void World::submitEarly() const {
    if (earlySubmit_)
        glFlush();
}

void World::render() {
    CoreEngine& engine = CoreEngine::instance();
    const int width = engine.getWidth();
    const int height = engine.getHeight();

    engine.setupProjection();
    camera_->look();
    frustum_->extract();

    // Bloom source image: the glowing objects alone, squeezed into the corner.
    glViewport(0, 0, BLOOM_VIEWPORT, BLOOM_VIEWPORT);
    beginPass(WorldPassObserver::BloomSource);
    for (auto& child : bloomChildren_)
        child->render();
    endPass(WorldPassObserver::BloomSource);
    beginPass(WorldPassObserver::BloomCapture);
    bloom_->capture();
    endPass(WorldPassObserver::BloomCapture);

    beginPass(WorldPassObserver::Sky);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glViewport(0, 0, width, height);

    // The sky turns with the camera but never moves, so it stays centred on the eye.
    glPushMatrix();
    glRotatef(-camera_->getPitch(), 1.0f, 0.0f, 0.0f);
    glRotatef(180.0f - camera_->getYaw(), 0.0f, 1.0f, 0.0f);
    if (sky_) {
        glDisable(GL_DEPTH_TEST);
        sky_->render();
        glEnable(GL_DEPTH_TEST);
    }
    glPopMatrix();
    endPass(WorldPassObserver::Sky);
    submitEarly();

    beginPass(WorldPassObserver::MainList);
    camera_->look();
    for (auto& child : mainChildren_)
        child->render();
    endPass(WorldPassObserver::MainList);
    submitEarly();
    beginPass(WorldPassObserver::BloomList);
    for (auto& child : bloomChildren_)
        child->render();
    endPass(WorldPassObserver::BloomList);

    // Overlay projection: one unit per pixel, origin at the bottom-left corner.
    beginPass(WorldPassObserver::BloomComposite);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, width, 0.0, height, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    bloom_->render();
    endPass(WorldPassObserver::BloomComposite);
    beginPass(WorldPassObserver::Overlay);
    gui::SceneAnalyseGUI::instance().render();
    endPass(WorldPassObserver::Overlay);
}

void World::update(std::uint32_t elapsedMs) {
    for (auto& child : bloomChildren_)
        child->update(elapsedMs);
    for (auto& child : mainChildren_)
        child->update(elapsedMs);
    camera_->update(elapsedMs);
    DayNightCycle::instance().update(static_cast<std::int32_t>(elapsedMs));
    if (sky_)
        sky_->update(elapsedMs);
    gui::SceneAnalyseGUI::instance().update(elapsedMs);
}

} // namespace zel
