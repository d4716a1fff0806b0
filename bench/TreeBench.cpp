// world-of-ulmera-treebench: what the culling trees of the demo scene cost.
//
// Builds the demo's static geometry once, the way the demo does: the terrain
// from ../data/textures/heightmap.tga in a quadtree, and the twelve village
// models loaded through SGFMeshModel::load at their scene positions and merged
// into one container in an octree. Then measures
//   - the tree building alone (OctreeNode/QuadtreeNode::build over the
//     initialised meshes), each tree and both together;
//   - the whole set-up of both trees (loading files, mesh init with display
//     lists and vertex buffers, building), for scale;
//   - one frame's culling walk of both trees at the start position (camera at
//     (0, 10, 0) looking along +z), as the frame runs it: Quadtree::render and
//     Octree::render, which include submitting the drawn meshes to GL (time:
//     the main thread's CPU time inside the calls);
//   - the same walk's decisions alone (node and mesh frustum tests over the
//     built trees, no drawing), to separate the walk from the draw submission.
// Prints the culling statistics of that frame before the timings.
//
// Needs an X display (for example Xvfb) and the run layout: it runs from the
// folder that holds the program (build/run/bin), so ../data resolves.

#include <GL/glew.h>
#include <SDL/SDL.h>
#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/Camera.h"
#include "engine/CoreEngine.h"
#include "engine/FrameDriver.h"
#include "environment/Terrain.h"
#include "geometry/Light.h"
#include "geometry/Mesh.h"
#include "geometry/MeshModel.h"
#include "geometry/SGFMeshModel.h"
#include "math/Frustum.h"
#include "scene/CullingStats.h"
#include "scene/Octree.h"
#include "scene/Quadtree.h"
#include "scene/World.h"

using namespace zel;

