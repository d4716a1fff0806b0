#pragma once
// Writes images read back from the frame buffer as PNG files (libpng), so that
// the screenshot tool and the frame tests leave files a person can open.

#include <string>
#include <vector>

namespace zeltools {

// Writes width x height RGB pixels (3 bytes each, rows bottom to top as
// glReadPixels returns them) to path as a PNG with the top row first.
// Returns false when the file cannot be written or the size does not match.
bool writePng(const std::string& path, int width, int height, const std::vector<unsigned char>& rgbBottomUp);

} // namespace zeltools
