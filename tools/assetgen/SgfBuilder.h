#pragma once
// Building blocks for the village's SGF models: quads and triangles with
// texture coordinates in world units, boxes (axis-aligned and oriented),
// cylinders and cones, discs and rings, wall panels with openings, recessed
// doors and windows, arched passages, crenellations and gabled roofs. Each call
// appends faces to one mesh of an sgf::Document. Used by Models.cpp.
//
// Faces are emitted counter-clockwise seen from outside, so the plane normal the
// engine derives from the corner order points away from the solid.
// Texture coordinates: v grows downwards (image rows are stored top first), and
// a material repeats its texture once per `repeat` world units; the builder's
// world scale converts model units to the world units of the placed model.

#include "assetgen/SgfDocument.h"

#include <string>
#include <vector>

namespace assetgen {
namespace sgf {

struct Material {
    std::string texture; // path written into the file
    double repeat = 1.0; // world units per texture repeat
};

// A rectangular hole in a wall panel: u along the panel from its origin, y in
// model units (absolute heights).
struct Opening {
    double u0 = 0.0, u1 = 0.0;
    double y0 = 0.0, y1 = 0.0;
};

class Builder {
public:
    enum Faces : unsigned {
        POS_X = 1u, NEG_X = 2u, POS_Y = 4u, NEG_Y = 8u, POS_Z = 16u, NEG_Z = 32u,
        ALL = 63u, NO_BOTTOM = ALL & ~NEG_Y
    };

    // worldScale: world units per model unit once the model is placed.
    explicit Builder(double worldScale = 1.0);

    // Quad a, b, c, d counter-clockwise from the front; planar texture mapping.
    void quad(Mesh& mesh, const Vec3& a, const Vec3& b, const Vec3& c, const Vec3& d,
              const Material& material) const;
    // As quad, but reverses the corner order when the face would point against `outward`.
    void quadFacing(Mesh& mesh, const Vec3& a, const Vec3& b, const Vec3& c, const Vec3& d,
                    const Vec3& outward, const Material& material) const;
    // The whole texture once over the quad: a bottom-left, b bottom-right, c top-right, d top-left.
    void quadFit(Mesh& mesh, const Vec3& a, const Vec3& b, const Vec3& c, const Vec3& d,
                 const std::string& texture) const;
    void triangle(Mesh& mesh, const Vec3& a, const Vec3& b, const Vec3& c,
                  const Material& material) const;
    void triangleFacing(Mesh& mesh, const Vec3& a, const Vec3& b, const Vec3& c,
                        const Vec3& outward, const Material& material) const;
    // Convex polygon, counter-clockwise from the front: a quad for four corners,
    // otherwise a triangle fan.
    void polygon(Mesh& mesh, const std::vector<Vec3>& corners, const Material& material) const;

    void box(Mesh& mesh, const Vec3& lo, const Vec3& hi, const Material& material,
             unsigned faces = ALL) const;
    // Parallelepiped from origin along the edges ex, ey, ez (right-handed:
    // (ex x ey) . ez > 0; a left-handed set is reordered). Face flags name the
    // faces at +ex, -ex, +ey, -ey, +ez, -ez as POS_X .. NEG_Z.
    void orientedBox(Mesh& mesh, const Vec3& origin, const Vec3& ex, const Vec3& ey,
                     const Vec3& ez, const Material& material, unsigned faces = ALL) const;
    // A beam of square section `width` from a to b; `up` picks the orientation of its sides.
    void beam(Mesh& mesh, const Vec3& a, const Vec3& b, double width, const Vec3& up,
              const Material& material, unsigned faces = ALL) const;

    // Side of a vertical cylinder or cone frustum around (centre.x, centre.z):
    // radius r0 at height y0, r1 at y1. Faces point outwards, or inwards when
    // `inward` (the inside of a well shaft or a basin).
    void cylinderSide(Mesh& mesh, const Vec3& centre, double r0, double y0, double r1, double y1,
                      int segments, double startAngle, const Material& material,
                      bool inward = false) const;
    // Horizontal disc at centre.y, facing up or down.
    void disc(Mesh& mesh, const Vec3& centre, double radius, int segments, double startAngle,
              const Material& material, bool up = true) const;
    // Horizontal ring between rInner and rOuter at centre.y.
    void annulus(Mesh& mesh, const Vec3& centre, double rInner, double rOuter, int segments,
                 double startAngle, const Material& material, bool up = true) const;
    // A solid block of a ring between two angles (radians) and heights: outer,
    // inner, top and both end faces.
    void ringSector(Mesh& mesh, const Vec3& centre, double rInner, double rOuter, double a0,
                    double a1, double y0, double y1, const Material& material) const;
    // Cylinder of any orientation from a to b (logs, axles), optionally capped.
    void cylinderAlong(Mesh& mesh, const Vec3& a, const Vec3& b, double radius, int segments,
                       const Material& material, bool caps = true) const;

    // A flat wall panel from origin along `right` (horizontal unit vector), between
    // heights y0 and y1, with rectangular holes; it faces cross(right, up).
    void wallWithOpenings(Mesh& mesh, const Vec3& origin, const Vec3& right, double width,
                          double y0, double y1, const std::vector<Opening>& openings,
                          const Material& material) const;
    // The inside of an opening of such a panel: four reveal faces of the given
    // depth into revealMesh and the recessed pane (door, window) into paneMesh.
    void recess(Mesh& revealMesh, const Material& reveal, Mesh& paneMesh,
                const std::string& paneTexture, const Vec3& origin, const Vec3& right,
                const Opening& opening, double depth) const;

    // A block x0..x1, y0..y1, zBack..zFront with a round-arched passage along z
    // centred on x = centreX: half width halfWidth, the arch springing at springY.
    // Emits the front and back faces, the jambs and the arch soffit.
    void archedPassage(Mesh& mesh, double x0, double x1, double y0, double y1, double zBack,
                       double zFront, double centreX, double halfWidth, double springY,
                       int segments, const Material& material) const;

    // A row of merlons standing at height y with their outer face on the line
    // start..end, reaching `thickness` inwards (against outward).
    void merlonsAlong(Mesh& mesh, const Vec3& start, const Vec3& end, const Vec3& outward,
                      double y, double width, double gap, double height, double thickness,
                      const Material& material) const;
    // Merlons around a circle between rInner and rOuter: `count` merlons filling
    // `fill` (0..1) of their share of the circumference.
    void merlonsAround(Mesh& mesh, const Vec3& centre, double rInner, double rOuter, double y,
                       double height, int count, double fill, double startAngle,
                       const Material& material) const;

    // A gabled roof whose ridge runs along x at (centre.x, ridgeY, centre.z):
    // slopes of the given thickness reaching halfDepth in z at eaveY, from
    // centre.x - halfLength to centre.x + halfLength. Includes a ridge cap.
    void gableRoof(Mesh& mesh, const Vec3& centre, double halfLength, double halfDepth,
                   double eaveY, double ridgeY, double thickness,
                   const Material& material) const;

private:
    Vec2 planarUV(const Vec3& p, const Vec3& normal, double repeat) const;

    double worldScale_;
};

} // namespace sgf
} // namespace assetgen
