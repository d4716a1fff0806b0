#include "resources/Image.h"

#include <SDL/SDL_image.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <new>

#include "resources/DataFile.h"

namespace zel {

namespace {

const char* const SOURCE = "Image";

// SDL_image allocates the whole surface from the size a file's header claims
// before reading any pixels, and SDL 1.2 keeps the row length in 16 bits. A
// header is therefore checked before decoding: the general decoder is handed
// only BMP or JPEG content (other content it would recognise, such as GIF, PNG
// or PNM under a .jpg name, is refused), the TGA decoder only complete files,
// and the claimed size must be within the limits.

// What a header claims: the size and the bytes per pixel of the decoded surface.
struct Claim {
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::int64_t bytesPerPixel = 4;
};

// Pixels held by loaded images (textures keep theirs for life).
std::int64_t livePixels = 0;

std::uint32_t readLE16(const unsigned char* p) { return p[0] | (p[1] << 8); }
std::uint32_t readBE16(const unsigned char* p) { return (p[0] << 8) | p[1]; }
std::uint32_t readLE32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Refused by pixel count, not per side; only the row length is bounded on its
// own, by the surface's 16-bit pitch.
bool sizeAcceptable(const Claim& claim) {
    return claim.width >= 0 && claim.height >= 0 && claim.width <= 65535 && claim.height <= Image::MAX_PIXELS &&
           claim.width * claim.bytesPerPixel <= 65535 && claim.width * claim.height <= Image::MAX_PIXELS;
}

bool readExactly(SDL_RWops* stream, unsigned char* buffer, int count) {
    return SDL_RWread(stream, buffer, 1, count) == count;
}

// Walks the JPEG marker segments up to the first frame header.
bool jpegSizeAcceptable(SDL_RWops* stream, Claim& claim) {
    unsigned char marker[4];
    // The stream is positioned after the two start-of-image bytes.
    for (;;) {
        if (!readExactly(stream, marker, 1)) return false;
        if (marker[0] != 0xFF) continue; // stray bytes between segments, skipped as the decoder does
        do {
            if (!readExactly(stream, marker + 1, 1)) return false;
        } while (marker[1] == 0xFF);
        const unsigned char code = marker[1];
        if (code == 0xD9 || code == 0xDA) {
            // End of image or start of scan before any frame: the decoder rejects it.
            return true;
        }
        if (code == 0x01 || (code >= 0xD0 && code <= 0xD7)) {
            continue; // markers without a segment
        }
        if (!readExactly(stream, marker + 2, 2)) return false;
        const int length = static_cast<int>(readBE16(marker + 2));
        if (length < 2) return false;
        const bool frame = code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
        if (frame) {
            unsigned char header[5];
            if (length < 7 || !readExactly(stream, header, 5)) return false;
            claim.width = readBE16(header + 3);
            claim.height = readBE16(header + 1);
            // CMYK files decode to four bytes per pixel; the bound assumes it.
            claim.bytesPerPixel = 4;
            return sizeAcceptable(claim);
        }
        if (SDL_RWseek(stream, length - 2, RW_SEEK_CUR) < 0) return false;
    }
}

// For the general decoder: true when the content is BMP or JPEG of an
// acceptable size.
bool generalHeaderAcceptable(SDL_RWops* stream, Claim& claim) {
    unsigned char header[30];
    std::memset(header, 0, sizeof(header));
    const int got = SDL_RWread(stream, header, 1, sizeof(header));
    if (got >= 2 && header[0] == 'B' && header[1] == 'M') {
        if (got < 26) return false;
        std::int64_t bits;
        if (readLE32(header + 14) == 12) {
            claim.width = readLE16(header + 18);
            claim.height = readLE16(header + 20);
            bits = readLE16(header + 24);
        } else {
            if (got < 30) return false;
            claim.width = static_cast<std::int32_t>(readLE32(header + 18));
            claim.height = static_cast<std::int32_t>(readLE32(header + 22));
            if (claim.height < 0) claim.height = -claim.height; // top-down rows
            bits = readLE16(header + 28);
        }
        // Palette images decode to one byte per pixel.
        claim.bytesPerPixel = bits <= 8 ? 1 : (bits + 7) / 8;
        return sizeAcceptable(claim);
    }
    if (got >= 2 && header[0] == 0xFF && header[1] == 0xD8) {
        if (SDL_RWseek(stream, 2, RW_SEEK_SET) < 0) return false;
        return jpegSizeAcceptable(stream, claim);
    }
    return false;
}

// The TGA decoder does not notice when the pixel data ends early and would hand
// back a surface partly made of uninitialised memory, so the pixel data is
// checked for completeness here: its byte count for uncompressed images, the
// run-length packets for compressed ones.
bool tgaAcceptable(SDL_RWops* stream, Claim& claim) {
    unsigned char header[18];
    if (!readExactly(stream, header, sizeof(header))) {
        return true; // too short to be an image: the decoder rejects it
    }
    const std::int64_t width = readLE16(header + 12);
    const std::int64_t height = readLE16(header + 14);
    claim.width = width;
    claim.height = height;
    claim.bytesPerPixel = header[16] <= 8 ? 1 : (header[16] + 7) / 8;
    if (!sizeAcceptable(claim)) {
        return false;
    }
    const int imageType = header[2];
    const bool compressed = imageType == 9 || imageType == 10 || imageType == 11;
    if (!compressed && imageType != 1 && imageType != 2 && imageType != 3) {
        return true; // not an image type the decoder reads; it rejects it
    }
    const std::int64_t bytesPerPixel = (header[16] + 7) / 8;
    const std::int64_t mapBytes = header[1] != 0 ? readLE16(header + 5) * ((header[7] + 7) / 8) : 0;
    const std::int64_t fileSize = SDL_RWseek(stream, 0, RW_SEEK_END);
    std::int64_t position = 18 + header[0] + mapBytes;
    const std::int64_t pixelCount = width * height;
    if (!compressed) {
        return position + pixelCount * bytesPerPixel <= fileSize;
    }
    // Every packet takes at least two bytes, so this walk ends within the file.
    std::int64_t pixels = 0;
    while (pixels < pixelCount) {
        unsigned char packet;
        if (position >= fileSize || SDL_RWseek(stream, static_cast<int>(position), RW_SEEK_SET) < 0 ||
            !readExactly(stream, &packet, 1)) {
            return false;
        }
        const std::int64_t count = (packet & 0x7F) + 1;
        position += 1 + ((packet & 0x80) != 0 ? bytesPerPixel : count * bytesPerPixel);
        pixels += count;
    }
    return position <= fileSize;
}

} // namespace

Image::Image(const std::string& fileName, bool colorKey, int keyRed, int keyGreen, int keyBlue)
    : format(ImageFormat::UNKNOWN),
      width(0),
      height(0),
      bitsPerPixel(0),
      loaded(false),
      colorKey(colorKey),
      keyRed(keyRed),
      keyGreen(keyGreen),
      keyBlue(keyBlue) {
    const std::string extension = getExtension(fileName);
    if (extension == "not_found") {
        printf("[%s]: Error: Can not load file without extension. What file type? <%s>\n", SOURCE,
               fileName.c_str());
        return;
    }
    this->fileName = fileName;

    bool ok;
    if (extension == "tga" || extension == "TGA") {
        ok = loadTGA();
    } else if (extension == "bmp" || extension == "BMP") {
        ok = loadGeneral(true);
    } else if (extension == "jpg" || extension == "JPG" || extension == "jpeg" ||
               extension == "JPEG") {
        ok = loadGeneral(false);
    } else {
        return;
    }
    if (!ok) {
        printf("[%s]: Error: Could not load image <%s>.\n", SOURCE, fileName.c_str());
    }
    loaded = ok;
}

Image::~Image() {
    livePixels -= accountedPixels;
}

std::int64_t Image::getLivePixels() {
    return livePixels;
}

std::string Image::getExtension(const std::string& fileName) {
    const std::string::size_type dot = fileName.rfind('.');
    if (dot == std::string::npos) {
        return "not_found";
    }
    return fileName.substr(dot + 1);
}

bool Image::loadTGA() {
    return decode(true, true);
}

bool Image::loadGeneral(bool swap) {
    return decode(false, swap);
}

bool Image::decode(bool tga, bool swap) {
    // The file is read whole through the data-file reader (a pipe or device
    // never blocks it, and the size is capped), then decoded from memory.
    std::string bytes;
    const DataFileStatus status = readDataFile(fileName, MAX_FILE_BYTES, bytes);
    if (status == DataFileStatus::NOT_REGULAR || status == DataFileStatus::TOO_LARGE) {
        fprintf(stderr, "ERROR: [%s] %s %s (at most %lld bytes of a regular file).\n", SOURCE, fileName.c_str(),
                describeDataFileStatus(status), static_cast<long long>(MAX_FILE_BYTES));
    }
    if (status == DataFileStatus::MISSING || status == DataFileStatus::READ_ERROR) {
        printf("[%s]: Error: Could not open file.\n", SOURCE);
        return false;
    }
    // A file that opens but is refused (not a regular file, too large) fails
    // like content the decoder rejects.
    SDL_RWops* stream = status == DataFileStatus::OK && bytes.size() <= static_cast<std::size_t>(INT_MAX)
                            ? SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()))
                            : nullptr;
    if (stream == nullptr) {
        printf("[%s]: Error: Could not load image.\n", SOURCE);
        return false;
    }

    SDL_Surface* surface = nullptr;
    Claim claim;
    bool acceptable = tga ? tgaAcceptable(stream, claim) : generalHeaderAcceptable(stream, claim);
    if (!acceptable && claim.width * claim.height > MAX_PIXELS) {
        fprintf(stderr, "ERROR: [%s] %s: %lld x %lld pixels are more than the limit of %lld pixels per image.\n",
                SOURCE, fileName.c_str(), static_cast<long long>(claim.width), static_cast<long long>(claim.height),
                static_cast<long long>(MAX_PIXELS));
    }
    if (acceptable && livePixels + claim.width * claim.height > MAX_TOTAL_PIXELS) {
        fprintf(stderr, "ERROR: [%s] %s: %lld x %lld pixels would take the images loaded past %lld pixels.\n", SOURCE,
                fileName.c_str(), static_cast<long long>(claim.width), static_cast<long long>(claim.height),
                static_cast<long long>(MAX_TOTAL_PIXELS));
        acceptable = false;
    }
    if (acceptable && SDL_RWseek(stream, 0, RW_SEEK_SET) == 0) {
        surface = tga ? IMG_LoadTGA_RW(stream) : IMG_Load_RW(stream, 0);
    }
    if (surface != nullptr && static_cast<std::int64_t>(surface->w) * surface->h > claim.width * claim.height) {
        // The decoder read a size other than the header's; the budget needs the one checked.
        SDL_FreeSurface(surface);
        surface = nullptr;
    }
    if (surface == nullptr) {
        printf("[%s]: Error: Could not load image.\n", SOURCE);
        SDL_RWclose(stream);
        return false;
    }
    if (surface->format == nullptr) {
        printf("[%s]: Error: Could not get pixel format.\n", SOURCE);
        SDL_FreeSurface(surface);
        SDL_RWclose(stream);
        return false;
    }

    const int depth = surface->format->BitsPerPixel;
    if (depth == 24) {
        format = ImageFormat::RGB;
    } else if (depth == 32) {
        format = ImageFormat::RGBA;
    } else {
        printf("[%s]: Warning: Unknown pixeltype!\n", SOURCE);
        format = ImageFormat::UNKNOWN;
    }
    width = surface->w;
    height = surface->h;
    bitsPerPixel = depth;

    const bool copied = copySurface(surface);
    SDL_FreeSurface(surface);
    SDL_RWclose(stream);
    if (!copied) {
        width = 0;
        height = 0;
        bitsPerPixel = 0;
        format = ImageFormat::UNKNOWN;
        return false;
    }

    accountedPixels = static_cast<std::int64_t>(width) * height;
    livePixels += accountedPixels;
    if (swap) {
        swapRedBlue();
    }
    if (colorKey) {
        addColorKeyAlpha(keyRed, keyGreen, keyBlue);
    }
    return true;
}