namespace {

constexpr unsigned MAX_MESHES_PER_NODE = 10;

struct Placement {
    const char* file;
    float x, z, scale, raise;
};

// The village: file, ground position, scale and extra height above the ground.
const Placement VILLAGE[] = {
    {"../data/models/wall.sgf", 0, 0, 1.0f, 0},       {"../data/models/house.sgf", 0, 0, 1.0f, 0},
    {"../data/models/well.sgf", 10, 10, 0.5f, 0},     {"../data/models/fountain.sgf", -10, 20, 0.6f, 0},
    {"../data/models/house.sgf", 10, -10, 1.0f, 0},   {"../data/models/house.sgf", 20, 20, 1.0f, 0},
    {"../data/models/house.sgf", 10, 20, 1.0f, 0},    {"../data/models/house.sgf", -20, 20, 1.0f, 0},
    {"../data/models/house.sgf", -20, -15, 1.0f, 0},  {"../data/models/house.sgf", -20, -25, 1.0f, 0},
    {"../data/models/tower.sgf", 30, -30, 1.0f, 0},   {"../data/models/fireplace.sgf", 20, 5, 0.4f, 0.01f},
};

std::unique_ptr<Quadtree> makeTerrainTree() {
    auto terrain = std::make_unique<Terrain>("../data/textures/heightmap.tga", "gras_4_dl.tga",
                                             Vector3(-400.0f, -20.0f, -400.0f), 0.1f, 800.0f, 800.0f);
    auto tree = std::make_unique<Quadtree>(std::move(terrain), MAX_MESHES_PER_NODE, false);
    tree->init();
    return tree;
}

// Loads the twelve models standing on the terrain of quadtree and builds their octree.
std::unique_ptr<Octree> makeVillageTree(const Quadtree& quadtree) {
    auto container = std::make_unique<MeshModel>();
    for (const Placement& p : VILLAGE) {
        const float h = quadtree.getModel()->getHeight(0.0f, 0.0f);
        std::unique_ptr<SGFMeshModel> model = SGFMeshModel::load(p.file, Vector3(p.x, h + p.raise, p.z), p.scale);
        container->addMeshes(*model);
    }
    auto tree = std::make_unique<Octree>(std::move(container), MAX_MESHES_PER_NODE, false);
    tree->init();
    return tree;
}

std::vector<Mesh*> meshList(const MeshModel& model) {
    std::vector<Mesh*> meshes;
    for (const auto& mesh : model.getMeshes()) meshes.push_back(mesh.get());
    return meshes;
}

// The scene every benchmark reads; built once in main.
struct Scene {
    std::unique_ptr<Quadtree> quadtree;
    std::unique_ptr<Octree> octree;
};
Scene* scene = nullptr;

// Sets the frame's matrices and the world's frustum as the world's render does:
// perspective projection, camera view, frustum extraction.
void prepareFrame(World& world) {
    CoreEngine::instance().setupProjection();
    world.getCamera()->look();
    world.getFrustum()->extract();
}

// The walk's decisions without drawing: the same node and mesh tests in the
// same order, counting what would be drawn.
template <typename Node>
void walk(const Node& node, const Frustum& frustum, CullingStats& stats) {
    ++stats.nodesVisited;
    if (!frustum.intersectsBox(node.getBox())) {
        ++stats.nodesFrustumCulled;
        return;
    }
    for (const Mesh* mesh : node.getMeshes()) {
        ++stats.meshesTested;
        if (mesh->getBoundingBox() && frustum.intersectsBox(*mesh->getBoundingBox())) {
            ++stats.meshesDrawn;
            stats.trianglesDrawn += mesh->getTriangles().size();
        }
    }
    for (int i = 0; i < Node::CHILD_COUNT; ++i) {
        if (const Node* child = node.getChild(i)) walk(*child, frustum, stats);
    }
}

void addCounters(benchmark::State& state, const CullingStats& stats) {
    state.counters["nodes"] = static_cast<double>(stats.nodesVisited);
    state.counters["meshesDrawn"] = static_cast<double>(stats.meshesDrawn);
    state.counters["triangles"] = static_cast<double>(stats.trianglesDrawn);
}

void BM_OctreeBuild(benchmark::State& state) {
    const MeshModel& model = *scene->octree->getModel();
    const std::vector<Mesh*> meshes = meshList(model);
    for (auto _ : state) {
        OctreeNode root(*model.getBoundingBox(), MAX_MESHES_PER_NODE, false);
        root.build(meshes);
        benchmark::DoNotOptimize(root.getChildCount());
    }
    state.counters["meshes"] = static_cast<double>(meshes.size());
}
BENCHMARK(BM_OctreeBuild)->Unit(benchmark::kMicrosecond);

void BM_QuadtreeBuild(benchmark::State& state) {
    const MeshModel& model = *scene->quadtree->getModel();
    const std::vector<Mesh*> meshes = meshList(model);
    for (auto _ : state) {
        QuadtreeNode root(*model.getBoundingBox(), MAX_MESHES_PER_NODE, false);
        root.build(meshes);
        benchmark::DoNotOptimize(root.getChildCount());
    }
    state.counters["meshes"] = static_cast<double>(meshes.size());
}
BENCHMARK(BM_QuadtreeBuild)->Unit(benchmark::kMicrosecond);

void BM_BothTreesBuild(benchmark::State& state) {
    const MeshModel& village = *scene->octree->getModel();
    const MeshModel& terrain = *scene->quadtree->getModel();
    const std::vector<Mesh*> villageMeshes = meshList(village);
    const std::vector<Mesh*> terrainMeshes = meshList(terrain);
    for (auto _ : state) {
        OctreeNode octreeRoot(*village.getBoundingBox(), MAX_MESHES_PER_NODE, false);
        octreeRoot.build(villageMeshes);
        QuadtreeNode quadtreeRoot(*terrain.getBoundingBox(), MAX_MESHES_PER_NODE, false);
        quadtreeRoot.build(terrainMeshes);
        benchmark::DoNotOptimize(octreeRoot.getChildCount() + quadtreeRoot.getChildCount());
    }
}
BENCHMARK(BM_BothTreesBuild)->Unit(benchmark::kMicrosecond);

// Everything the demo does for its two trees: terrain, quadtree init, twelve
// model loads (textures are registered after the first round), octree init
// with its mesh init (display lists, vertex buffers), and destruction.
void BM_SceneTreesSetUp(benchmark::State& state) {
    for (auto _ : state) {
        std::unique_ptr<Quadtree> quadtree = makeTerrainTree();
        std::unique_ptr<Octree> octree = makeVillageTree(*quadtree);
        glFinish();
        benchmark::DoNotOptimize(octree->getRoot());
    }
}
BENCHMARK(BM_SceneTreesSetUp)->Unit(benchmark::kMillisecond)->Iterations(5);

// CPU time of the calling thread alone, in seconds. A software GL driver
// rasterizes on threads of its own; their time is not the walk's.
double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// One frame's walk of both trees as the frame runs it, drawing included. The
// reported time is this thread's CPU time inside the two render calls (the
// driver's work done on this thread while accepting the draws counts, the
// rasterization flushed afterwards with glFinish does not).
void BM_CullingWalkWithDraw(benchmark::State& state) {
    World& world = *World::current();
    prepareFrame(world);
    for (auto _ : state) {
        const double start = threadCpuSeconds();
        scene->quadtree->render();
        scene->octree->render();
        state.SetIterationTime(threadCpuSeconds() - start);
        glFinish();
    }
    CullingStats both = scene->quadtree->getStats();
    both += scene->octree->getStats();
    addCounters(state, both);
}
BENCHMARK(BM_CullingWalkWithDraw)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The same walk's decisions alone.
void BM_CullingWalkDecisions(benchmark::State& state) {
    World& world = *World::current();
    prepareFrame(world);
    const Frustum& frustum = *world.getFrustum();
    CullingStats stats;
    for (auto _ : state) {
        stats.reset();
        walk(*scene->quadtree->getRoot(), frustum, stats);
        walk(*scene->octree->getRoot(), frustum, stats);
        benchmark::DoNotOptimize(stats.trianglesDrawn);
    }
    addCounters(state, stats);
}
BENCHMARK(BM_CullingWalkDecisions)->Unit(benchmark::kMicrosecond);

void printStats(const char* name, const CullingStats& s) {
    printf("%-9s nodes visited %llu, frustum-culled %llu, occlusion-culled %llu, meshes tested %llu, "
           "drawn %llu, triangles drawn %llu\n",
           name, static_cast<unsigned long long>(s.nodesVisited),
           static_cast<unsigned long long>(s.nodesFrustumCulled),
           static_cast<unsigned long long>(s.nodesOcclusionCulled), static_cast<unsigned long long>(s.meshesTested),
           static_cast<unsigned long long>(s.meshesDrawn), static_cast<unsigned long long>(s.trianglesDrawn));
}

std::size_t countNodes(const OctreeNode& node) {
    std::size_t n = 1;
    for (int i = 0; i < OctreeNode::CHILD_COUNT; ++i)
        if (const OctreeNode* c = node.getChild(i)) n += countNodes(*c);
    return n;
}

std::size_t countNodes(const QuadtreeNode& node) {
    std::size_t n = 1;
    for (int i = 0; i < QuadtreeNode::CHILD_COUNT; ++i)
        if (const QuadtreeNode* c = node.getChild(i)) n += countNodes(*c);
    return n;
}

// The data is found relative to the working directory; when started from
// elsewhere, work from the program's own folder.
void enterRunFolder(const char* argv0) {
    if (std::filesystem::exists("../data/models/house.sgf")) return;
    std::error_code error;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) self = std::filesystem::absolute(argv0, error);
    if (!error) std::filesystem::current_path(self.parent_path(), error);
}

