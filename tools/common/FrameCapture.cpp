#include "common/FrameCapture.h"

#include <GL/glew.h>

#include <vector>

#include "common/PngWriter.h"
#include "engine/CoreEngine.h"
#include "engine/FrameDriver.h"

namespace zeltools {

bool saveSettledFrame(zel::FrameDriver& driver, const std::string& path) {
    driver.frame(0);
    driver.frame(0);
    const int width = zel::CoreEngine::instance().getWidth();
    const int height = zel::CoreEngine::instance().getHeight();
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return writePng(path, width, height, pixels);
}

} // namespace zeltools
