// A textured box under the sky box, flown round with the engine's camera and
// controls (w/s/a/d/x/c, arrows, mouse; Escape quits). Like the demo it reads
// ../data and ../textures.xml from its working directory, so run it from the
// bin/ folder of an engine run layout (build/run/bin or the installed
// share/world-of-ulmera/bin). "--frames N" quits by itself after N frames.

#include <libxml/parser.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "ZelVersion.h"
#include "engine/Camera.h"
#include "engine/CoreEngine.h"
#include "engine/GLApplication.h"
#include "environment/SkyBox.h"
#include "geometry/MeshModel.h"
#include "resources/TextureDatabase.h"
#include "scene/World.h"

namespace {

class BoxApplication : public zel::GLApplication {
public:
    explicit BoxApplication(long maxFrames) : GLApplication("zel consumer"), maxFrames_(maxFrames) {}

    void onFrame() override {
        GLApplication::onFrame();
        if (maxFrames_ > 0 && ++frames_ >= maxFrames_)
            stop();
    }

private:
    long maxFrames_;
    long frames_ = 0;
};

// Two triangles of one face of the box, from four corners in counter-clockwise order.
void addFace(zel::Mesh& mesh, zel::Texture* texture, const zel::Vector3 (&c)[4]) {
    const zel::Vector2 uv[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    const int corners[2][3] = {{0, 1, 2}, {0, 2, 3}};
    for (const auto& tri : corners) {
        zel::Triangle t;
        for (int i = 0; i < 3; ++i) {
            t.positions[i] = c[tri[i]];
            t.texCoords[i] = uv[tri[i]];
        }
        t.texture = texture;
        mesh.addTriangle(t);
    }
}

// A cube of side 2 standing on y = 0 round the origin.
std::unique_ptr<zel::MeshModel> makeBox(zel::Texture* texture) {
    auto mesh = std::make_unique<zel::Mesh>();
    const float x0 = -1, x1 = 1, y0 = 0, y1 = 2, z0 = 1, z1 = -1;
    const zel::Vector3 faces[6][4] = {
        {{x0, y0, z1}, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}}, // front
        {{x1, y0, z0}, {x0, y0, z0}, {x0, y1, z0}, {x1, y1, z0}}, // back
        {{x0, y0, z0}, {x0, y0, z1}, {x0, y1, z1}, {x0, y1, z0}}, // left
        {{x1, y0, z1}, {x1, y0, z0}, {x1, y1, z0}, {x1, y1, z1}}, // right
        {{x0, y1, z1}, {x1, y1, z1}, {x1, y1, z0}, {x0, y1, z0}}, // top
        {{x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}, {x0, y0, z1}}, // bottom
    };
    for (const auto& face : faces)
        addFace(*mesh, texture, face);
    auto model = std::make_unique<zel::MeshModel>();
    model->addMesh(std::move(mesh));
    return model;
}

} // namespace

int main(int argc, char** argv) {
    long maxFrames = 0;
    if (argc == 3 && std::strcmp(argv[1], "--frames") == 0)
        maxFrames = std::strtol(argv[2], nullptr, 10);
    std::fprintf(stderr, "zel consumer on engine %s\n", ZEL_VERSION_STRING);

    xmlInitParser();
    auto application = std::make_unique<BoxApplication>(maxFrames);
    if (!application->isWindowCreated())
        return 0;

    auto world = std::make_unique<zel::World>();
    zel::World& scene = *world;
    zel::CoreEngine::instance().setRoot(std::move(world));
    scene.setSky(std::make_unique<zel::SkyBox>("sky", 10.0f));
    auto box = makeBox(zel::TextureDatabase::getInstance().getTexture("stone_wall.jpg"));
    box->init();
    scene.addMainChild(std::move(box));
    // Six units in front of the box, looking at it along +z.
    scene.getCamera()->setPosition(zel::Vector3(0.0f, 1.5f, -6.0f));

    application->run();
    application.reset();
    xmlCleanupParser();
    return 0;
}
