#pragma once
// Helpers shared by the libFuzzer targets: every loader of the engine reads a
// file by name, so each input is written to a file in a private scratch folder
// first. The scratch folder is also the working directory of the fuzz process;
// its parent has no data/ folder and no textures.xml, so the texture registry
// finds neither a catalogue nor any image and never reaches an OpenGL call.

#include <cstddef>
#include <cstdint>
#include <string>

namespace zelfuzz {

// Creates a fresh scratch folder (a bin/ folder inside a new temporary folder),
// makes it the working directory and returns its path. Called once per process.
std::string enterScratchDirectory(const char* tag);

// Writes size bytes to path (relative to the working directory), replacing it.
void writeFile(const std::string& path, const std::uint8_t* data, std::size_t size);

} // namespace zelfuzz
