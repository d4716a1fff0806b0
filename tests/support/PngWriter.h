#pragma once
// A minimal PNG writer for images read back from the frame buffer, so that the
// frame tests and the screenshot tool can leave files a person can open. It
// writes 8-bit RGB with stored (uncompressed) deflate blocks: no dependency
// beyond the standard library; recompress with any image tool when size matters.

#include <string>
#include <vector>

namespace zeltest {

// Writes width x height RGB pixels (3 bytes each, rows bottom to top as
// glReadPixels returns them) to path as a PNG with the top row first.
// Returns false when the file cannot be written or the size does not match.
bool writePng(const std::string& path, int width, int height, const std::vector<unsigned char>& rgbBottomUp);

} // namespace zeltest
