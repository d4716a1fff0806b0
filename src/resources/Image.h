#pragma once
// Pixels of one TGA, BMP or JPEG file, decoded through SDL_image into a block of
// its own with 8 bits per channel in red-green-blue(-alpha) order, optionally
// with one colour turned transparent (colour key). The texture factory and the
// terrain's heightmap loader create images on the heap, test `loaded` and read
// the fields directly; a texture keeps its image for its whole life.

#include <SDL/SDL.h>

#include <cstdint>
#include <memory>
#include <string>

namespace zel {

enum class ImageFormat : std::int32_t {
    RGB = 0,     // 3 bytes per pixel: R, G, B
    RGBA = 1,    // 4 bytes per pixel: R, G, B, A
    UNKNOWN = 2  // any other depth; bytes as decoded
};

class Image {
public:
    // Loads the file at once; `loaded` tells whether it worked. The decoder is
    // chosen by the extension ("tga"/"TGA", "bmp"/"BMP", "jpg"/"JPG"/"jpeg"/
    // "JPEG"); any other extension fails silently. With colorKey set, an RGB
    // image becomes RGBA with alpha 0 exactly on pixels of the key colour.
    Image(const std::string& fileName, bool colorKey, int keyRed, int keyGreen, int keyBlue);
    virtual ~Image();

    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    // Everything after the last "." of the whole name (possibly empty), or
    // "not_found" when there is no ".".
    static std::string getExtension(const std::string& fileName);

    // Largest pixel count of one image (4096 x 4096, any shape; a row must
    // also fit the decoder's 16-bit row length): headers claiming more are
    // refused before anything is allocated, and so are truncated TGA files.
    // Such refusals report as a failed decode.
    static constexpr std::int64_t MAX_PIXELS = 16LL * 1024 * 1024;
    // Largest number of pixels all loaded images hold together (about ten times
    // what the demo loads): with the GL copies and mipmaps, about 300 MB at most.
    // An image that would go past it is refused with a line on standard error.
    static constexpr std::int64_t MAX_TOTAL_PIXELS = 32LL * 1024 * 1024;
    // Largest image file read.
    static constexpr std::int64_t MAX_FILE_BYTES = 64LL * 1024 * 1024;
    // Pixels held by the images alive now.
    static std::int64_t getLivePixels();

    // Read-only after construction.
    std::string fileName;                  // empty when the name has no extension
    ImageFormat format;
    std::unique_ptr<unsigned char[]> data; // height rows of width pixels, top row first; null until decoded
    int width;
    int height;
    int bitsPerPixel;                      // 32 after a colour key was applied
    bool loaded;

    int getBytesPerPixel() const { return bitsPerPixel / 8; }

private:
    bool loadTGA();
    bool loadGeneral(bool swap);
    bool decode(bool tga, bool swap);
    bool copySurface(SDL_Surface* surface);
    void swapRedBlue();
    void addColorKeyAlpha(int red, int green, int blue);

    std::int64_t accountedPixels = 0; // counted in the live total until destruction
    bool colorKey;
    int keyRed, keyGreen, keyBlue;
};

} // namespace zel
