#include "support/PngWriter.h"

#include <cstdint>
#include <fstream>

namespace zeltest {

namespace {

std::uint32_t crc32(const unsigned char* data, std::size_t size, std::uint32_t crc = 0) {
    static std::uint32_t table[256];
    static bool ready = false;
    if (!ready) {
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
        ready = true;
    }
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void putBig32(std::string& out, std::uint32_t v) {
    out.push_back(static_cast<char>(v >> 24));
    out.push_back(static_cast<char>(v >> 16));
    out.push_back(static_cast<char>(v >> 8));
    out.push_back(static_cast<char>(v));
}

void putChunk(std::string& out, const char* type, const std::string& data) {
    putBig32(out, static_cast<std::uint32_t>(data.size()));
    std::string body(type, 4);
    body += data;
    out += body;
    putBig32(out, crc32(reinterpret_cast<const unsigned char*>(body.data()), body.size()));
}

} // namespace

bool writePng(const std::string& path, int width, int height, const std::vector<unsigned char>& rgbBottomUp) {
    if (width <= 0 || height <= 0 ||
        rgbBottomUp.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3)
        return false;

    // Filter byte 0 (none) before each row, top row first.
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    std::string raw;
    raw.reserve((rowBytes + 1) * static_cast<std::size_t>(height));
    for (int y = height - 1; y >= 0; --y) {
        raw.push_back('\0');
        raw.append(reinterpret_cast<const char*>(&rgbBottomUp[static_cast<std::size_t>(y) * rowBytes]),
                   rowBytes);
    }

    // zlib stream of stored blocks (at most 65535 bytes each) and the Adler-32 sum.
    std::string z;
    z.push_back(0x78);
    z.push_back(0x01);
    std::size_t pos = 0;
    do {
        const std::size_t len = raw.size() - pos < 65535 ? raw.size() - pos : 65535;
        const bool last = pos + len == raw.size();
        z.push_back(last ? 1 : 0);
        z.push_back(static_cast<char>(len & 0xFF));
        z.push_back(static_cast<char>(len >> 8));
        z.push_back(static_cast<char>(~len & 0xFF));
        z.push_back(static_cast<char>((~len >> 8) & 0xFF));
        z.append(raw, pos, len);
        pos += len;
    } while (pos < raw.size());
    std::uint32_t a = 1;
    std::uint32_t b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    putBig32(z, (b << 16) | a);

    std::string png("\x89PNG\r\n\x1a\n", 8);
    std::string header;
    putBig32(header, static_cast<std::uint32_t>(width));
    putBig32(header, static_cast<std::uint32_t>(height));
    header += std::string("\x08\x02\x00\x00\x00", 5); // 8 bits, RGB, deflate, no filter, no interlace
    putChunk(png, "IHDR", header);
    putChunk(png, "IDAT", z);
    putChunk(png, "IEND", std::string());

    std::ofstream file(path, std::ios::binary);
    if (!file)
        return false;
    file.write(png.data(), static_cast<std::streamsize>(png.size()));
    return static_cast<bool>(file);
}

} // namespace zeltest
