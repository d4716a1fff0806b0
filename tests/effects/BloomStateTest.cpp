// Creating the bloom effect leaves the unpack alignment and the 2D binding as it found them.

#include <gtest/gtest.h>

#include <memory>

#include "effects/BloomEffect.h"
#include "support/GLContext.h"

class BloomStateTest : public zeltest::GLTest {};

TEST_F(BloomStateTest, StageTexturesRestoreUnpackAlignmentAndBinding) {
    GLuint mine = 0;
    glGenTextures(1, &mine);
    glBindTexture(GL_TEXTURE_2D, mine);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 2);
    zeltest::captureStdout([&] { zel::BloomEffect bloom; });
    GLint alignment = 0, bound = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(alignment, 2);
    EXPECT_EQ(static_cast<GLuint>(bound), mine);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glDeleteTextures(1, &mine);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
