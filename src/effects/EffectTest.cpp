#include "effects/EffectTest.h"

#include <cstdio>

#include "effects/Random.h"
#include "effects/Sprite.h"
#include "environment/DayNightCycle.h"
#include "resources/TextureDatabase.h"
#include "scene/World.h"

namespace zel {

namespace {

const char* const SPRITE_TEXTURE = "waterparticle_0.tga";
const float START[4] = {0.0f, 10.0f, 0.0f, 1.0f};
const float COLOURS[EffectTest::LIGHTS][4] = {
    {1.0f, 0.0f, 0.0f, 1.0f}, {0.0f, 1.0f, 0.0f, 1.0f}, {0.0f, 0.0f, 1.0f, 1.0f}};

// One jitter component: r mapped linearly from [0, 32767] onto [-0.5, 0.5].
float jitterComponent() { return Random::unit(Random::shared().next()) - 0.5f; }

Vector3 positionOf(const Light& light) { return Vector3(light.position[0], light.position[1], light.position[2]); }

} // namespace

EffectTest::EffectTest()
    : directions_{Vector3(1.0f, 0.0f, 0.0f), Vector3(0.0f, 1.0f, 0.0f), Vector3(-1.0f, 0.0f, 0.0f)} {
    std::array<std::unique_ptr<Light>, LIGHTS> records;
    for (int i = 0; i < LIGHTS; ++i) {
        records[i] = std::make_unique<Light>();
        for (int k = 0; k < 4; ++k) {
            records[i]->position[k] = START[k];
            records[i]->color[k] = COLOURS[i][k];
        }
    }
    for (int i = 0; i < LIGHTS; ++i) sprites_[i] = std::make_unique<Sprite>(positionOf(*records[i]), 1.0f);
    Texture* texture = TextureDatabase::getInstance().getTexture(SPRITE_TEXTURE);
    for (int i = 0; i < LIGHTS; ++i) {
        sprites_[i]->setTexture(texture);
        sprites_[i]->setColor(COLOURS[i][0], COLOURS[i][1], COLOURS[i][2], COLOURS[i][3]);
    }

    World* world = World::current();
    if (world == nullptr) {
        fprintf(stderr, "WARNING: [EffectTest] No world to register the lights with; they light nothing.\n");
    }
    for (int i = 0; i < LIGHTS; ++i) {
        if (world != nullptr) {
            lights_[i] = world->addLight(std::move(records[i]));
        } else {
            lights_[i] = records[i].get();
            unregistered_.push_back(std::move(records[i]));
        }
    }
}

// The sprites go with this object; the light records stay with the world.
EffectTest::~EffectTest() = default;

bool EffectTest::init() { return true; }

void EffectTest::render() { draw(DayNightCycle::instance().getValue()); }

void EffectTest::update(std::uint32_t elapsedMs) { step(elapsedMs, DayNightCycle::instance().getValue()); }

void EffectTest::draw(float dayNightValue) {
    if (!isNight(dayNightValue)) return;
    for (const std::unique_ptr<Sprite>& sprite : sprites_) sprite->render();
}

void EffectTest::step(std::uint32_t elapsedMs, float dayNightValue) {
    if (!isNight(dayNightValue)) return;

    if (timer_ >= JITTER_MS) {
        for (Vector3& direction : directions_) {
            Vector3 j;
            j.z = jitterComponent();
            j.y = jitterComponent();
            j.x = jitterComponent();
            direction = direction + j;
            direction.normalise();
        }
        timer_ = 0;
    }
    timer_ += elapsedMs;

    for (int i = 0; i < LIGHTS; ++i) {
        const Light& light = *lights_[i];
        if (bounds_ != nullptr && !bounds_->contains(light.position[0], light.position[1], light.position[2])) {
            directions_[i] = directions_[i] * -1.0f;
        }
    }
    for (int i = 0; i < LIGHTS; ++i) {
        Light& light = *lights_[i];
        light.position[0] += directions_[i].x * SPEED;
        light.position[1] += directions_[i].y * SPEED;
        light.position[2] += directions_[i].z * SPEED;
    }
    for (int i = 0; i < LIGHTS; ++i) sprites_[i]->setPosition(positionOf(*lights_[i]));
}

} // namespace zel
