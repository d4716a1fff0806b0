#pragma once
// Which 3-D direction each texel of a cube face image shows, for the two ways the
// engine puts six face images around the viewer: the sky box (six textured quads)
// and the GL cube map the water reflects. Both painters and tests use it so that
// every texel is painted from its own direction and the faces meet seamlessly.
//
// Image coordinates: u runs left to right and v top to bottom over the image,
// both 0..1; the image's top row is the first row uploaded, i.e. texture t = 0.
//
// Sky box. Each face is a quad with corners a, b, c, d carrying texture
// coordinates (0,0), (1,0), (1,1), (0,1); for half-size 1 the corners are
//   front  z = +1: a (1,1,1)   b (-1,1,1)  c (-1,-1,1)  d (1,-1,1)
//   back   z = -1: a (-1,1,-1) b (1,1,-1)  c (1,-1,-1)  d (-1,-1,-1)
//   left   x = +1: a (1,1,-1)  b (1,1,1)   c (1,-1,1)   d (1,-1,-1)
//   right  x = -1: a (-1,1,1)  b (-1,1,-1) c (-1,-1,-1) d (-1,-1,1)
//   bottom y = -1: a (1,-1,-1) b (1,-1,1)  c (-1,-1,1)  d (-1,-1,-1)
//   top    y = +1: a (1,1,-1)  b (-1,1,-1) c (-1,1,1)   d (1,1,1)
// so texel (u, v) looks along (with a = 2u - 1, b = 2v - 1):
//   front (-a, -b, 1)   back (a, -b, -1)   left (1, -b, a)   right (-1, -b, -a)
//   bottom (-b, -1, a)  top (-a, 1, b)
// The four walls are upright and unmirrored seen from inside: "left" is the
// wall at +x, which lies to the left of a viewer facing +z.
//
// GL cube map (the water's reflection; file suffix -> face): back -> -Z,
// front -> +Z, left -> -X, right -> +X, bottom -> -Y, top -> +Y. GL picks the
// face by the major axis of direction r and uses s = (sc / |ma| + 1) / 2,
// t = (tc / |ma| + 1) / 2 with
//   +X: sc = -rz, tc = -ry    -X: sc = rz,  tc = -ry
//   +Y: sc = rx,  tc = rz     -Y: sc = rx,  tc = -rz
//   +Z: sc = rx,  tc = -ry    -Z: sc = -rx, tc = -ry
// and texel (u, v) = (s, t), so it looks along
//   back (-a, -b, -1)  front (a, -b, 1)   left (-1, -b, a)   right (1, -b, -a)
//   bottom (a, -1, -b) top (a, 1, b)

#include <string>

namespace assetgen {

struct Direction {
    float x = 0.0f, y = 0.0f, z = 0.0f;
};

Direction normalise(const Direction& d);
float dot(const Direction& a, const Direction& b);

enum class CubeFace { Back, Front, Left, Right, Bottom, Top };

// The two layouts described above.
enum class CubeLayout { SkyBox, CubeMap };

class CubeFaces {
public:
    static constexpr int FACE_COUNT = 6;
    // Faces in file order: back, front, left, right, bottom, top.
    static CubeFace face(int index);
    // "back", "front", "left", "right", "bottom", "top".
    static std::string name(CubeFace face);

    // Unnormalised direction through image point (u, v) of the face.
    static Direction direction(CubeLayout layout, CubeFace face, float u, float v);
    // Where a direction meets the face: false when it points away from the face's
    // plane; otherwise u, v (possibly outside 0..1 when another face owns it).
    static bool project(CubeLayout layout, CubeFace face, const Direction& d, float& u, float& v);
};

} // namespace assetgen
