#include "import/TextureExporter.h"

#include <SDL/SDL.h>
#include <SDL/SDL_image.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "assetgen/ImageWriter.h"
#include "import/SceneConverter.h"

namespace zelimport {

namespace fs = std::filesystem;
using assetgen::Raster;

namespace {

std::string upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// The SDL_image type name for a file extension.
std::string typeOf(const std::string& extension) {
    const std::string type = upper(extension);
    return type == "JPEG" ? "JPG" : type;
}

std::string extensionOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    return path.substr(dot + 1);
}

std::string stemOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name;
}

bool readFile(const fs::path& path, std::vector<uint8_t>& out, std::string& reason) {
    std::error_code error;
    const auto size = fs::file_size(path, error);
    if (error) {
        reason = "cannot be read";
        return false;
    }
    if (size > TextureExporter::MAX_SOURCE_BYTES) {
        reason = "is larger than " + std::to_string(TextureExporter::MAX_SOURCE_BYTES >> 20) + " MB";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    out.resize(static_cast<std::size_t>(size));
    if (!in || !in.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(out.size()))) {
        reason = "cannot be read";
        return false;
    }
    return true;
}

uint32_t be16(const std::vector<uint8_t>& b, std::size_t i) { return uint32_t(b[i]) << 8 | b[i + 1]; }
uint32_t le16(const std::vector<uint8_t>& b, std::size_t i) { return uint32_t(b[i + 1]) << 8 | b[i]; }
uint32_t be32(const std::vector<uint8_t>& b, std::size_t i) { return be16(b, i) << 16 | be16(b, i + 2); }
uint32_t le32(const std::vector<uint8_t>& b, std::size_t i) { return le16(b, i + 2) << 16 | le16(b, i); }

bool inside(const fs::path& base, const fs::path& candidate) {
    const fs::path relative = candidate.lexically_relative(base);
    return !relative.empty() && *relative.begin() != ".." && !relative.is_absolute();
}

// The file in path's folder whose name equals path's name but for case (models
// made on case-blind systems name "IMAGE1.JPG" for image1.jpg), or empty.
fs::path matchCase(const fs::path& path) {
    std::error_code error;
    const std::string wanted = upper(path.filename().string());
    int budget = 10000; // folders of hostile size are not read to the end
    for (fs::directory_iterator it(path.parent_path(), error), end; !error && it != end && budget-- > 0;
         it.increment(error)) {
        if (upper(it->path().filename().string()) == wanted && it->is_regular_file(error)) return it->path();
    }
    return {};
}

