#include "scene/Octree.h"

namespace zel {

BoundingBox OctreeNode::octantBox(const BoundingBox& box, int index) {
    const float cx = box.minX + (box.maxX - box.minX) * 0.5f;
    const float cy = box.minY + (box.maxY - box.minY) * 0.5f;
    const float cz = box.minZ + (box.maxZ - box.minZ) * 0.5f;
    // Low z layer counter-clockwise in x-y from the minimum corner, then high z.
    const bool highX = index == 1 || index == 2 || index == 5 || index == 6;
    const bool highY = index == 2 || index == 3 || index == 6 || index == 7;
    const bool highZ = index >= 4;
    BoundingBox out;
    out.minX = highX ? cx : box.minX;
    out.maxX = highX ? box.maxX : cx;
    out.minY = highY ? cy : box.minY;
    out.maxY = highY ? box.maxY : cy;
    out.minZ = highZ ? cz : box.minZ;
    out.maxZ = highZ ? box.maxZ : cz;
    return out;
}

} // namespace zel
