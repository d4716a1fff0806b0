#include "scene/CullingStats.h"

namespace zel {

void CullingStats::reset() { *this = CullingStats(); }

CullingStats& CullingStats::operator+=(const CullingStats& other) {
    nodesVisited += other.nodesVisited;
    nodesFrustumCulled += other.nodesFrustumCulled;
    nodesOcclusionCulled += other.nodesOcclusionCulled;
    meshesTested += other.meshesTested;
    meshesDrawn += other.meshesDrawn;
    trianglesDrawn += other.trianglesDrawn;
    return *this;
}

bool CullingStats::operator==(const CullingStats& other) const {
    return nodesVisited == other.nodesVisited && nodesFrustumCulled == other.nodesFrustumCulled &&
           nodesOcclusionCulled == other.nodesOcclusionCulled && meshesTested == other.meshesTested &&
           meshesDrawn == other.meshesDrawn && trianglesDrawn == other.trianglesDrawn;
}

CullingStats& CullingStats::total() {
    static CullingStats stats;
    return stats;
}

} // namespace zel