bool createContext() {
    setenv("SDL_VIDEODRIVER", "x11", 0);
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) < 0) {
        printf("SDL_Init failed: %s\n", SDL_GetError());
        return false;
    }
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    if (SDL_SetVideoMode(800, 600, 24, SDL_OPENGL) == nullptr) {
        printf("SDL_SetVideoMode failed: %s\n", SDL_GetError());
        return false;
    }
    if (glewInit() != GLEW_OK) {
        printf("glewInit failed\n");
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
    enterRunFolder(argv[0]);
    if (!std::filesystem::exists("../data/models/house.sgf")) {
        printf("The run layout (../data) was not found; run from build/run/bin.\n");
        return 1;
    }
    if (!createContext()) return 1;
    xmlInitParser();

    int status = 0;
    {
        FrameDriver driver;
        driver.initGL();
        World& world = driver.createWorld();
        // The scene's three lights, which every single-textured mesh takes in its init.
        for (int i = 0; i < 3; ++i) world.addLight(std::make_unique<Light>());

        Scene built;
        const auto start = std::chrono::steady_clock::now();
        built.quadtree = makeTerrainTree();
        built.octree = makeVillageTree(*built.quadtree);
        const double setUpMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        scene = &built;

        if (!built.octree->getRoot() || !built.quadtree->getRoot()) {
            printf("The scene has no trees (models or terrain failed to load).\n");
            status = 1;
        } else {
            const Camera& camera = *world.getCamera();
            prepareFrame(world);
            built.quadtree->render();
            built.octree->render();
            glFinish();
            printf("Scene: %zu village meshes in %zu octree nodes, %zu terrain meshes in %zu quadtree nodes; "
                   "first set-up %.1f ms\n",
                   built.octree->getModel()->getMeshes().size(), countNodes(*built.octree->getRoot()),
                   built.quadtree->getModel()->getMeshes().size(), countNodes(*built.quadtree->getRoot()), setUpMs);
            printf("Frame at camera (%g, %g, %g) looking (%g, %g, %g):\n", camera.getPosition().x,
                   camera.getPosition().y, camera.getPosition().z, camera.getDirection().x, camera.getDirection().y,
                   camera.getDirection().z);
            printStats("quadtree", built.quadtree->getStats());
            printStats("octree", built.octree->getStats());
            // The decisions-only walk must see the same frame as the trees' own walk.
            CullingStats trees = built.quadtree->getStats();
            trees += built.octree->getStats();
            CullingStats replica;
            walk(*built.quadtree->getRoot(), *world.getFrustum(), replica);
            walk(*built.octree->getRoot(), *world.getFrustum(), replica);
            if (replica != trees) {
                printf("The decisions-only walk disagrees with the trees' statistics.\n");
                status = 1;
            }
            fflush(stdout);
            benchmark::RunSpecifiedBenchmarks();
        }
        scene = nullptr;
        // The trees and their GL objects go before the world and the engine reset.
    }
    benchmark::Shutdown();
    xmlCleanupParser();
    SDL_Quit();
    return status;
}
