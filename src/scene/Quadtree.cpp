#include "scene/Quadtree.h"

namespace zel {

BoundingBox QuadtreeNode::quadrantBox(const BoundingBox& box, int index) {
    const float cx = box.minX + (box.maxX - box.minX) * 0.5f;
    const float cz = box.minZ + (box.maxZ - box.minZ) * 0.5f;
    const bool highX = index == 1 || index == 2;
    const bool highZ = index == 2 || index == 3;
    BoundingBox out = box; // full height
    out.minX = highX ? cx : box.minX;
    out.maxX = highX ? box.maxX : cx;
    out.minZ = highZ ? cz : box.minZ;
    out.maxZ = highZ ? box.maxZ : cz;
    return out;
}

} // namespace zel
