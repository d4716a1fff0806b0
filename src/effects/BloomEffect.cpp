#include "effects/BloomEffect.h"

#include <vector>

#include "engine/CoreEngine.h"
#include "resources/GPUProgram.h"

namespace zel {

namespace {

const char* const BRIGHTPASS_VS = "../data/shader/brightpass_vs.txt";
const char* const BRIGHTPASS_FS = "../data/shader/brightpass_fs.txt";
const char* const BLUR_VS = "../data/shader/blur_vs.txt";
const char* const BLUR_FS = "../data/shader/blur_fs.txt";

// Each stage adds this share of itself to the frame in the composite.
const float COMPOSITE_ALPHA = 0.2f;

} // namespace

BloomEffect::StageTexture::StageTexture() {
    // The unpack alignment and the 2D binding are put back afterwards, so
    // creating the effect leaves no state behind for later uploads and draws.
    GLint previousAlignment = 4;
    GLint previousTexture = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &previousAlignment);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previousTexture);
    glGenTextures(1, &id_);
    glBindTexture(GL_TEXTURE_2D, id_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    const std::vector<unsigned char> black(SIZE * SIZE * 3, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, SIZE, SIZE, 0, GL_RGB, GL_UNSIGNED_BYTE, black.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, previousAlignment);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previousTexture));
}

BloomEffect::StageTexture::~StageTexture() { release(); }

void BloomEffect::StageTexture::release() {
    if (id_ != 0) glDeleteTextures(1, &id_);
    id_ = 0;
}

BloomEffect::BloomEffect()
    : brightPass_(std::make_unique<GPUProgram>(BRIGHTPASS_VS, BRIGHTPASS_FS)),
      blur_(std::make_unique<GPUProgram>(BLUR_VS, BLUR_FS)) {}

// The textures go first, then the bright-pass program, then the blur program.
BloomEffect::~BloomEffect() {
    for (StageTexture& stage : stages_) stage.release();
    brightPass_.reset();
    blur_.reset();
}

bool BloomEffect::init() { return true; }

void BloomEffect::update(std::uint32_t) {}

GLuint BloomEffect::getStageTexture(int stage) const {
    if (stage < 0 || stage >= STAGES) return 0;
    return stages_[stage].id();
}

void BloomEffect::drawScreenQuad() const {
    const float width = static_cast<float>(CoreEngine::instance().getWidth());
    const float height = static_cast<float>(CoreEngine::instance().getHeight());
    glBegin(GL_QUADS);
    glMultiTexCoord2f(GL_TEXTURE0, 0.0f, 0.0f);
    glVertex2f(0.0f, 0.0f);
    glMultiTexCoord2f(GL_TEXTURE0, 1.0f, 0.0f);
    glVertex2f(width, 0.0f);
    glMultiTexCoord2f(GL_TEXTURE0, 1.0f, 1.0f);
    glVertex2f(width, height);
    glMultiTexCoord2f(GL_TEXTURE0, 0.0f, 1.0f);
    glVertex2f(0.0f, height);
    glEnd();
}

void BloomEffect::copyCorner(GLuint texture) const {
    glBindTexture(GL_TEXTURE_2D, texture);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, SIZE, SIZE);
}

void BloomEffect::capture() {
    CoreEngine& engine = CoreEngine::instance();

    copyCorner(stages_[0].id());
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, engine.getWidth(), 0.0, engine.getHeight(), -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    glActiveTexture(GL_TEXTURE0);
    glEnable(GL_TEXTURE_2D);

    // Bright pass: stage 0 through the threshold shader, back into stage 0.
    glBindTexture(GL_TEXTURE_2D, stages_[0].id());
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glUseProgramObjectARB(brightPass_->getProgramObject());
    drawScreenQuad();
    glUseProgramObjectARB(0);
    copyCorner(stages_[0].id());

    // Two blurs with the same program: stage 0 into stage 1, stage 1 into stage 2.
    for (int stage = 1; stage < STAGES; ++stage) {
        glBindTexture(GL_TEXTURE_2D, stages_[stage - 1].id());
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        const GLhandleARB program = blur_->getProgramObject();
        glUseProgramObjectARB(program);
        glUniform1f(glGetUniformLocation(program, "width"), static_cast<float>(SIZE));
        glUniform1f(glGetUniformLocation(program, "height"), static_cast<float>(SIZE));
        drawScreenQuad();
        glUseProgramObjectARB(0);
        copyCorner(stages_[stage].id());
    }

    engine.setupProjection();
}

void BloomEffect::render() {
    if (!enabled_) return;
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glColor4f(1.0f, 1.0f, 1.0f, COMPOSITE_ALPHA);

    glEnable(GL_TEXTURE_2D);
    for (const StageTexture& stage : stages_) {
        glBindTexture(GL_TEXTURE_2D, stage.id());
        drawScreenQuad();
    }

    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

} // namespace zel
