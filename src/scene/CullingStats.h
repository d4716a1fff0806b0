#pragma once
// Counts of one culling walk of the octree or quadtree: how many nodes were
// visited and rejected (by the frustum or by an occlusion query), how many
// meshes were tested against the frustum and drawn, and how many triangles the
// drawn meshes hold. Each tree keeps the counts of its last render (reset at the
// start of that render); every walk also adds its counts to a process-wide
// aggregate that tests, the benchmark and scene-tuning tools reset and read.

#include <cstdint>

namespace zel {

class CullingStats {
public:
    // Node boxes tested against the frustum (every node the walk reached).
    std::uint64_t nodesVisited = 0;
    // Nodes skipped, with their subtrees, because their box lies outside the frustum.
    std::uint64_t nodesFrustumCulled = 0;
    // Nodes skipped, with their subtrees, because their occlusion query saw no samples.
    std::uint64_t nodesOcclusionCulled = 0;
    // Meshes of surviving nodes whose box was tested against the frustum.
    std::uint64_t meshesTested = 0;
    // Meshes whose render was called (a single-textured mesh may still fade to nothing).
    std::uint64_t meshesDrawn = 0;
    // Triangles held by the drawn meshes.
    std::uint64_t trianglesDrawn = 0;

    // Sets every count to zero.
    void reset();
    CullingStats& operator+=(const CullingStats& other);
    bool operator==(const CullingStats& other) const;
    bool operator!=(const CullingStats& other) const { return !(*this == other); }

    // The process-wide aggregate of every walk since its last reset.
    static CullingStats& total();
};

} // namespace zel