bool Image::copySurface(SDL_Surface* surface) {
    const std::size_t rowLength = static_cast<std::size_t>(width) * getBytesPerPixel();
    // The decoder's rows may be padded (24-bit rows to 4 bytes); a row length
    // shorter than the pixels it must hold means a surface we cannot read.
    if (width < 0 || height < 0 || static_cast<std::size_t>(surface->pitch) < rowLength ||
        (height > 0 && rowLength > 0 && surface->pixels == nullptr)) {
        printf("[%s]: Error: Could not load image.\n", SOURCE);
        return false;
    }
    const std::size_t size = rowLength * static_cast<std::size_t>(height);
    data.reset(new (std::nothrow) unsigned char[size > 0 ? size : 1]);
    if (!data) {
        printf("[%s]: Error: Could not allocate space for image.\n", SOURCE);
        return false;
    }
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) < 0) {
        data.reset();
        printf("[%s]: Error: Could not load image.\n", SOURCE);
        return false;
    }
    const unsigned char* source = static_cast<const unsigned char*>(surface->pixels);
    // An image without pixels (zero width or height) may come without pixel
    // memory at all; there is nothing to copy from it.
    for (int y = 0; rowLength > 0 && y < height; ++y) {
        std::memcpy(data.get() + static_cast<std::size_t>(y) * rowLength,
                    source + static_cast<std::size_t>(y) * surface->pitch, rowLength);
    }
    if (SDL_MUSTLOCK(surface)) {
        SDL_UnlockSurface(surface);
    }
    return true;
}

