// The world's frame: its passes in order with their viewports and matrices,
// the order of a tick's updates, and the order its children are deleted in.
#include <GL/glew.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/Camera.h"
#include "engine/CoreEngine.h"
#include "engine/FrameDriver.h"
#include "environment/DayNightCycle.h"
#include "environment/ISky.h"
#include "scene/World.h"
#include "support/EngineTest.h"

using namespace zel;

namespace {

struct Entry {
    std::string what;
    int viewportWidth = 0;
    bool depthTest = false;
    float modelview[16] = {};
    float cameraX = 0.0f;
    float dayNight = 0.0f;
    std::uint32_t elapsed = 0;
};

using Log = std::vector<Entry>;

Entry snapshot(const std::string& what) {
    Entry e;
    e.what = what;
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    e.viewportWidth = viewport[2];
    e.depthTest = glIsEnabled(GL_DEPTH_TEST);
    glGetFloatv(GL_MODELVIEW_MATRIX, e.modelview);
    if (World* current = World::current())
        e.cameraX = current->getCamera()->getPosition().x;
    e.dayNight = DayNightCycle::instance().getValue();
    return e;
}

template <typename Base> class Recorder : public Base {
public:
    Recorder(const std::string& name, Log& log) : name_(name), log_(log) {}
    ~Recorder() override { log_.push_back(snapshot(name_ + " delete")); }
    bool init() override {
        log_.push_back(snapshot(name_ + " init"));
        return true;
    }
    void render() override { log_.push_back(snapshot(name_ + " render")); }
    void update(std::uint32_t elapsedMs) override {
        Entry e = snapshot(name_ + " update");
        e.elapsed = elapsedMs;
        log_.push_back(e);
    }

private:
    std::string name_;
    Log& log_;
};

std::vector<std::string> names(const Log& log) {
    std::vector<std::string> result;
    for (const Entry& e : log)
        result.push_back(e.what);
    return result;
}

class WorldTest : public zeltest::EngineTest {
protected:
    WorldTest() : EngineTest(true) {}

    void addRecorders() {
        world_->addBloomChild(std::make_unique<Recorder<IRenderableObject>>("bloom1", log));
        world_->addBloomChild(std::make_unique<Recorder<IRenderableObject>>("bloom2", log));
        world_->addMainChild(std::make_unique<Recorder<IRenderableObject>>("main1", log));
        world_->setSky(std::make_unique<Recorder<ISky>>("sky", log));
    }

    Log log;
};

} // namespace

TEST_F(WorldTest, FramePassesRunInOrderAndATickUpdatesChildrenThenCameraThenDayNightThenSky) {
    addRecorders();
    Camera& camera = *world_->getCamera();
    camera.setYaw(30.0f);
    camera.setPitch(10.0f);
    camera.setPosition(Vector3(5, 7, -3));
    camera.setVelocity(Vector3(100, 0, 0));
    // Put the shared cycle into a fade, where every update changes the value.
    DayNightCycle& cycle = DayNightCycle::instance();
    for (int i = 0; i < 5000 && cycle.getPhase() != DayNightCycle::FADING_TO_NIGHT; ++i)
        cycle.update(30000);
    ASSERT_EQ(cycle.getPhase(), DayNightCycle::FADING_TO_NIGHT);
    cycle.update(15); // past the first step, so the value moves every update
    const float v0 = cycle.getValue();
    driver_->start();
    EXPECT_TRUE(names(log).empty()); // the world does not init its children
    GLint stackBefore = 0, stackAfter = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &stackBefore);
    driver_->frame(0);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &stackAfter);
    EXPECT_EQ(stackAfter, stackBefore);
    const std::vector<std::string> expected = {"bloom1 render", "bloom2 render", "sky render",
                                               "main1 render",  "bloom1 render", "bloom2 render"};
    ASSERT_EQ(names(log), expected);

    // The camera view, as the first and the main passes see it.
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    camera.look();
    float view[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, view);
    // The sky: orientation only, -pitch about x, then 180 - yaw about y.
    glLoadIdentity();
    glRotatef(-10.0f, 1, 0, 0);
    glRotatef(150.0f, 0, 1, 0);
    float skyView[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, skyView);
    glPopMatrix();
    // The bloom source pass into the 128-pixel corner, the sky without depth
    // test under its rotation-only view, then the main pass.
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(log[i].what);
        EXPECT_EQ(log[i].viewportWidth, i < 2 ? 128 : 800);
        EXPECT_EQ(log[i].depthTest, i != 2);
        for (int k = 0; k < 16; ++k)
            EXPECT_NEAR(log[i].modelview[k], (i == 2 ? skyView : view)[k], 1e-4f) << k;
    }

    log.clear();
    ASSERT_TRUE(driver_->frame(20));
    std::vector<Entry> updates;
    for (const Entry& e : log)
        if (e.what.find("update") != std::string::npos)
            updates.push_back(e);
    const std::vector<std::string> order = {"bloom1 update", "bloom2 update", "main1 update", "sky update"};
    ASSERT_EQ(names(updates), order);
    // Children run before the camera and the cycle; the sky after both.
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(updates[i].elapsed, 20u);
        EXPECT_NEAR(updates[i].cameraX, i < 3 ? 5.0f : 5.0f + 100.0f * 0.02f, 1e-4f) << i;
        EXPECT_NEAR(updates[i].dayNight, i < 3 ? v0 : v0 - 0.001f, 1e-5f) << i;
    }
}

TEST_F(WorldTest, DeletingTheWorldDeletesEachChildOnceInListOrderThenTheSky) {
    addRecorders();
    // Replacing the sky deletes the old one at once.
    world_->setSky(std::make_unique<Recorder<ISky>>("sky2", log));
    ASSERT_EQ(names(log), std::vector<std::string>{"sky delete"});
    log.clear();

    driver_->setRoot(nullptr);
    const std::vector<std::string> expected = {"bloom1 delete", "bloom2 delete", "main1 delete",
                                               "sky2 delete"};
    EXPECT_EQ(names(log), expected);
    EXPECT_EQ(World::current(), nullptr);
    world_ = nullptr;
}
