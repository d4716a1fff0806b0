#pragma once
// The scene root that the engine drives. It owns the camera, the frustum, the
// scene lights, the shared lighting program, the bloom effect, the sky and two
// child lists, and fixes the order of every frame's passes: bloom source pass
// into a 128 x 128 viewport, sky, main list, bloom list again, glow composite,
// statistics overlay. Other objects reach it as the engine's root object
// (World::current()) to read the camera, frustum, lights and lighting program.

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/IRenderableObject.h"
#include "geometry/Light.h"
#include "scene/WorldPassObserver.h"

namespace zel {

class Camera;
class Frustum;
class GPUProgram;
class BloomEffect;
class ISky;

class World : public IRenderableObject {
public:
    World();
    ~World() override;
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    // The world the engine currently drives (its root object), or null when the
    // root is unset or is not a World.
    static World* current();

    bool init() override;
    void render() override;
    void update(std::uint32_t elapsedMs) override;

    // Children drawn twice per frame: into the bloom source image and in the main pass.
    void addBloomChild(std::unique_ptr<IRenderableObject> child);
    // Children drawn once per frame, in the main pass only.
    void addMainChild(std::unique_ptr<IRenderableObject> child);
    const std::vector<std::unique_ptr<IRenderableObject>>& getBloomChildren() const { return bloomChildren_; }
    const std::vector<std::unique_ptr<IRenderableObject>>& getMainChildren() const { return mainChildren_; }

    // Installs the sky, deleting any sky already installed. Null removes it.
    void setSky(std::unique_ptr<ISky> sky);
    ISky* getSky() const { return sky_.get(); }

    // Registers a light; the world owns it. Returns the stored record.
    Light* addLight(std::unique_ptr<Light> light);
    const std::vector<std::unique_ptr<Light>>& getLights() const { return lights_; }

    void cameraCommand(int amount, int command);

    Camera* getCamera() const { return camera_.get(); }
    Frustum* getFrustum() const { return frustum_.get(); }
    GPUProgram* getLightProgram() const { return lightProgram_.get(); }
    BloomEffect* getBloom() const { return bloom_.get(); }

    // An observer told where each pass of render begins and ends (profiling
    // tools); not owned, null (the default) for none.
    void setPassObserver(WorldPassObserver* observer) { passObserver_ = observer; }
    WorldPassObserver* getPassObserver() const { return passObserver_; }

    // Whether the frame is handed to the driver after the sky and after the
    // main list (on by default; the benchmark compares both).
    void setEarlySubmit(bool on) { earlySubmit_ = on; }
    bool hasEarlySubmit() const { return earlySubmit_; }

private:
    std::vector<std::unique_ptr<IRenderableObject>> bloomChildren_;
    std::vector<std::unique_ptr<IRenderableObject>> mainChildren_;
    std::vector<std::unique_ptr<Light>> lights_;
    std::unique_ptr<Camera> camera_;
    std::unique_ptr<Frustum> frustum_;
    std::unique_ptr<ISky> sky_;
    std::unique_ptr<GPUProgram> lightProgram_;
    std::unique_ptr<BloomEffect> bloom_;
    WorldPassObserver* passObserver_ = nullptr;
    bool earlySubmit_ = true;

    void submitEarly() const;

    void beginPass(WorldPassObserver::Pass pass) {
        if (passObserver_) passObserver_->beginPass(pass);
    }
    void endPass(WorldPassObserver::Pass pass) {
        if (passObserver_) passObserver_->endPass(pass);
    }
};

} // namespace zel