// Surfaces freed when the scope ends.
struct SurfaceDeleter {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using Surface = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

// Picks the embedded picture a texture path names: "*N" by index, any other
// path by its file name, as Assimp's loaders name them.
const aiTexture* findEmbedded(const aiScene& scene, const std::string& path) {
    if (scene.mTextures == nullptr || scene.mNumTextures == 0) return nullptr;
    if (!path.empty() && path[0] == '*') {
        if (path.size() < 2 || path.size() > 10 ||
            !std::all_of(path.begin() + 1, path.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return nullptr;
        const unsigned long index = std::stoul(path.substr(1));
        return index < scene.mNumTextures ? scene.mTextures[index] : nullptr;
    }
    const std::string name = path.substr(path.find_last_of("/\\") == std::string::npos ? 0 : path.find_last_of("/\\") + 1);
    for (unsigned i = 0; i < scene.mNumTextures; ++i) {
        const aiTexture* texture = scene.mTextures[i];
        if (texture == nullptr) continue;
        const std::string own = texture->mFilename.C_Str();
        const std::size_t slash = own.find_last_of("/\\");
        if (!name.empty() && own.substr(slash == std::string::npos ? 0 : slash + 1) == name) return texture;
    }
    return nullptr;
}

} // namespace

TextureExporter::TextureExporter(const aiScene& scene, std::string inputDir, std::string outputDir, std::string prefix)
    : scene_(scene), inputDir_(std::move(inputDir)), outputDir_(std::move(outputDir)), prefix_(std::move(prefix)) {}

std::string TextureExporter::resolve(const std::string& inputDir, const std::string& path, std::string& reason) {
    std::string text = path;
    std::replace(text.begin(), text.end(), '\\', '/');
    if (text.rfind("file://", 0) == 0) text.erase(0, 7);
    if (text.empty() || text.find('\0') != std::string::npos) {
        reason = "has an empty path";
        return "";
    }
    std::error_code error;
    const fs::path base = fs::weakly_canonical(fs::absolute(inputDir.empty() ? "." : inputDir, error), error);
    const fs::path given(text);
    const bool foreign = given.is_absolute() || (text.size() > 1 && text[1] == ':');
    std::vector<fs::path> candidates;
    if (!foreign) candidates.push_back(base / given);
    if (given.has_filename()) candidates.push_back(base / given.filename());

    bool outside = foreign;
    for (const fs::path& candidate : candidates) {
        const fs::path real = fs::weakly_canonical(candidate, error);
        if (error || !inside(base, real)) {
            outside = true;
            continue;
        }
        if (fs::is_regular_file(real, error)) return real.string();
        const fs::path match = fs::weakly_canonical(matchCase(real), error);
        if (!error && !match.empty() && inside(base, match)) return match.string();
    }
    reason = outside ? "lies outside the model's folder and is not beside the model either" : "was not found";
    return "";
}

bool TextureExporter::peekSize(const std::vector<uint8_t>& b, const std::string& typeHint, int& width, int& height) {
    const std::size_t n = b.size();
    if (n >= 24 && b[0] == 0x89 && b[1] == 'P' && b[2] == 'N' && b[3] == 'G') {
        width = static_cast<int>(std::min<uint32_t>(be32(b, 16), 1u << 30));
        height = static_cast<int>(std::min<uint32_t>(be32(b, 20), 1u << 30));
        return true;
    }
    if (n >= 10 && b[0] == 'G' && b[1] == 'I' && b[2] == 'F') {
        width = static_cast<int>(le16(b, 6));
        height = static_cast<int>(le16(b, 8));
        return true;
    }
    if (n >= 26 && b[0] == 'B' && b[1] == 'M') {
        if (le32(b, 14) == 12) {
            width = static_cast<int>(le16(b, 18));
            height = static_cast<int>(le16(b, 20));
        } else {
            const auto w = static_cast<int32_t>(le32(b, 18));
            const auto h = static_cast<int32_t>(le32(b, 22));
            width = w == INT32_MIN ? INT32_MAX : std::abs(w);
            height = h == INT32_MIN ? INT32_MAX : std::abs(h);
        }
        return true;
    }
    if (n >= 4 && b[0] == 0xFF && b[1] == 0xD8) {
        std::size_t i = 2;
        while (i + 9 <= n) {
            if (b[i] != 0xFF) return false;
            const uint8_t marker = b[i + 1];
            if (marker == 0xFF) {
                ++i;
                continue;
            }
            const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
            if (frame) {
                height = static_cast<int>(be16(b, i + 5));
                width = static_cast<int>(be16(b, i + 7));
                return true;
            }
            if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD9)) {
                i += 2;
                continue;
            }
            i += 2 + be16(b, i + 2);
        }
        return false;
    }
    if (typeHint == "TGA" && n >= 18) {
        width = static_cast<int>(le16(b, 12));
        height = static_cast<int>(le16(b, 14));
        return true;
    }
    return false;
}

bool TextureExporter::decode(const std::vector<uint8_t>& bytes, const std::string& typeHint, Raster& out,
                             std::string& reason) {
    int width = 0, height = 0;
    if (peekSize(bytes, typeHint, width, height) && (width > MAX_DIMENSION || height > MAX_DIMENSION)) {
        reason = "is too large (" + std::to_string(width) + " x " + std::to_string(height) + ", at most " +
                 std::to_string(MAX_DIMENSION) + ")";
        return false;
    }
    if (bytes.empty() || bytes.size() > MAX_SOURCE_BYTES) {
        reason = bytes.empty() ? "is empty" : "is too large";
        return false;
    }
    SDL_RWops* stream = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    std::string type = typeHint;
    Surface decoded(stream != nullptr ? IMG_LoadTyped_RW(stream, 1, &type[0]) : nullptr);
    if (!decoded) {
        reason = "cannot be decoded (" + std::string(IMG_GetError()) + ")";
        return false;
    }
    if (decoded->w <= 0 || decoded->h <= 0 || decoded->w > MAX_DIMENSION || decoded->h > MAX_DIMENSION) {
        reason = "has an unusable size (" + std::to_string(decoded->w) + " x " + std::to_string(decoded->h) + ")";
        return false;
    }
    // Blitting without per-pixel blending copies the source's alpha; keyed
    // pixels are skipped and keep the cleared, transparent destination.
    Surface rgba(SDL_CreateRGBSurface(SDL_SWSURFACE, decoded->w, decoded->h, 32, 0x000000FFu, 0x0000FF00u,
                                      0x00FF0000u, 0xFF000000u));
    if (!rgba) {
        reason = "cannot be converted (out of memory)";
        return false;
    }
    SDL_FillRect(rgba.get(), nullptr, 0);
    SDL_SetAlpha(decoded.get(), 0, SDL_ALPHA_OPAQUE);
    if (SDL_BlitSurface(decoded.get(), nullptr, rgba.get(), nullptr) != 0 || SDL_LockSurface(rgba.get()) != 0) {
        reason = "cannot be converted";
        return false;
    }
    out = Raster(rgba->w, rgba->h, 4);
    const auto* pixels = static_cast<const uint8_t*>(rgba->pixels);
    for (int y = 0; y < rgba->h; ++y) {
        const uint8_t* row = pixels + static_cast<std::size_t>(y) * rgba->pitch;
        for (int x = 0; x < rgba->w; ++x)
            out.setBytes(x, y, row[x * 4], row[x * 4 + 1], row[x * 4 + 2], row[x * 4 + 3]);
    }
    SDL_UnlockSurface(rgba.get());
    return true;
}

