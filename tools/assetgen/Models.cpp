#include "assetgen/Models.h"

#include "assetgen/SgfBuilder.h"
#include "assetgen/SgfDocument.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>

namespace assetgen {

namespace {

using sgf::Builder;
using sgf::Document;
using sgf::Light;
using sgf::Material;
using sgf::Mesh;
using sgf::Opening;
using sgf::Vec3;

const double PI = 3.14159265358979323846;
const Vec3 UP(0.0, 1.0, 0.0);

// Materials with their size in the world (units per texture repeat). Some paths
// carry the folders of the authoring tool's export; the reader keeps only the
// file name after the last backslash.
const Material STONE{"textures\\stone_wall.jpg", 4.0};
const Material CHIMNEY_STONE{"..\\data\\textures\\stone_wall.jpg", 3.0};
const Material PLASTER{"plaster.jpg", 3.0};
const Material TIMBER{"timber.jpg", 2.0};
const Material ROOF{"roof_tiles.jpg", 2.0};
const Material COBBLES{"cobbles.jpg", 3.0};
const Material WELL_STONE{"well_stone.jpg", 2.0};
const Material WATER{"textures\\fountain_water.jpg", 3.0};
const Material WOOD{"wood.jpg", 1.5};
const char* const DOOR = "door.jpg";
const char* const WINDOW = "window.jpg";

double radians(double degrees) { return degrees * PI / 180.0; }

// ------------------------------------------------------------------ house

// Timber-framed house, walls 7 x 5.5 on a stone plinth, ridge along x. The door
// and windows of the front (+z) wall are one record with two textures, which the
// engine draws through the mixed-texture path: unlit, so they keep their
// daylight brightness at night and read as lit windows and a lit doorway. Every
// other record has one texture and is lit (and darkened at night) by the shader.
namespace house {

const double HALF_W = 3.5;   // walls in x
const double HALF_D = 2.75;  // walls in z
const double PLINTH = 0.5;   // top of the stone plinth, bottom of the walls
const double EAVE = 4.0;     // top of the walls
const double RIDGE = 6.4;
const double OVERHANG = 0.5;
const double BEAM = 0.22;    // timber width
const double PROUD = 0.04;   // how far the timber face stands out of the plaster
const double GROUND_TOP = 2.44, UPPER_BOTTOM = 2.66;
// The eaves side walls end their framing below the roof, which runs through the
// outer face of the plaster at EAVE and would be pierced by proud timber.
const double PLATE_TOP = 3.83;

struct Wall {
    Vec3 origin;  // u = 0 at the wall's left end seen from outside
    Vec3 right;   // horizontal unit vector along the wall
    double width;
    std::vector<Opening> openings;
    bool gable;   // carries a gable triangle above the eaves
};

Vec3 at(const Wall& w, double u, double y) {
    return {w.origin.x + w.right.x * u, y, w.origin.z + w.right.z * u};
}

std::vector<Wall> walls() {
    const Opening door{2.9, 4.1, PLINTH, GROUND_TOP};
    std::vector<Wall> result;
    // Front, facing +z.
    result.push_back({{-HALF_W, 0, HALF_D}, {1, 0, 0}, 2 * HALF_W,
                      {{0.8, 1.8, 1.2, 2.2}, door, {5.2, 6.2, 1.2, 2.2},
                       {0.9, 1.7, 2.85, 3.45}, {3.1, 3.9, 2.85, 3.45}, {5.3, 6.1, 2.85, 3.45}},
                      false});
    // Back, facing -z.
    result.push_back({{HALF_W, 0, -HALF_D}, {-1, 0, 0}, 2 * HALF_W,
                      {{1.2, 2.2, 1.2, 2.2}, {4.8, 5.8, 1.2, 2.2},
                       {1.3, 2.1, 2.85, 3.45}, {4.9, 5.7, 2.85, 3.45}},
                      false});
    // Gable ends, facing +x and -x.
    const std::vector<Opening> side = {{2.25, 3.25, 1.2, 2.2}, {2.35, 3.15, 2.85, 3.45}};
    result.push_back({{HALF_W, 0, HALF_D}, {0, 0, -1}, 2 * HALF_D, side, true});
    result.push_back({{-HALF_W, 0, -HALF_D}, {0, 0, 1}, 2 * HALF_D, side, true});
    return result;
}

// Posts, rails, braces, sills and lintels of one wall, sunk into the plaster
// up to their faces.
void frame(const Builder& b, Mesh& mesh, const Wall& w) {
    const Vec3 outward = sgf::cross(w.right, UP);
    // Only the face of a beam is drawn: it stands PROUD out of the plaster,
    // too little for its sides to show from the street, and the sides were
    // two fifths of the house's triangles. The software renderer pays for
    // every triangle, and the village is drawn twice a frame.
    const unsigned faces = Builder::POS_Y;
    const Vec3 sink = outward * (0.5 * BEAM - PROUD);
    auto timber = [&](double u0, double y0, double u1, double y1) {
        b.beam(mesh, at(w, u0, y0) - sink, at(w, u1, y1) - sink, BEAM, outward, TIMBER, faces);
    };
    const double h = BEAM * 0.5;

    // Sill beam, broken where a door reaches down to the plinth.
    double u = 0.0;
    for (const Opening& o : w.openings) {
        if (o.y0 <= PLINTH) {
            timber(u, PLINTH + h, o.u0, PLINTH + h);
            u = o.u1;
        }
    }
    timber(u, PLINTH + h, w.width, PLINTH + h);
    timber(0.0, 0.5 * (GROUND_TOP + UPPER_BOTTOM), w.width, 0.5 * (GROUND_TOP + UPPER_BOTTOM));
    const double top = w.gable ? EAVE : PLATE_TOP;
    timber(0.0, top - h, w.width, top - h);
    timber(h, PLINTH, h, top);
    timber(w.width - h, PLINTH, w.width - h, top);

    struct Storey {
        double bottom, top;
    };
    const Storey storeys[2] = {{PLINTH + BEAM, GROUND_TOP}, {UPPER_BOTTOM, top - BEAM}};
    for (int s = 0; s < 2; ++s) {
        const Storey& st = storeys[s];
        std::vector<double> posts = {BEAM, w.width - BEAM};
        std::vector<const Opening*> inStorey;
        for (const Opening& o : w.openings) {
            if (o.y0 < st.top && o.y1 > st.bottom) {
                inStorey.push_back(&o);
                timber(o.u0 - h, st.bottom, o.u0 - h, st.top);
                timber(o.u1 + h, st.bottom, o.u1 + h, st.top);
                posts.push_back(o.u0 - BEAM);
                posts.push_back(o.u1 + BEAM);
                if (o.y0 - BEAM > st.bottom) {
                    timber(o.u0 - BEAM, o.y0 - h, o.u1 + BEAM, o.y0 - h);
                }
                if (o.y1 + BEAM < st.top) {
                    timber(o.u0 - BEAM, o.y1 + h, o.u1 + BEAM, o.y1 + h);
                }
            }
        }
        std::sort(posts.begin(), posts.end());
        // Diagonal braces in the open panels between posts, alternating direction.
        int panel = 0;
        for (size_t i = 0; i + 1 < posts.size(); ++i) {
            const double a = posts[i], c = posts[i + 1];
            bool open = c - a > 0.9;
            for (const Opening* o : inStorey) {
                if (o->u0 < c && o->u1 > a) {
                    open = false;
                }
            }
            if (!open) {
                continue;
            }
            if ((panel++ + s) % 2 == 0) {
                timber(a + h, st.bottom, c - h, st.top);
            } else {
                timber(a + h, st.top, c - h, st.bottom);
            }
        }
    }
    if (w.gable) {
        const double mid = 0.5 * w.width;
        const double collarY = 5.2;
        const double halfCollar = HALF_D * (RIDGE - collarY) / (RIDGE - EAVE) - 0.35;
        timber(mid, EAVE, mid, RIDGE - 0.3);
        timber(mid - halfCollar, collarY, mid + halfCollar, collarY);
        timber(0.3, EAVE, mid - 0.2, collarY + 0.5);
        timber(w.width - 0.3, EAVE, mid + 0.2, collarY + 0.5);
    }
}

Document build() {
    Document doc("Timber-framed house: 8 x 6.5 units, 6.9 tall, base centred on the origin");
    const Builder b(1.0);

    Mesh& plinth = doc.addMesh("plinth");
    b.box(plinth, {-HALF_W - 0.1, 0.0, -HALF_D - 0.1}, {HALF_W + 0.1, PLINTH, HALF_D + 0.1}, STONE,
          Builder::NO_BOTTOM);
    b.box(plinth, {-0.8, 0.0, HALF_D + 0.1}, {0.8, 0.25, HALF_D + 0.6}, STONE, Builder::NO_BOTTOM);

    const std::vector<Wall> all = walls();
    // Every mesh keeps to one texture. A mesh of mixed textures is drawn
    // triangle by triangle from a display list: the eight such meshes the
    // village had (a front per house, the keep's openings) held about 20 MB
    // of the software driver's memory.
    Mesh& entrance = doc.addMesh("door");
    Mesh& plaster = doc.addMesh("walls");
    Mesh& framing = doc.addMesh("framing");
    Mesh& glass = doc.addMesh("windows");
    for (const Wall& w : all) {
        b.wallWithOpenings(plaster, w.origin, w.right, w.width, PLINTH, EAVE, w.openings, PLASTER);
        for (const Opening& o : w.openings) {
            const bool door = o.y0 <= PLINTH;
            Mesh& pane = door ? entrance : glass;
            b.recess(framing, TIMBER, pane, door ? DOOR : WINDOW, w.origin, w.right, o, door ? 0.15 : 0.12);
        }
        if (w.gable) {
            b.triangleFacing(plaster, at(w, 0.0, EAVE), at(w, w.width, EAVE),
                             at(w, 0.5 * w.width, RIDGE), sgf::cross(w.right, UP), PLASTER);
        }
        frame(b, framing, w);
    }

    // The roof plane runs through the wall tops and the ridge; the eaves reach
    // OVERHANG beyond the walls on every side.
    Mesh& roof = doc.addMesh("roof");
    const double slope = (RIDGE - EAVE) / HALF_D;
    const double eaveDepth = HALF_D + OVERHANG;
    b.gableRoof(roof, {0.0, 0.0, 0.0}, HALF_W + OVERHANG, eaveDepth, RIDGE - slope * eaveDepth,
                RIDGE, 0.18, ROOF);

    // The chimney shares the plinth's stone (at its own scale) and its mesh.
    Mesh& chimney = plinth;
    b.box(chimney, {1.9, 4.2, -1.7}, {2.6, 6.75, -1.0}, CHIMNEY_STONE, Builder::NO_BOTTOM);
    b.box(chimney, {1.8, 6.75, -1.8}, {2.7, 6.9, -0.9}, CHIMNEY_STONE);

    doc.addLight({0.6, 1.0, 0.8, 0.5, {0.9, 2.4, HALF_D + 0.4}});
    return doc;
}

} // namespace house

// ------------------------------------------------------------------ wall

// Ring wall around the village: curtain walls on the square of half size 43.5
// with round corner towers and a gatehouse with an arched passage in the +z side.
namespace wall {

const double LINE = 43.5;     // centre line of the curtain walls
const double HALF_T = 0.8;    // half thickness
const double HEIGHT = 6.0;
const double TOWER_R = 3.2;
const double TOWER_H = 9.0;
const double GATE_HALF = 5.5; // gatehouse half width in x
const double GATE_BACK = 41.5, GATE_FRONT = 45.8;
const double GATE_H = 9.0;

// One straight piece of curtain wall from a to b on the wall line; outward
// points out of the village.
void curtain(const Builder& b, Mesh& mesh, const Vec3& a, const Vec3& c, const Vec3& outward) {
    const Vec3 o = outward * HALF_T;
    const Vec3 aOut = a + o, cOut = c + o, aIn = a - o, cIn = c - o;
    const Vec3 top(0.0, HEIGHT, 0.0);
    b.quadFacing(mesh, aOut, cOut, cOut + top, aOut + top, outward, STONE);
    b.quadFacing(mesh, aIn, cIn, cIn + top, aIn + top, -outward, STONE);
    b.quadFacing(mesh, aOut + top, cOut + top, cIn + top, aIn + top, UP, STONE);
    b.merlonsAlong(mesh, aOut, cOut, outward, HEIGHT, 1.5, 1.2, 1.0, 0.45, STONE);
}

void tower(const Builder& b, Mesh& stone, Mesh& floor, const Vec3& centre) {
    b.cylinderSide(stone, centre, TOWER_R + 0.3, 0.0, TOWER_R, 1.0, 12, 0.0, STONE);
    b.cylinderSide(stone, centre, TOWER_R, 1.0, TOWER_R, TOWER_H, 12, 0.0, STONE);
    b.cylinderSide(stone, centre, TOWER_R - 0.4, TOWER_H - 0.8, TOWER_R - 0.4, TOWER_H, 12, 0.0,
                   STONE, true);
    b.annulus(stone, {centre.x, TOWER_H, centre.z}, TOWER_R - 0.4, TOWER_R, 12, 0.0, STONE);
    b.merlonsAround(stone, centre, TOWER_R - 0.4, TOWER_R, TOWER_H, 1.0, 8, 0.55, 0.0, STONE);
    b.disc(floor, {centre.x, TOWER_H - 0.8, centre.z}, TOWER_R - 0.4, 12, 0.0, COBBLES);
}

Document build() {
    Document doc("Village ring wall: 93 x 93 units, base centred on the origin, gate at +z");
    const Builder b(1.0);
    const double end = LINE - 3.0; // curtain ends inside the corner towers

    // One mesh per side, each with the corner tower at its end: the ring is
    // drawn in four pieces (plus floors and gate leaves) that the octree can
    // still cull side by side.
    Mesh& north = doc.addMesh("wall -z with tower -x -z");
    curtain(b, north, {end, 0, -LINE}, {-end, 0, -LINE}, {0, 0, -1});
    Mesh& east = doc.addMesh("wall +x with tower +x -z");
    curtain(b, east, {LINE, 0, end}, {LINE, 0, -end}, {1, 0, 0});
    Mesh& west = doc.addMesh("wall -x with tower -x +z");
    curtain(b, west, {-LINE, 0, -end}, {-LINE, 0, end}, {-1, 0, 0});
    Mesh& south = doc.addMesh("wall +z with gatehouse and tower +x +z");
    curtain(b, south, {-end, 0, LINE}, {-GATE_HALF, 0, LINE}, {0, 0, 1});
    curtain(b, south, {GATE_HALF, 0, LINE}, {end, 0, LINE}, {0, 0, 1});

    Mesh& floors = doc.addMesh("tower floors and gate passage");
    tower(b, north, floors, {-LINE, 0.0, -LINE});
    tower(b, east, floors, {LINE, 0.0, -LINE});
    tower(b, west, floors, {-LINE, 0.0, LINE});
    tower(b, south, floors, {LINE, 0.0, LINE});

    Mesh& gate = south;
    b.archedPassage(gate, -GATE_HALF, GATE_HALF, 0.0, GATE_H, GATE_BACK, GATE_FRONT, 0.0, 2.2, 3.4,
                    10, STONE);
    b.quadFacing(gate, {GATE_HALF, 0, GATE_FRONT}, {GATE_HALF, 0, GATE_BACK},
                 {GATE_HALF, GATE_H, GATE_BACK}, {GATE_HALF, GATE_H, GATE_FRONT}, {1, 0, 0}, STONE);
    b.quadFacing(gate, {-GATE_HALF, 0, GATE_BACK}, {-GATE_HALF, 0, GATE_FRONT},
                 {-GATE_HALF, GATE_H, GATE_FRONT}, {-GATE_HALF, GATE_H, GATE_BACK}, {-1, 0, 0},
                 STONE);
    b.quadFacing(gate, {-GATE_HALF, GATE_H, GATE_FRONT}, {GATE_HALF, GATE_H, GATE_FRONT},
                 {GATE_HALF, GATE_H, GATE_BACK}, {-GATE_HALF, GATE_H, GATE_BACK}, UP, STONE);
    b.merlonsAlong(gate, {-GATE_HALF, 0, GATE_FRONT}, {GATE_HALF, 0, GATE_FRONT}, {0, 0, 1},
                   GATE_H, 1.0, 0.8, 1.0, 0.45, STONE);
    b.merlonsAlong(gate, {GATE_HALF, 0, GATE_BACK}, {-GATE_HALF, 0, GATE_BACK}, {0, 0, -1},
                   GATE_H, 1.0, 0.8, 1.0, 0.45, STONE);
    b.merlonsAlong(gate, {GATE_HALF, 0, GATE_FRONT - 0.45}, {GATE_HALF, 0, GATE_BACK + 0.45},
                   {1, 0, 0}, GATE_H, 1.0, 0.8, 1.0, 0.45, STONE);
    b.merlonsAlong(gate, {-GATE_HALF, 0, GATE_BACK + 0.45}, {-GATE_HALF, 0, GATE_FRONT - 0.45},
                   {-1, 0, 0}, GATE_H, 1.0, 0.8, 1.0, 0.45, STONE);

    // Opened gate leaves folded back against the passage walls, and the
    // cobbled floor of the passage.
    Mesh& leaves = doc.addMesh("gate leaves");
    b.box(leaves, {-2.2, 0.0, GATE_BACK + 0.1}, {-2.05, 3.3, GATE_BACK + 2.3}, WOOD,
          Builder::NO_BOTTOM);
    b.box(leaves, {2.05, 0.0, GATE_BACK + 0.1}, {2.2, 3.3, GATE_BACK + 2.3}, WOOD,
          Builder::NO_BOTTOM);
    b.quad(floors, {-2.2, 0.03, GATE_FRONT + 1.2}, {2.2, 0.03, GATE_FRONT + 1.2},
           {2.2, 0.03, GATE_BACK - 1.5}, {-2.2, 0.03, GATE_BACK - 1.5}, COBBLES);
    return doc;
}

} // namespace wall

// ------------------------------------------------------------------ well

// Round stone well with a tiled roof on two posts, a crank drum with its handle,
// a rope and a bucket. Placed at scale 0.5.
namespace well {

const double SCALE = 0.5;

Document build() {
    Document doc("Village well (drawn at half size): shaft, crank, roof; base centred on the origin");
    const Builder b(SCALE);
    const Vec3 o(0.0, 0.0, 0.0);

    Mesh& shaft = doc.addMesh("shaft");
    b.cylinderSide(shaft, o, 2.4, 0.0, 2.4, 1.8, 16, 0.0, WELL_STONE);
    b.cylinderSide(shaft, o, 2.6, 1.8, 2.6, 2.2, 16, 0.0, WELL_STONE);
    b.annulus(shaft, {0.0, 1.8, 0.0}, 2.4, 2.6, 16, 0.0, WELL_STONE, false);
    b.annulus(shaft, {0.0, 2.2, 0.0}, 1.9, 2.6, 16, 0.0, WELL_STONE);
    b.cylinderSide(shaft, o, 1.9, 0.6, 1.9, 2.2, 16, 0.0, WELL_STONE, true);

    Mesh& water = doc.addMesh("water");
    b.disc(water, {0.0, 0.6, 0.0}, 1.9, 16, 0.0, WATER);

    Mesh& wood = doc.addMesh("frame");
    b.box(wood, {-2.35, 2.2, -0.15}, {-2.05, 6.45, 0.15}, WOOD, Builder::NO_BOTTOM);
    b.box(wood, {2.05, 2.2, -0.15}, {2.35, 6.45, 0.15}, WOOD, Builder::NO_BOTTOM);
    b.box(wood, {-2.8, 6.2, -0.12}, {2.8, 6.45, 0.12}, WOOD);
    b.cylinderAlong(wood, {-2.2, 4.3, 0.0}, {2.55, 4.3, 0.0}, 0.25, 8, WOOD);
    b.box(wood, {2.55, 3.6, -0.06}, {2.67, 4.4, 0.06}, WOOD);
    b.cylinderAlong(wood, {2.67, 3.7, 0.0}, {2.85, 3.7, 0.0}, 0.06, 6, WOOD);
    b.box(wood, {-0.03, 3.0, -0.03}, {0.03, 4.05, 0.03}, WOOD, Builder::NO_BOTTOM);
    b.cylinderSide(wood, o, 0.35, 2.4, 0.42, 3.0, 8, 0.0, WOOD);
    b.cylinderSide(wood, o, 0.37, 2.5, 0.37, 3.0, 8, 0.0, WOOD, true);
    b.disc(wood, {0.0, 2.4, 0.0}, 0.35, 8, 0.0, WOOD, false);
    b.disc(wood, {0.0, 2.5, 0.0}, 0.37, 8, 0.0, WOOD);
    b.annulus(wood, {0.0, 3.0, 0.0}, 0.37, 0.42, 8, 0.0, WOOD);

    Mesh& roof = doc.addMesh("roof");
    b.gableRoof(roof, {0.0, 0.0, 0.0}, 2.9, 2.3, 5.3, 6.9, 0.15, ROOF);
    return doc;
}

} // namespace well

// ------------------------------------------------------------------ fountain

// Fountain on a round step: a raised basin whose rim stands 4.2 above the base,
// a column with an upper bowl and a spout ending at 6.6. Placed at scale 0.6 the
// rim is 2.5 above the ground and the spout tip just below the particle
// emitter, 4 units above the ground.
namespace fountain {

const double SCALE = 0.6;

Document build() {
    Document doc("Village fountain (drawn at 0.6): step, basin, column and spout");
    const Builder b(SCALE);
    const Vec3 o(0.0, 0.0, 0.0);

    Mesh& step = doc.addMesh("step");
    b.cylinderSide(step, o, 6.0, 0.0, 6.0, 0.6, 24, 0.0, STONE);
    Mesh& paving = doc.addMesh("paving");
    b.annulus(paving, {0.0, 0.6, 0.0}, 5.0, 6.0, 24, 0.0, COBBLES);

    Mesh& basin = doc.addMesh("basin");
    b.cylinderSide(basin, o, 5.2, 0.6, 5.0, 1.0, 24, 0.0, WELL_STONE);
    b.cylinderSide(basin, o, 5.0, 1.0, 5.0, 3.8, 24, 0.0, WELL_STONE);
    b.annulus(basin, {0.0, 3.8, 0.0}, 5.0, 5.2, 24, 0.0, WELL_STONE, false);
    b.cylinderSide(basin, o, 5.2, 3.8, 5.2, 4.2, 24, 0.0, WELL_STONE);
    b.annulus(basin, {0.0, 4.2, 0.0}, 4.4, 5.2, 24, 0.0, WELL_STONE);
    b.cylinderSide(basin, o, 4.4, 3.6, 4.4, 4.2, 24, 0.0, WELL_STONE, true);

    Mesh& column = basin; // same stone, one mesh
    b.cylinderSide(column, o, 0.7, 3.7, 0.7, 5.3, 12, 0.0, WELL_STONE);
    b.cylinderSide(column, o, 0.7, 5.3, 1.9, 5.9, 12, 0.0, WELL_STONE);
    b.cylinderSide(column, o, 1.9, 5.9, 1.9, 6.05, 12, 0.0, WELL_STONE);
    b.annulus(column, {0.0, 6.05, 0.0}, 1.65, 1.9, 12, 0.0, WELL_STONE);
    b.cylinderSide(column, o, 1.65, 5.85, 1.65, 6.05, 12, 0.0, WELL_STONE, true);
    b.cylinderSide(column, o, 0.22, 5.9, 0.22, 6.45, 8, 0.0, WELL_STONE);
    b.cylinderSide(column, o, 0.22, 6.45, 0.1, 6.6, 8, 0.0, WELL_STONE);
    b.disc(column, {0.0, 6.6, 0.0}, 0.1, 8, 0.0, WELL_STONE);

    Mesh& water = doc.addMesh("water");
    b.disc(water, {0.0, 3.85, 0.0}, 4.4, 24, 0.0, WATER);
    b.disc(water, {0.0, 5.95, 0.0}, 1.65, 12, 0.0, WATER);
    return doc;
}

} // namespace fountain

// ------------------------------------------------------------------ tower

// Round keep of 16 sides: a battered foot, corbels carrying a crenellated
// parapet at 14.6 to 17, and a stair turret with a conical roof up to 21.
namespace tower {

const double R = 4.0;
const int SIDES = 16;
// Side i faces the angle i * 22.5 degrees; side 6 (135 degrees) faces the
// village centre from the tower's place.
const double START = radians(-11.25);

// A door or window pane on side `side`, just proud of the wall.
void pane(const Builder& b, Mesh& mesh, int side, double halfWidth, double y0, double y1,
          const char* texture) {
    const double a = radians(22.5 * side);
    const Vec3 n(std::cos(a), 0.0, std::sin(a));
    const Vec3 right(std::sin(a), 0.0, -std::cos(a)); // to the viewer's right, seen from outside
    const double d = R * std::cos(radians(11.25)) + 0.04;
    const Vec3 c = n * d;
    b.quadFit(mesh, {c.x - right.x * halfWidth, y0, c.z - right.z * halfWidth},
              {c.x + right.x * halfWidth, y0, c.z + right.z * halfWidth},
              {c.x + right.x * halfWidth, y1, c.z + right.z * halfWidth},
              {c.x - right.x * halfWidth, y1, c.z - right.z * halfWidth}, texture);
}

Document build() {
    Document doc("Round keep: radius 4.6, 21 tall, base centred on the origin");
    const Builder b(1.0);
    const Vec3 o(0.0, 0.0, 0.0);

    Mesh& body = doc.addMesh("keep");
    b.cylinderSide(body, o, R + 0.35, 0.0, R, 0.6, SIDES, START, STONE);
    b.cylinderSide(body, o, R, 0.6, R, 14.0, SIDES, START, STONE);
    b.cylinderSide(body, o, R, 14.0, R + 0.6, 14.6, SIDES, START, STONE);
    b.annulus(body, {0.0, 14.0, 0.0}, R, R + 0.6, SIDES, START, STONE, false);
    b.cylinderSide(body, o, R + 0.6, 14.6, R + 0.6, 16.0, SIDES, START, STONE);
    b.cylinderSide(body, o, R + 0.1, 15.0, R + 0.1, 16.0, SIDES, START, STONE, true);
    b.annulus(body, {0.0, 16.0, 0.0}, R + 0.1, R + 0.6, SIDES, START, STONE);
    b.merlonsAround(body, o, R + 0.1, R + 0.6, 16.0, 1.0, 12, 0.55, START, STONE);

    Mesh& platform = doc.addMesh("platform");
    b.disc(platform, {0.0, 15.0, 0.0}, R + 0.1, SIDES, START, COBBLES);

    Mesh& turret = body; // same stone, one mesh
    b.cylinderSide(turret, o, 1.4, 15.0, 1.4, 18.5, 12, 0.0, STONE);
    Mesh& cap = doc.addMesh("turret roof");
    b.cylinderSide(cap, o, 1.9, 18.4, 0.0, 21.0, 12, 0.0, ROOF);
    b.disc(cap, {0.0, 18.4, 0.0}, 1.9, 12, 0.0, ROOF, false);

    // One texture per mesh, as in the house.
    Mesh& entrance = doc.addMesh("door");
    pane(b, entrance, 6, 0.65, 0.6, 3.0, DOOR);
    Mesh& windows = doc.addMesh("windows");
    const int windowSides[5] = {6, 2, 10, 14, 8};
    const double windowHeights[5] = {7.5, 5.0, 9.5, 6.5, 11.5};
    for (int i = 0; i < 5; ++i) {
        pane(b, windows, windowSides[i], 0.3, windowHeights[i], windowHeights[i] + 1.4, WINDOW);
    }

    const double a = radians(135.0);
    doc.addLight({0.8, 1.0, 0.7, 0.3, {std::cos(a) * 4.6, 3.4, std::sin(a) * 4.6}});
    return doc;
}

} // namespace tower

// ------------------------------------------------------------------ fireplace

// Open-air hearth: a stone floor at the model's base, a ring of stones around a
// pit with burning logs, and an L-shaped windbreak with a woodpile. The pit is
// off the footprint's centre by (1.25, 1.75), which at scale 0.4 puts the flame
// of the scene half a unit east and 0.7 south of the placement point.
namespace fireplace {

const double SCALE = 0.4;
const Vec3 PIT(1.25, 0.0, 1.75);

Document build() {
    Document doc("Open hearth (drawn at 0.4): floor at the base, stone ring, windbreak");
    const Builder b(SCALE);
    auto local = [](double x, double y, double z) { return Vec3(PIT.x + x, y, PIT.z + z); };

    Mesh& floor = doc.addMesh("floor");
    b.disc(floor, local(0.0, 0.0, 0.0), 3.4, 16, 0.0, COBBLES);

    Mesh& ring = doc.addMesh("ring");
    for (int i = 0; i < 10; ++i) {
        const double share = 2.0 * PI / 10.0;
        const double mid = share * i;
        const double height = 0.75 + 0.15 * std::sin(i * 2.3);
        b.ringSector(ring, PIT, 2.6, 3.4, mid - 0.4 * share, mid + 0.4 * share, 0.0, height,
                     WELL_STONE);
    }

    Mesh& logs = doc.addMesh("logs");
    for (int i = 0; i < 4; ++i) {
        const double a = radians(45.0 + 90.0 * i);
        b.cylinderAlong(logs, local(1.9 * std::cos(a), 0.25, 1.9 * std::sin(a)),
                        local(0.3 * std::cos(a), 1.3, 0.3 * std::sin(a)), 0.22, 6, WOOD);
    }
    // Woodpile against the back of the windbreak: two logs below, one on top.
    b.cylinderAlong(logs, local(-4.5, 0.3, -5.5), local(-0.5, 0.3, -5.5), 0.3, 6, WOOD);
    b.cylinderAlong(logs, local(-4.5, 0.3, -4.9), local(-0.5, 0.3, -4.9), 0.3, 6, WOOD);
    b.cylinderAlong(logs, local(-4.3, 0.82, -5.2), local(-0.7, 0.82, -5.2), 0.3, 6, WOOD);

    // The windbreak is only 1.2 units tall in the scene: smaller stones than the ring wall's.
    const Material fieldStone{STONE.texture, 1.6};
    Mesh& windbreak = doc.addMesh("windbreak");
    b.box(windbreak, local(-5.9, 0.0, -6.9), local(3.4, 3.0, -5.9), fieldStone, Builder::NO_BOTTOM);
    b.box(windbreak, local(-5.9, 0.0, -5.9), local(-4.9, 3.0, 2.4), fieldStone,
          Builder::NO_BOTTOM & ~Builder::NEG_Z);

    doc.addLight({1.5, 1.0, 0.55, 0.2, local(0.0, 2.0, 0.0)});
    return doc;
}

} // namespace fireplace

Document buildDocument(const std::string& name, bool* known) {
    *known = true;
    if (name == "wall") return wall::build();
    if (name == "house") return house::build();
    if (name == "well") return well::build();
    if (name == "fountain") return fountain::build();
    if (name == "tower") return tower::build();
    if (name == "fireplace") return fireplace::build();
    *known = false;
    return Document(name);
}

} // namespace

const std::vector<std::string>& modelNames() {
    static const std::vector<std::string> names = {"wall", "house", "well", "fountain", "tower",
                                                   "fireplace"};
    return names;
}

std::string buildModel(const std::string& name) {
    bool known = false;
    const Document doc = buildDocument(name, &known);
    return known ? doc.toXml() : std::string();
}

bool writeModels(const std::string& runDir) {
    const std::filesystem::path dir = std::filesystem::path(runDir) / "data" / "models";
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error) {
        std::printf("ERROR: [Models] Could not create %s: %s\n", dir.string().c_str(),
                    error.message().c_str());
        return false;
    }
    for (const std::string& name : modelNames()) {
        bool known = false;
        const Document doc = buildDocument(name, &known);
        const std::string text = doc.toXml();
        const std::string path = (dir / (name + ".sgf")).string();
        FILE* file = std::fopen(path.c_str(), "wb");
        const bool written = file != nullptr &&
                             std::fwrite(text.data(), 1, text.size(), file) == text.size();
        const bool closed = file != nullptr && std::fclose(file) == 0;
        if (!written || !closed) {
            std::printf("ERROR: [Models] Could not write %s: %s\n", path.c_str(),
                        std::strerror(errno));
            return false;
        }
    }
    return true;
}

} // namespace assetgen
