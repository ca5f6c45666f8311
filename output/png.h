// A picture's image as a PNG written here, with no library: 8-bit paletted pixels in a zlib
// stream of deflate blocks (fixed codes with runs of one colour, or stored when that is no
// larger), CRC-32 and Adler-32 computed here, and the base64 text an SVG <image> takes. The
// tools draw a grid of many cells this way (svg_image) rather than as a rect a cell. Start at
// png_paletted.
#ifndef NUV_OUTPUT_PNG_H
#define NUV_OUTPUT_PNG_H

#include <cstdint>
#include <string>
#include <vector>

// The CRC-32 of PNG's chunks (ISO 3309, reflected 0xedb88320), starting from crc (0 at first).
uint32_t png_crc32(const unsigned char *bytes, size_t size, uint32_t crc = 0);

// The Adler-32 checksum that ends a zlib stream.
uint32_t png_adler32(const unsigned char *bytes, size_t size);

// A zlib stream of the bytes: fixed-code deflate blocks with runs of a repeated byte as matches
// at distance 1, or stored blocks when those would be larger.
std::string zlib_stream(const std::vector<unsigned char> &bytes);

// A PNG of width x height pixels, row by row from the top, each an index into palette (at most
// 256 colours as 0xRRGGBB); every index is below palette.size().
std::string png_paletted(int width, int height, const std::vector<unsigned char> &index,
                         const std::vector<uint32_t> &palette);

// The bytes in base64 (RFC 4648, with padding).
std::string base64(const std::string &bytes);

// An SVG <image> of a PNG at (x, y), w x h px, its pixels drawn as sharp squares.
std::string svg_image(double x, double y, double w, double h, const std::string &png,
                      const char *cls);

#endif
