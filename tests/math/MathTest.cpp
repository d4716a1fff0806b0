// Boxes and the view frustum (planes taken from real GL matrices). The vector
// operations are pinned through the plane and normal checks of the geometry tests.
#include <GL/glew.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>

#include "math/BoundingBox.h"
#include "math/Frustum.h"
#include "math/Vector3.h"
#include "support/GLContext.h"

using namespace zel;

TEST(BoundingBoxTest, ContainmentIsInclusiveAndTheBaseCentreIsTheMiddleOfTheBottomFace) {
    const BoundingBox box(0, 0, 0, 2, 2, 2);
    EXPECT_TRUE(box.contains(0, 1, 1) && box.contains(2, 2, 1) &&
                box.contains(2, 2, 2)); // face, edge, corner
    EXPECT_FALSE(box.contains(2.0001f, 1, 1) || box.contains(1, -0.0001f, 1) || box.contains(1, 1, 2.5f));
    // A NaN coordinate or bound is never inside.
    EXPECT_FALSE(box.contains(NAN, 1, 1) || box.contains(1, NAN, 1) || box.contains(1, 1, NAN));
    EXPECT_FALSE(BoundingBox(NAN, 0, 0, 2, 2, 2).contains(1, 1, 1));

    EXPECT_TRUE(box.containsBox(box));
    // Any overhang of any face is refused.
    for (int side = 0; side < 6; ++side) {
        float b[6] = {0, 0, 0, 2, 2, 2};
        b[side] += side < 3 ? -0.001f : 0.001f;
        EXPECT_FALSE(box.containsBox({b[0], b[1], b[2], b[3], b[4], b[5]})) << side;
    }
    EXPECT_EQ(BoundingBox(-1, 2, -3, 3, 6, 5).baseCenter(), Vector3(1, 2, 1));
}

using FrustumTest = zeltest::GLTest;

TEST_F(FrustumTest, PlanesOfAPerspectiveViewAndWhichBoxesTheyHold) {
    // The frustum of gluPerspective(45, 4 / 3, 0.1, 1500) with an identity view.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 4.0 / 3.0, 0.1, 1500.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    Frustum f;
    f.extract();

    // The planes come in the fixed order, normalised and facing inward.
    const float nearPlane[4] = {0.0f, 0.0f, -1.0f, -0.1f};
    for (int k = 0; k < 4; ++k)
        EXPECT_NEAR(f.planes[Frustum::NEAR][k], nearPlane[k], 1e-4f) << k;
    for (int p = 0; p < 6; ++p)
        EXPECT_GT(f.planeDistance(p, 0, 0, -1), 0.0f) << "plane " << p;
    EXPECT_NEAR(f.planeDistance(Frustum::FAR, 0, 0, -1500.0f), 0.0f, 1.0f); // float precision at 1500
    EXPECT_TRUE(f.planes[Frustum::RIGHT][0] < 0 && f.planes[Frustum::LEFT][0] > 0);
    EXPECT_TRUE(f.planes[Frustum::BOTTOM][1] > 0 && f.planes[Frustum::TOP][1] < 0);
    EXPECT_TRUE(f.planes[Frustum::FAR][2] > 0);

    EXPECT_TRUE(f.intersectsBox({-1, -1, -11, 1, 1, -9})); // straight ahead
    EXPECT_FALSE(f.intersectsBox({-1, -1, 9, 1, 1, 11}));  // behind the eye
    // Nearest face exactly on the near plane, the rest behind it: outside.
    const float nearZ = -f.planes[Frustum::NEAR][3] / f.planes[Frustum::NEAR][2];
    EXPECT_FALSE(f.intersectsBox({-0.01f, -0.01f, nearZ, 0.01f, 0.01f, 1.0f}));
    EXPECT_TRUE(f.intersectsBox({-0.01f, -0.01f, nearZ - 0.01f, 0.01f, 0.01f, 1.0f}));
}
