// Fuzzes the shader-source reader and the source bounds check
// (GPUProgram::readSourceFile and checkSourceBounds, which need no GL context):
// the input is written to a shader file, read back and checked. The reader only
// turns CR LF and CR into LF, so the result is never longer than the input and
// holds no carriage return; the check must end in time linear in the text.

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
    if (text.size() > size || text.find('\r') != std::string::npos) {
        std::abort();
    }
    zel::GPUProgram::checkSourceBounds(text);
    return 0;
}