void Image::swapRedBlue() {
    int step;
    if (bitsPerPixel == 24) {
        step = 3;
    } else if (bitsPerPixel == 32) {
        step = 4;
    } else {
        return;
    }
    const std::size_t n = static_cast<std::size_t>(step) * width * height;
    unsigned char* pixels = data.get();
    for (std::size_t i = 0; i < n; i += step) {
        const unsigned char red = pixels[i + 2];
        pixels[i + 2] = pixels[i];
        pixels[i] = red;
    }
}

void Image::addColorKeyAlpha(int red, int green, int blue) {
    if (format != ImageFormat::RGB) {
        return; // an image with alpha keeps its own; other depths are left alone
    }
    const std::size_t count = static_cast<std::size_t>(width) * height;
    std::unique_ptr<unsigned char[]> keyed(new (std::nothrow) unsigned char[count > 0 ? count * 4 : 1]);
    if (!keyed) {
        printf("[%s]: Error: Could not allocate space for image.\n", SOURCE);
        return;
    }
    const unsigned char* source = data.get();
    unsigned char* target = keyed.get();
    for (std::size_t i = 0; i < count; ++i, source += 3, target += 4) {
        target[0] = source[0];
        target[1] = source[1];
        target[2] = source[2];
        const bool key = source[0] == red && source[1] == green && source[2] == blue;
        target[3] = key ? 0 : 255;
    }
    data = std::move(keyed);
    format = ImageFormat::RGBA;
    bitsPerPixel = 32;
}

} // namespace zel
