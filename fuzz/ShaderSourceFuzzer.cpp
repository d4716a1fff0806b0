// Fuzzes the shader-source reader (GPUProgram::readSourceFile, which needs no GL
// context): the input is written to a shader file and read back. The reader
// drops line breaks, so the result must never be longer than the input and must
// hold no line feed.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzSupport.h"
#include "resources/GPUProgram.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    zelfuzz::enterScratchDirectory("shader");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* const path = "shader_vs.txt";
    zelfuzz::writeFile(path, data, size);
    const std::string text = zel::GPUProgram::readSourceFile(path);
    if (text.size() > size || text.find('\n') != std::string::npos) {
        std::abort();
    }
    return 0;
}
