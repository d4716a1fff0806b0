// Creating the bloom effect leaves the unpack alignment and the 2D texture
// binding as it found them.

#include <gtest/gtest.h>

#include <GL/glew.h>

#include <memory>

#include "effects/BloomEffect.h"
#include "support/GLContext.h"

class BloomStateTest : public zeltest::GLTest {};

TEST_F(BloomStateTest, StageTexturesRestoreUnpackAlignmentAndBinding) {
    GLuint mine = 0;
    glGenTextures(1, &mine);
    glBindTexture(GL_TEXTURE_2D, mine);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 2);
    std::unique_ptr<zel::BloomEffect> bloom;
    zeltest::captureStdout([&] { bloom = std::make_unique<zel::BloomEffect>(); });
    GLint alignment = 0, bound = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(alignment, 2);
    EXPECT_EQ(static_cast<GLuint>(bound), mine);
    EXPECT_NE(bloom->getStageTexture(0), 0u);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    bloom.reset();
    glDeleteTextures(1, &mine);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
