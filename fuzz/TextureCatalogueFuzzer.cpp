// Fuzzes the texture catalogue reader: the input is written to a catalogue file
// and read with TextureResourceFile, then every entry is looked up again by its
// file name as the registry does.

#include <libxml/parser.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "FuzzSupport.h"
#include "resources/TextureResourceFile.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    xmlInitParser();
    zelfuzz::enterScratchDirectory("catalogue");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* const path = "textures.xml";
    zelfuzz::writeFile(path, data, size);
    const zel::TextureResourceFile catalogue(path);
    for (const zel::TextureEntry& entry : catalogue.getEntries()) {
        if (!catalogue.hasEntry(entry.fileName)) {
            std::abort(); // every listed entry must be found by its own name
        }
        (void)catalogue.getEntry(entry.fileName);
    }
    (void)catalogue.hasEntry("default.jpg");
    return 0;
}
