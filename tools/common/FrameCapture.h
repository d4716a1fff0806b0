#pragma once
// Saves what the engine draws: the screenshot tool and the model viewer render
// frames through the frame driver and keep one as a PNG file.

#include <string>

namespace zel {
class FrameDriver;
}

namespace zeltools {

// Draws two frames with the driver (so that the frame-rate counter and the
// bloom have settled), reads the second back from the back buffer and writes
// it to path. False when the file cannot be written.
bool saveSettledFrame(zel::FrameDriver& driver, const std::string& path);

} // namespace zeltools
