// The face layouts the sky and reflection painters rely on, checked against the
// two independent descriptions of how the engine shows them: the sky box's quad
// corners with their texture coordinates, and GL's cube-map face selection.
#include "assetgen/CubeFaces.h"
#include "support/GLContext.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <map>

using namespace assetgen;

namespace {

// The sky box's cube corners (half-size 1) and each face's corners a, b, c, d,
// which carry texture coordinates (0,0), (1,0), (1,1), (0,1).
const zel::Vector3 CORNERS[8] = {{-1, 1, 1},  {1, 1, 1},  {-1, -1, 1},  {1, -1, 1},
                                 {-1, 1, -1}, {1, 1, -1}, {-1, -1, -1}, {1, -1, -1}};

struct FaceQuad {
    CubeFace face;
    int a, b, c, d;
};
const FaceQuad QUADS[6] = {{CubeFace::Front, 1, 0, 2, 3},  {CubeFace::Back, 4, 5, 7, 6},
                           {CubeFace::Left, 5, 1, 3, 7},   {CubeFace::Right, 0, 4, 6, 2},
                           {CubeFace::Bottom, 7, 3, 2, 6}, {CubeFace::Top, 5, 4, 0, 1}};

// GL's rule: the major axis picks the face (0 +x, 1 -x, 2 +y, 3 -y, 4 +z,
// 5 -z), then s and t from sc, tc and ma.
int glLookup(const Direction& r, float& s, float& t) {
    const float ax = std::fabs(r.x), ay = std::fabs(r.y), az = std::fabs(r.z);
    float sc, tc, ma;
    int target;
    if (ax >= ay && ax >= az) {
        ma = ax, target = r.x > 0 ? 0 : 1, sc = r.x > 0 ? -r.z : r.z, tc = -r.y;
    } else if (ay >= az) {
        ma = ay, target = r.y > 0 ? 2 : 3, sc = r.x, tc = r.y > 0 ? r.z : -r.z;
    } else {
        ma = az, target = r.z > 0 ? 4 : 5, sc = r.z > 0 ? r.x : -r.x, tc = -r.y;
    }
    s = (sc / ma + 1.0f) / 2.0f;
    t = (tc / ma + 1.0f) / 2.0f;
    return target;
}

// The face's corners first, then points inside it.
const float SAMPLES[][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0.5f, 0.5f}, {0.1f, 0.2f}, {0.9f, 0.7f}};

} // namespace

TEST(CubeFaces, SkyBoxTexelsLookThroughTheQuadPointsThatCarryTheirCoordinates) {
    for (const FaceQuad& q : QUADS) {
        SCOPED_TRACE(CubeFaces::name(q.face));
        // The coordinates interpolate bilinearly between the corners (the quad is flat).
        for (const auto& uv : SAMPLES) {
            const float u = uv[0], v = uv[1];
            auto blend = [&](float zel::Vector3::*m) {
                return (1 - u) * (1 - v) * CORNERS[q.a].*m + u * (1 - v) * CORNERS[q.b].*m +
                       u * v * CORNERS[q.c].*m + (1 - u) * v * CORNERS[q.d].*m;
            };
            const Direction d = CubeFaces::direction(CubeLayout::SkyBox, q.face, u, v);
            zeltest::expectNear({d.x, d.y, d.z},
                                {blend(&zel::Vector3::x), blend(&zel::Vector3::y), blend(&zel::Vector3::z)});
        }
    }
}

TEST(CubeFaces, CubeMapTexelsAreWhereGLLooksThemUp) {
    const std::map<CubeFace, int> targets = {{CubeFace::Right, 0}, {CubeFace::Left, 1},
                                             {CubeFace::Top, 2},   {CubeFace::Bottom, 3},
                                             {CubeFace::Front, 4}, {CubeFace::Back, 5}};
    for (int i = 0; i < CubeFaces::FACE_COUNT; ++i) {
        const CubeFace face = CubeFaces::face(i);
        SCOPED_TRACE(CubeFaces::name(face));
        for (std::size_t k = 4; k < std::size(SAMPLES); ++k) { // off the edges, where GL picks a face
            const float u = SAMPLES[k][0], v = SAMPLES[k][1];
            float s = -1, t = -1;
            EXPECT_EQ(glLookup(CubeFaces::direction(CubeLayout::CubeMap, face, u, v), s, t),
                      targets.at(face));
            EXPECT_NEAR(s, u, 1e-5f);
            EXPECT_NEAR(t, v, 1e-5f);
        }
    }
}
