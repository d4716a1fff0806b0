#include "assetgen/ImageWriter.h"

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

namespace assetgen {

namespace {

void put16(std::vector<uint8_t>& out, unsigned v) {
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}

void put32(std::vector<uint8_t>& out, unsigned v) {
    put16(out, v & 0xFFFF);
    put16(out, (v >> 16) & 0xFFFF);
}

// libjpeg reports fatal errors through error_exit, which must not return;
// jump back into encodeJpeg instead of letting the library call exit().
struct JpegErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void jpegErrorExit(j_common_ptr cinfo) {
    char message[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, message);
    std::fprintf(stderr, "assetgen: JPEG encoder error: %s\n", message);
    std::longjmp(reinterpret_cast<JpegErrorManager*>(cinfo->err)->jump, 1);
}

} // namespace

std::vector<uint8_t> ImageWriter::encodeTga(const Raster& raster, bool topLeftOrigin) {
    const int w = raster.width(), h = raster.height(), ch = raster.channels();
    std::vector<uint8_t> out;
    out.reserve(18 + static_cast<size_t>(w) * h * ch);
    out.push_back(0);  // no image id
    out.push_back(0);  // no colour map
    out.push_back(2);  // uncompressed true colour
    for (int i = 0; i < 5; ++i) out.push_back(0);  // colour map fields (unused)
    put16(out, 0);     // x origin
    put16(out, 0);     // y origin
    put16(out, static_cast<unsigned>(w));
    put16(out, static_cast<unsigned>(h));
    out.push_back(static_cast<uint8_t>(ch * 8));
    uint8_t descriptor = ch == 4 ? 8 : 0;  // alpha bits per pixel
    if (topLeftOrigin) descriptor |= 0x20;
    out.push_back(descriptor);
    for (int row = 0; row < h; ++row) {
        const int y = topLeftOrigin ? row : h - 1 - row;
        for (int x = 0; x < w; ++x) {
            out.push_back(raster.byteAt(x, y, 2));
            out.push_back(raster.byteAt(x, y, 1));
            out.push_back(raster.byteAt(x, y, 0));
            if (ch == 4) out.push_back(raster.byteAt(x, y, 3));
        }
    }
    return out;
}

std::vector<uint8_t> ImageWriter::encodeBmp(const Raster& raster) {
    const int w = raster.width(), h = raster.height();
    const unsigned rowBytes = (static_cast<unsigned>(w) * 3 + 3) & ~3u;
    const unsigned imageBytes = rowBytes * static_cast<unsigned>(h);
    std::vector<uint8_t> out;
    out.reserve(54 + imageBytes);
    out.push_back('B');
    out.push_back('M');
    put32(out, 54 + imageBytes);  // file size
    put32(out, 0);                // reserved
    put32(out, 54);               // offset of the pixel data
    put32(out, 40);               // BITMAPINFOHEADER size
    put32(out, static_cast<unsigned>(w));
    put32(out, static_cast<unsigned>(h));  // positive height: rows bottom first
    put16(out, 1);                // planes
    put16(out, 24);               // bits per pixel
    put32(out, 0);                // BI_RGB
    put32(out, imageBytes);
    put32(out, 2835);             // 72 dpi
    put32(out, 2835);
    put32(out, 0);                // palette size
    put32(out, 0);                // important colours
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            out.push_back(raster.byteAt(x, y, 2));
            out.push_back(raster.byteAt(x, y, 1));
            out.push_back(raster.byteAt(x, y, 0));
        }
        for (unsigned pad = static_cast<unsigned>(w) * 3; pad < rowBytes; ++pad) out.push_back(0);
    }
    return out;
}

std::vector<uint8_t> ImageWriter::encodeJpeg(const Raster& raster, int quality) {
    const int w = raster.width(), h = raster.height();
    if (w <= 0 || h <= 0) return {};

    // Everything touched after setjmp lives outside the protected region or is
    // volatile-free plain data, so a longjmp leaves nothing half-built behind.
    jpeg_compress_struct cinfo;
    JpegErrorManager error;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    std::vector<uint8_t> row(static_cast<size_t>(w) * 3);

    cinfo.err = jpeg_std_error(&error.base);
    error.base.error_exit = jpegErrorExit;
    if (setjmp(error.jump)) {
        jpeg_destroy_compress(&cinfo);
        std::free(buffer);
        return {};
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(w);
    cinfo.image_height = static_cast<JDIMENSION>(h);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        const int y = static_cast<int>(cinfo.next_scanline);
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c) row[static_cast<size_t>(x) * 3 + c] = raster.byteAt(x, y, c);
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::vector<uint8_t> out(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return out;
}

bool ImageWriter::writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, "assetgen: cannot open %s for writing: %s\n", path.c_str(),
                     std::strerror(errno));
        return false;
    }
    const size_t written = bytes.empty() ? 0 : std::fwrite(bytes.data(), 1, bytes.size(), file);
    const bool closed = std::fclose(file) == 0;
    if (written != bytes.size() || !closed) {
        std::fprintf(stderr, "assetgen: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

bool ImageWriter::writeTga(const std::string& path, const Raster& raster, bool topLeftOrigin) {
    return writeFile(path, encodeTga(raster, topLeftOrigin));
}

bool ImageWriter::writeBmp(const std::string& path, const Raster& raster) {
    return writeFile(path, encodeBmp(raster));
}

bool ImageWriter::writeJpeg(const std::string& path, const Raster& raster, int quality) {
    std::vector<uint8_t> bytes = encodeJpeg(raster, quality);
    if (bytes.empty()) {
        std::fprintf(stderr, "assetgen: cannot encode %s\n", path.c_str());
        return false;
    }
    return writeFile(path, bytes);
}

} // namespace assetgen
