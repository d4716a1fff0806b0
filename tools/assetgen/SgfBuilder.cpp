#include "assetgen/SgfBuilder.h"

#include <algorithm>
#include <cmath>

namespace assetgen {
namespace sgf {

namespace {

const double PI = 3.14159265358979323846;
const Vec3 UP(0.0, 1.0, 0.0);

// Positions as the file will hold them (four decimals), so that faces which
// would collapse once written are recognised before they are emitted.
Vec3 asWritten(const Vec3& p) {
    return {std::round(p.x * 1e4) / 1e4, std::round(p.y * 1e4) / 1e4,
            std::round(p.z * 1e4) / 1e4};
}

bool degenerate(const Vec3& a, const Vec3& b, const Vec3& c) {
    const Vec3 wa = asWritten(a), wb = asWritten(b), wc = asWritten(c);
    return cross(wb - wa, wc - wa).length() < 1e-6;
}

Vec3 faceNormal(const Vec3& a, const Vec3& b, const Vec3& c) {
    return cross(b - a, c - a).normalised();
}

Vec3 onCircle(const Vec3& centre, double radius, double angle, double y) {
    return {centre.x + radius * std::cos(angle), y, centre.z + radius * std::sin(angle)};
}

// Emits the quad, or the one non-degenerate half of it as a triangle, or nothing.
void emitQuad(Mesh& mesh, const Vec3 (&p)[4], const Vec2 (&uv)[4], const std::string& texture) {
    const bool firstBad = degenerate(p[0], p[1], p[2]);
    const bool secondBad = degenerate(p[2], p[3], p[0]);
    if (!firstBad && !secondBad) {
        mesh.addQuad(p, uv, texture);
    } else if (!firstBad) {
        mesh.addTriangle({p[0], p[1], p[2]}, {uv[0], uv[1], uv[2]}, texture);
    } else if (!secondBad) {
        mesh.addTriangle({p[2], p[3], p[0]}, {uv[2], uv[3], uv[0]}, texture);
    }
}

void emitTriangle(Mesh& mesh, const Vec3 (&p)[3], const Vec2 (&uv)[3],
                  const std::string& texture) {
    if (!degenerate(p[0], p[1], p[2])) {
        mesh.addTriangle(p, uv, texture);
    }
}

} // namespace

Builder::Builder(double worldScale) : worldScale_(worldScale) {}

Vec2 Builder::planarUV(const Vec3& p, const Vec3& normal, double repeat) const {
    const double k = worldScale_ / repeat;
    if (std::fabs(normal.y) > 0.9) {
        return {p.x * k, p.z * k};
    }
    // Horizontal texture rows on walls and roof slopes: u runs to the viewer's
    // right, v runs down the surface.
    const Vec3 tangent = cross(UP, normal).normalised();
    const Vec3 bitangent = cross(normal, tangent);
    return {p.dot(tangent) * k, -p.dot(bitangent) * k};
}

void Builder::quad(Mesh& mesh, const Vec3& a, const Vec3& b, const Vec3& c, const Vec3& d,
                   const Material& material) const {
    Vec3 n = faceNormal(a, b, c);
    if (n.length() == 0.0) {
        n = faceNormal(c, d, a);
    }
    const Vec3 p[4] = {a, b, c, d};
    const Vec2 uv[4] = {planarUV(a, n, material.repeat), planarUV(b, n, material.repeat),
                        planarUV(c, n, material.repeat), planarUV(d, n, material.repeat)};
    emitQuad(mesh, p, uv, material.texture);
}

void Builder::quadFacing(Mesh& mesh, const Vec3& a, const Vec3& b, const Vec3& c, const Vec3& d,
                         const Vec3& outward, const Material& material) const {
    const Vec3 n = cross(b - a, c - a) + cross(d - c, a - c);
    if (n.dot(outward) < 0.0) {
        quad(mesh, a, d, c, b, material);
    } else {
        quad(mesh, a, b, c, d, material);
    }
}

void Builder::quadFit(Mesh& mesh, const Vec3& a, const Vec3& b, const Vec3& c, const Vec3& d,
                      const std::string& texture) const {
    const Vec3 p[4] = {a, b, c, d};
    const Vec2 uv[4] = {{0.0, 1.0}, {1.0, 1.0}, {1.0, 0.0}, {0.0, 0.0}};
    emitQuad(mesh, p, uv, texture);
}

void Builder::triangle(Mesh& mesh, const Vec3& a, const Vec3& b, const Vec3& c,
                       const Material& material) const {
    const Vec3 n = faceNormal(a, b, c);
    const Vec3 p[3] = {a, b, c};
    const Vec2 uv[3] = {planarUV(a, n, material.repeat), planarUV(b, n, material.repeat),
                        planarUV(c, n, material.repeat)};
    emitTriangle(mesh, p, uv, material.texture);
}

void Builder::triangleFacing(Mesh& mesh, const Vec3& a, const Vec3& b, const Vec3& c,
                             const Vec3& outward, const Material& material) const {
    if (cross(b - a, c - a).dot(outward) < 0.0) {
        triangle(mesh, a, c, b, material);
    } else {
        triangle(mesh, a, b, c, material);
    }
}

void Builder::polygon(Mesh& mesh, const std::vector<Vec3>& corners,
                      const Material& material) const {
    if (corners.size() == 3) {
        triangle(mesh, corners[0], corners[1], corners[2], material);
    } else if (corners.size() == 4) {
        quad(mesh, corners[0], corners[1], corners[2], corners[3], material);
    } else {
        for (size_t i = 1; i + 1 < corners.size(); ++i) {
            triangle(mesh, corners[0], corners[i], corners[i + 1], material);
        }
    }
}

void Builder::box(Mesh& mesh, const Vec3& lo, const Vec3& hi, const Material& material,
                  unsigned faces) const {
    orientedBox(mesh, lo, {hi.x - lo.x, 0.0, 0.0}, {0.0, hi.y - lo.y, 0.0},
                {0.0, 0.0, hi.z - lo.z}, material, faces);
}

void Builder::orientedBox(Mesh& mesh, const Vec3& origin, const Vec3& ex, const Vec3& ey,
                          const Vec3& ez, const Material& material, unsigned faces) const {
    Vec3 o = origin;
    Vec3 z = ez;
    if (cross(ex, ey).dot(ez) < 0.0) {
        // Mirror the z edge so the corner order below stays counter-clockwise outside.
        o = origin + ez;
        z = -ez;
        const bool pos = (faces & POS_Z) != 0, neg = (faces & NEG_Z) != 0;
        faces &= ~(POS_Z | NEG_Z);
        faces |= (pos ? NEG_Z : 0u) | (neg ? POS_Z : 0u);
    }
    auto corner = [&](int i, int j, int k) { return o + ex * i + ey * j + z * k; };
    struct FaceCorners {
        unsigned flag;
        int c[4][3];
    };
    static const FaceCorners FACES[6] = {
        {POS_X, {{1, 0, 1}, {1, 0, 0}, {1, 1, 0}, {1, 1, 1}}},
        {NEG_X, {{0, 0, 0}, {0, 0, 1}, {0, 1, 1}, {0, 1, 0}}},
        {POS_Y, {{0, 1, 1}, {1, 1, 1}, {1, 1, 0}, {0, 1, 0}}},
        {NEG_Y, {{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}}},
        {POS_Z, {{0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}}},
        {NEG_Z, {{1, 0, 0}, {0, 0, 0}, {0, 1, 0}, {1, 1, 0}}},
    };
    for (const FaceCorners& f : FACES) {
        if ((faces & f.flag) == 0) {
            continue;
        }
        quad(mesh, corner(f.c[0][0], f.c[0][1], f.c[0][2]), corner(f.c[1][0], f.c[1][1], f.c[1][2]),
             corner(f.c[2][0], f.c[2][1], f.c[2][2]), corner(f.c[3][0], f.c[3][1], f.c[3][2]),
             material);
    }
}

void Builder::beam(Mesh& mesh, const Vec3& a, const Vec3& b, double width, const Vec3& up,
                   const Material& material, unsigned faces) const {
    const Vec3 along = b - a;
    const Vec3 side = cross(along, up).normalised();
    const Vec3 lift = cross(side, along).normalised();
    const Vec3 origin = a - side * (width * 0.5) - lift * (width * 0.5);
    orientedBox(mesh, origin, along, lift * width, side * width, material, faces);
}

void Builder::cylinderSide(Mesh& mesh, const Vec3& centre, double r0, double y0, double r1,
                           double y1, int segments, double startAngle, const Material& material,
                           bool inward) const {
    const double k = worldScale_ / material.repeat;
    const double slant = std::hypot(r1 - r0, y1 - y0);
    const double v0 = -y0 * k;
    const double v1 = v0 - slant * k * (y1 >= y0 ? 1.0 : -1.0);
    const double meanRadius = 0.5 * (r0 + r1);
    for (int i = 0; i < segments; ++i) {
        const double a0 = startAngle + 2.0 * PI * i / segments;
        const double a1 = startAngle + 2.0 * PI * (i + 1) / segments;
        const double u0 = a0 * meanRadius * k, u1 = a1 * meanRadius * k;
        Vec3 p[4] = {onCircle(centre, r0, a1, y0), onCircle(centre, r0, a0, y0),
                     onCircle(centre, r1, a0, y1), onCircle(centre, r1, a1, y1)};
        Vec2 uv[4] = {{-u1, v0}, {-u0, v0}, {-u0, v1}, {-u1, v1}};
        const double mid = 0.5 * (a0 + a1);
        Vec3 radial(std::cos(mid), 0.0, std::sin(mid));
        if (inward) {
            radial = -radial;
        }
        const Vec3 n = cross(p[1] - p[0], p[2] - p[0]) + cross(p[3] - p[2], p[0] - p[2]);
        if (n.dot(radial) < 0.0) {
            std::swap(p[1], p[3]);
            std::swap(uv[1], uv[3]);
        }
        emitQuad(mesh, p, uv, material.texture);
    }
}

void Builder::disc(Mesh& mesh, const Vec3& centre, double radius, int segments,
                   double startAngle, const Material& material, bool up) const {
    const Vec3 facing = up ? UP : -UP;
    for (int i = 0; i < segments; ++i) {
        const double a0 = startAngle + 2.0 * PI * i / segments;
        const double a1 = startAngle + 2.0 * PI * (i + 1) / segments;
        triangleFacing(mesh, centre, onCircle(centre, radius, a0, centre.y),
                       onCircle(centre, radius, a1, centre.y), facing, material);
    }
}

void Builder::annulus(Mesh& mesh, const Vec3& centre, double rInner, double rOuter, int segments,
                      double startAngle, const Material& material, bool up) const {
    const Vec3 facing = up ? UP : -UP;
    for (int i = 0; i < segments; ++i) {
        const double a0 = startAngle + 2.0 * PI * i / segments;
        const double a1 = startAngle + 2.0 * PI * (i + 1) / segments;
        quadFacing(mesh, onCircle(centre, rInner, a0, centre.y),
                   onCircle(centre, rOuter, a0, centre.y), onCircle(centre, rOuter, a1, centre.y),
                   onCircle(centre, rInner, a1, centre.y), facing, material);
    }
}

void Builder::ringSector(Mesh& mesh, const Vec3& centre, double rInner, double rOuter, double a0,
                         double a1, double y0, double y1, const Material& material) const {
    const Vec3 oi0 = onCircle(centre, rOuter, a0, y0), oi1 = onCircle(centre, rOuter, a1, y0);
    const Vec3 ot0 = onCircle(centre, rOuter, a0, y1), ot1 = onCircle(centre, rOuter, a1, y1);
    const Vec3 ii0 = onCircle(centre, rInner, a0, y0), ii1 = onCircle(centre, rInner, a1, y0);
    const Vec3 it0 = onCircle(centre, rInner, a0, y1), it1 = onCircle(centre, rInner, a1, y1);
    const double mid = 0.5 * (a0 + a1);
    const Vec3 radial(std::cos(mid), 0.0, std::sin(mid));
    const Vec3 tangent0(std::sin(a0), 0.0, -std::cos(a0)); // towards smaller angles
    const Vec3 tangent1 = -Vec3(std::sin(a1), 0.0, -std::cos(a1));
    quadFacing(mesh, oi0, oi1, ot1, ot0, radial, material);
    quadFacing(mesh, ii0, ii1, it1, it0, -radial, material);
    quadFacing(mesh, ot0, ot1, it1, it0, UP, material);
    quadFacing(mesh, oi0, ii0, it0, ot0, tangent0, material);
    quadFacing(mesh, oi1, ii1, it1, ot1, tangent1, material);
}

void Builder::cylinderAlong(Mesh& mesh, const Vec3& a, const Vec3& b, double radius, int segments,
                            const Material& material, bool caps) const {
    const Vec3 axis = (b - a).normalised();
    const Vec3 helper = std::fabs(axis.y) < 0.9 ? UP : Vec3(1.0, 0.0, 0.0);
    const Vec3 e1 = cross(axis, helper).normalised();
    const Vec3 e2 = cross(axis, e1).normalised();
    auto ring = [&](const Vec3& c, double angle) {
        return c + e1 * (radius * std::cos(angle)) + e2 * (radius * std::sin(angle));
    };
    const double k = worldScale_ / material.repeat;
    const double length = (b - a).length();
    std::vector<Vec3> capA, capB;
    for (int i = 0; i < segments; ++i) {
        const double a0 = 2.0 * PI * i / segments;
        const double a1 = 2.0 * PI * (i + 1) / segments;
        Vec3 p[4] = {ring(a, a0), ring(b, a0), ring(b, a1), ring(a, a1)};
        Vec2 uv[4] = {{0.0, a0 * radius * k}, {length * k, a0 * radius * k},
                      {length * k, a1 * radius * k}, {0.0, a1 * radius * k}};
        const double mid = 0.5 * (a0 + a1);
        const Vec3 radial = e1 * std::cos(mid) + e2 * std::sin(mid);
        const Vec3 n = cross(p[1] - p[0], p[2] - p[0]);
        if (n.dot(radial) < 0.0) {
            std::swap(p[1], p[3]);
            std::swap(uv[1], uv[3]);
        }
        emitQuad(mesh, p, uv, material.texture);
        capA.push_back(ring(a, a0));
        capB.push_back(ring(b, a0));
    }
    if (caps) {
        for (int i = 0; i < segments; ++i) {
            const int j = (i + 1) % segments;
            triangleFacing(mesh, a, capA[i], capA[j], -axis, material);
            triangleFacing(mesh, b, capB[i], capB[j], axis, material);
        }
    }
}

void Builder::wallWithOpenings(Mesh& mesh, const Vec3& origin, const Vec3& right, double width,
                               double y0, double y1, const std::vector<Opening>& openings,
                               const Material& material) const {
    auto at = [&](double u, double y) {
        return Vec3(origin.x + right.x * u, y, origin.z + right.z * u);
    };
    std::vector<double> cuts = {0.0, width};
    for (const Opening& o : openings) {
        cuts.push_back(std::clamp(o.u0, 0.0, width));
        cuts.push_back(std::clamp(o.u1, 0.0, width));
    }
    std::sort(cuts.begin(), cuts.end());
    cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
    const Vec3 outward = cross(right, UP);
    for (size_t c = 0; c + 1 < cuts.size(); ++c) {
        const double ua = cuts[c], ub = cuts[c + 1];
        std::vector<const Opening*> column;
        for (const Opening& o : openings) {
            if (o.u0 <= ua && o.u1 >= ub) {
                column.push_back(&o);
            }
        }
        std::sort(column.begin(), column.end(),
                  [](const Opening* l, const Opening* r) { return l->y0 < r->y0; });
        double y = y0;
        for (const Opening* o : column) {
            if (o->y0 > y) {
                quadFacing(mesh, at(ua, y), at(ub, y), at(ub, o->y0), at(ua, o->y0), outward,
                           material);
            }
            y = std::max(y, o->y1);
        }
        if (y < y1) {
            quadFacing(mesh, at(ua, y), at(ub, y), at(ub, y1), at(ua, y1), outward, material);
        }
    }
}

void Builder::recess(Mesh& revealMesh, const Material& reveal, Mesh& paneMesh,
                     const std::string& paneTexture, const Vec3& origin, const Vec3& right,
                     const Opening& opening, double depth) const {
    const Vec3 outward = cross(right, UP);
    auto at = [&](double u, double y, double d) {
        return Vec3(origin.x + right.x * u - outward.x * d, y, origin.z + right.z * u - outward.z * d);
    };
    const Opening& o = opening;
    quadFit(paneMesh, at(o.u0, o.y0, depth), at(o.u1, o.y0, depth), at(o.u1, o.y1, depth),
            at(o.u0, o.y1, depth), paneTexture);
    quadFacing(revealMesh, at(o.u0, o.y0, 0), at(o.u0, o.y0, depth), at(o.u0, o.y1, depth),
               at(o.u0, o.y1, 0), right, reveal);
    quadFacing(revealMesh, at(o.u1, o.y0, 0), at(o.u1, o.y0, depth), at(o.u1, o.y1, depth),
               at(o.u1, o.y1, 0), -right, reveal);
    quadFacing(revealMesh, at(o.u0, o.y0, 0), at(o.u1, o.y0, 0), at(o.u1, o.y0, depth),
               at(o.u0, o.y0, depth), UP, reveal);
    quadFacing(revealMesh, at(o.u0, o.y1, 0), at(o.u1, o.y1, 0), at(o.u1, o.y1, depth),
               at(o.u0, o.y1, depth), -UP, reveal);
}

void Builder::archedPassage(Mesh& mesh, double x0, double x1, double y0, double y1, double zBack,
                            double zFront, double centreX, double halfWidth, double springY,
                            int segments, const Material& material) const {
    const double left = centreX - halfWidth, right = centreX + halfWidth;
    const Vec3 front(0.0, 0.0, 1.0);
    std::vector<double> archX, archY;
    for (int i = 0; i <= segments; ++i) {
        const double angle = PI - PI * i / segments;
        archX.push_back(centreX + halfWidth * std::cos(angle));
        archY.push_back(springY + halfWidth * std::sin(angle));
    }
    for (double z : {zFront, zBack}) {
        const Vec3 facing = z == zFront ? front : -front;
        quadFacing(mesh, {x0, y0, z}, {left, y0, z}, {left, y1, z}, {x0, y1, z}, facing, material);
        quadFacing(mesh, {right, y0, z}, {x1, y0, z}, {x1, y1, z}, {right, y1, z}, facing,
                   material);
        for (int i = 0; i < segments; ++i) {
            quadFacing(mesh, {archX[i], archY[i], z}, {archX[i + 1], archY[i + 1], z},
                       {archX[i + 1], y1, z}, {archX[i], y1, z}, facing, material);
        }
    }
    // Jambs up to the springing line, then the soffit of the arch.
    quadFacing(mesh, {left, y0, zBack}, {left, y0, zFront}, {left, springY, zFront},
               {left, springY, zBack}, {1.0, 0.0, 0.0}, material);
    quadFacing(mesh, {right, y0, zBack}, {right, y0, zFront}, {right, springY, zFront},
               {right, springY, zBack}, {-1.0, 0.0, 0.0}, material);
    for (int i = 0; i < segments; ++i) {
        const Vec3 mid(0.5 * (archX[i] + archX[i + 1]), 0.5 * (archY[i] + archY[i + 1]), 0.0);
        const Vec3 towardsAxis = Vec3(centreX, springY, 0.0) - mid;
        quadFacing(mesh, {archX[i], archY[i], zBack}, {archX[i], archY[i], zFront},
                   {archX[i + 1], archY[i + 1], zFront}, {archX[i + 1], archY[i + 1], zBack},
                   towardsAxis, material);
    }
}

void Builder::merlonsAlong(Mesh& mesh, const Vec3& start, const Vec3& end, const Vec3& outward,
                           double y, double width, double gap, double height, double thickness,
                           const Material& material) const {
    const Vec3 flat(end.x - start.x, 0.0, end.z - start.z);
    const double length = flat.length();
    if (length < width) {
        return;
    }
    const Vec3 dir = flat.normalised();
    const int count = std::max(1, static_cast<int>(std::floor((length + gap) / (width + gap))));
    const double margin = 0.5 * (length - count * width - (count - 1) * gap);
    const Vec3 in = -Vec3(outward.x, 0.0, outward.z).normalised() * thickness;
    for (int i = 0; i < count; ++i) {
        const double u = margin + i * (width + gap);
        const Vec3 origin(start.x + dir.x * u, y, start.z + dir.z * u);
        orientedBox(mesh, origin, dir * width, {0.0, height, 0.0}, in, material, NO_BOTTOM);
    }
}

void Builder::merlonsAround(Mesh& mesh, const Vec3& centre, double rInner, double rOuter,
                            double y, double height, int count, double fill, double startAngle,
                            const Material& material) const {
    const double share = 2.0 * PI / count;
    for (int i = 0; i < count; ++i) {
        const double mid = startAngle + share * (i + 0.5);
        ringSector(mesh, centre, rInner, rOuter, mid - 0.5 * share * fill,
                   mid + 0.5 * share * fill, y, y + height, material);
    }
}

void Builder::gableRoof(Mesh& mesh, const Vec3& centre, double halfLength, double halfDepth,
                        double eaveY, double ridgeY, double thickness,
                        const Material& material) const {
    const double rise = ridgeY - eaveY;
    const double x0 = centre.x - halfLength, x1 = centre.x + halfLength;
    // +z slope: its top face lies in the roof plane, the slab hangs below it.
    {
        const Vec3 n = Vec3(0.0, halfDepth, rise).normalised();
        const Vec3 ridge(x0, ridgeY, centre.z);
        orientedBox(mesh, ridge - n * thickness, {x1 - x0, 0.0, 0.0}, n * thickness,
                    {0.0, -rise, halfDepth}, material);
    }
    {
        const Vec3 n = Vec3(0.0, halfDepth, -rise).normalised();
        const Vec3 ridge(x1, ridgeY, centre.z);
        orientedBox(mesh, ridge - n * thickness, {x0 - x1, 0.0, 0.0}, n * thickness,
                    {0.0, -rise, -halfDepth}, material);
    }
    // Ridge cap: a square bar turned by 45 degrees along the ridge.
    const double c = thickness * 1.1;
    orientedBox(mesh, {x0, ridgeY, centre.z - c}, {x1 - x0, 0.0, 0.0}, {0.0, c, c},
                {0.0, -c, c}, material);
}

} // namespace sgf
} // namespace assetgen