std::string TextureExporter::uniqueName(const std::string& stem, const std::string& extension) {
    const std::string base = SceneConverter::sanitiseName(prefix_ + "_" + stem, 60);
    std::string name = base + extension;
    for (int n = 2; std::find(written_.begin(), written_.end(), name) != written_.end(); ++n)
        name = base + "_" + std::to_string(n) + extension;
    return name;
}

std::string TextureExporter::writeRaster(const Raster& raster, const std::string& stem, std::string& reason) {
    bool translucent = false;
    for (std::size_t i = 3; i < raster.bytes().size() && !translucent; i += 4) translucent = raster.bytes()[i] < 255;
    std::vector<uint8_t> encoded;
    std::string name;
    if (translucent) {
        // The engine keeps a TGA's own alpha channel.
        name = uniqueName(stem, ".tga");
        encoded = assetgen::ImageWriter::encodeTga(raster, true);
    } else {
        Raster rgb(raster.width(), raster.height(), 3);
        for (int y = 0; y < raster.height(); ++y)
            for (int x = 0; x < raster.width(); ++x)
                rgb.setBytes(x, y, raster.byteAt(x, y, 0), raster.byteAt(x, y, 1), raster.byteAt(x, y, 2));
        name = uniqueName(stem, ".jpg");
        encoded = assetgen::ImageWriter::encodeJpeg(rgb, 92);
    }
    if (encoded.empty() || !assetgen::ImageWriter::writeFile((fs::path(outputDir_) / name).string(), encoded)) {
        reason = "could not be written to " + outputDir_;
        return "";
    }
    written_.push_back(name);
    return name;
}

std::string TextureExporter::exportTexture(const std::string& path, std::string& reason) {
    const auto known = byPath_.find(path);
    if (known != byPath_.end()) return known->second;

    Raster raster(1, 1, 4);
    const aiTexture* embedded = findEmbedded(scene_, path);
    bool ok = false;
    std::string stem = stemOf(path);
    if (embedded != nullptr) {
        if (stem.empty() || stem[0] == '*') stem = "embedded" + path.substr(path[0] == '*' ? 1 : 0);
        if (embedded->pcData == nullptr) {
            reason = "is an embedded picture without data";
        } else if (embedded->mHeight == 0) {
            // Compressed: mWidth is the byte count of a file held in memory.
            const auto* data = reinterpret_cast<const uint8_t*>(embedded->pcData);
            const std::vector<uint8_t> bytes(data, data + std::min<std::size_t>(embedded->mWidth, MAX_SOURCE_BYTES + 1));
            ok = decode(bytes, typeOf(embedded->achFormatHint), raster, reason);
        } else if (embedded->mWidth > static_cast<unsigned>(MAX_DIMENSION) ||
                   embedded->mHeight > static_cast<unsigned>(MAX_DIMENSION)) {
            reason = "is an embedded picture too large to use";
        } else {
            raster = Raster(static_cast<int>(embedded->mWidth), static_cast<int>(embedded->mHeight), 4);
            for (unsigned y = 0; y < embedded->mHeight; ++y)
                for (unsigned x = 0; x < embedded->mWidth; ++x) {
                    const aiTexel& t = embedded->pcData[static_cast<std::size_t>(y) * embedded->mWidth + x];
                    raster.setBytes(static_cast<int>(x), static_cast<int>(y), t.r, t.g, t.b, t.a);
                }
            ok = true;
        }
    } else if (!path.empty() && path[0] == '*') {
        reason = "names an embedded picture the model does not hold";
    } else {
        const std::string file = resolve(inputDir_, path, reason);
        std::vector<uint8_t> bytes;
        ok = !file.empty() && readFile(file, bytes, reason) && decode(bytes, typeOf(extensionOf(file)), raster, reason);
    }
    if (!ok) return "";
    if (stem.empty()) stem = "texture";
    const std::string name = writeRaster(raster, stem, reason);
    if (!name.empty()) byPath_[path] = name;
    return name;
}

std::string TextureExporter::exportColour(const unsigned char rgb[3], std::string& reason) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "%02x%02x%02x", rgb[0], rgb[1], rgb[2]);
    const std::string key = std::string("#") + hex;
    const auto known = byPath_.find(key);
    if (known != byPath_.end()) return known->second;
    Raster raster(8, 8, 3);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) raster.setBytes(x, y, rgb[0], rgb[1], rgb[2]);
    const std::string name = uniqueName(std::string("colour_") + hex, ".bmp");
    if (!assetgen::ImageWriter::writeFile((fs::path(outputDir_) / name).string(),
                                          assetgen::ImageWriter::encodeBmp(raster))) {
        reason = "could not be written to " + outputDir_;
        return "";
    }
    written_.push_back(name);
    byPath_[key] = name;
    return name;
}

} // namespace zelimport
