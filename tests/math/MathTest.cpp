#include <GL/glew.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include "math/BoundingBox.h"
#include "math/Frustum.h"
#include "math/Vector3.h"
#include "support/GLContext.h"

using namespace zel;

TEST(BoundingBoxTest, ContainsIsInclusiveOnFacesEdgesAndCorners) {
    const BoundingBox box(0, 0, 0, 2, 2, 2);
    EXPECT_TRUE(box.contains(0, 1, 1)); // face
    EXPECT_TRUE(box.contains(2, 2, 1)); // edge
    EXPECT_TRUE(box.contains(2, 2, 2)); // corner
    EXPECT_FALSE(box.contains(2.0001f, 1, 1));
    EXPECT_FALSE(box.contains(1, -0.0001f, 1));
    EXPECT_FALSE(box.contains(1, 1, 2.5f));
}

TEST(BoundingBoxTest, ContainsBoxAcceptsItselfAndRejectsAnyOverhang) {
    const BoundingBox box(-1, -1, -1, 1, 1, 1);
    EXPECT_TRUE(box.containsBox(box));
    const float d = 0.001f;
    EXPECT_FALSE(box.containsBox({-1 - d, -1, -1, 1, 1, 1}));
    EXPECT_FALSE(box.containsBox({-1, -1 - d, -1, 1, 1, 1}));
    EXPECT_FALSE(box.containsBox({-1, -1, -1 - d, 1, 1, 1}));
    EXPECT_FALSE(box.containsBox({-1, -1, -1, 1 + d, 1, 1}));
    EXPECT_FALSE(box.containsBox({-1, -1, -1, 1, 1 + d, 1}));
    EXPECT_FALSE(box.containsBox({-1, -1, -1, 1, 1, 1 + d}));
}

TEST(BoundingBoxTest, BaseCenterIsTheMiddleOfTheBottomFace) {
    const Vector3 c = BoundingBox(-1, 2, -3, 3, 6, 5).baseCenter();
    EXPECT_EQ(c, Vector3(1, 2, 1));
}

TEST(VectorTest, CrossAndNormalise) {
    EXPECT_EQ(cross({1, 0, 0}, {0, 1, 0}), Vector3(0, 0, 1));
    Vector3 v(3, 0, 4);
    v.normalise();
    EXPECT_FLOAT_EQ(v.x, 0.6f);
    EXPECT_FLOAT_EQ(v.z, 0.8f);
}

class FrustumTest : public zeltest::GLTest {
protected:
    Frustum frustumFromPerspective() {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(45.0, 4.0 / 3.0, 0.1, 1500.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        Frustum f;
        f.extract();
        return f;
    }
};

TEST_F(FrustumTest, PlanesFromRealMatrices) {
    const Frustum f = frustumFromPerspective();
    EXPECT_NEAR(f.planes[Frustum::NEAR][0], 0.0f, 1e-5f);
    EXPECT_NEAR(f.planes[Frustum::NEAR][1], 0.0f, 1e-5f);
    EXPECT_NEAR(f.planes[Frustum::NEAR][2], -1.0f, 1e-5f);
    EXPECT_NEAR(f.planes[Frustum::NEAR][3], -0.1f, 1e-4f);
    for (int p = 0; p < 6; ++p)
        EXPECT_GT(f.planeDistance(p, 0, 0, -1), 0.0f) << "plane " << p;
    EXPECT_NEAR(f.planeDistance(Frustum::FAR, 0, 0, -1500.0f), 0.0f, 1.0f); // float precision at 1500
}

TEST_F(FrustumTest, PlanesComeInTheFixedOrderAndFaceInward) {
    const Frustum f = frustumFromPerspective();
    EXPECT_LT(f.planes[Frustum::RIGHT][0], 0.0f);
    EXPECT_GT(f.planes[Frustum::LEFT][0], 0.0f);
    EXPECT_GT(f.planes[Frustum::BOTTOM][1], 0.0f);
    EXPECT_LT(f.planes[Frustum::TOP][1], 0.0f);
    EXPECT_GT(f.planes[Frustum::FAR][2], 0.0f);
    EXPECT_LT(f.planes[Frustum::NEAR][2], 0.0f);
    for (const auto& p : f.planes)
        EXPECT_NEAR(p[0] * p[0] + p[1] * p[1] + p[2] * p[2], 1.0f, 1e-5f);
    // A translated view moves the planes with it.
    glTranslatef(0.0f, 0.0f, -10.0f);
    Frustum moved;
    moved.extract();
    EXPECT_NEAR(moved.planeDistance(Frustum::NEAR, 0, 0, 0), f.planeDistance(Frustum::NEAR, 0, 0, -10),
                1e-4f);
    glLoadIdentity();
}

TEST_F(FrustumTest, BoxTests) {
    const Frustum f = frustumFromPerspective();
    EXPECT_TRUE(f.intersectsBox({-1, -1, -11, 1, 1, -9}));       // straight ahead
    EXPECT_FALSE(f.intersectsBox({-1, -1, 9, 1, 1, 11}));        // behind the eye
    EXPECT_FALSE(f.intersectsBox({-1, -1, -2000, 1, 1, -1600})); // beyond the far plane
    EXPECT_FALSE(f.intersectsBox({500, -1, -11, 502, 1, -9}));   // far to the right
    // Nearest face exactly on the near plane, the rest behind it: outside.
    const float nearZ = -f.planes[Frustum::NEAR][3] / f.planes[Frustum::NEAR][2];
    EXPECT_FALSE(f.intersectsBox({-0.01f, -0.01f, nearZ, 0.01f, 0.01f, 1.0f}));
    EXPECT_TRUE(f.intersectsBox({-0.01f, -0.01f, nearZ - 0.01f, 0.01f, 0.01f, 1.0f}));
}
