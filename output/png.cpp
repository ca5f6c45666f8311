// The PNG writer of png.h: chunks with their CRC-32, a zlib stream with its Adler-32, deflate's
// fixed codes (RFC 1951 3.2.6) written bit by bit. Start at png_paletted.
#include "png.h"

#include "text.h"

uint32_t png_crc32(const unsigned char *bytes, size_t size, uint32_t crc) {
  crc = ~crc;
  for (size_t k = 0; k < size; k++) {
    crc ^= bytes[k];
    for (int bit = 0; bit < 8; bit++) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

uint32_t png_adler32(const unsigned char *bytes, size_t size) {
  uint32_t a = 1, b = 0;
  for (size_t k = 0; k < size; k++) a = (a + bytes[k]) % 65521u, b = (b + a) % 65521u;
  return b << 16 | a;
}

namespace {

// Bits written from the least significant of each byte on, as deflate packs them.
struct Bits {
  std::string out;
  uint32_t held = 0;
  int count = 0;
  // The low `n` bits of v, least significant first (deflate's order for extra bits).
  void put(uint32_t v, int n) {
    for (int k = 0; k < n; k++) {
      held |= ((v >> k) & 1u) << count;
      if (++count == 8) out += char(held), held = 0, count = 0;
    }
  }
  // A Huffman code of n bits, most significant first.
  void code(uint32_t c, int n) {
    for (int k = n - 1; k >= 0; k--) put(c >> k, 1);
  }
  void flush() {
    if (count) out += char(held), held = 0, count = 0;
  }
};

// Literal or length symbol s in the fixed code.
void fixed_symbol(Bits *b, int s) {
  if (s < 144)
    b->code(0x30u + unsigned(s), 8);
  else if (s < 256)
    b->code(0x190u + unsigned(s - 144), 9);
  else if (s < 280)
    b->code(unsigned(s - 256), 7);
  else
    b->code(0xc0u + unsigned(s - 280), 8);
}

// A match of `length` bytes (3 to 258) at distance 1: its length symbol and extra bits, then
// distance code 0 (5 bits, no extra).
void fixed_run(Bits *b, int length) {
  static const int base[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                               31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
  static const int extra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
  int c = 28;
  while (base[c] > length) c--;
  fixed_symbol(b, 257 + c);
  b->put(unsigned(length - base[c]), extra[c]);
  b->code(0, 5);
}

// The bytes as one final fixed-code block: each byte a literal, and the rest of a run of one
// byte (after its first) as matches at distance 1.
std::string fixed_block(const std::vector<unsigned char> &bytes) {
  Bits b;
  b.put(1, 1), b.put(1, 2); // final, fixed codes
  for (size_t k = 0; k < bytes.size();) {
    fixed_symbol(&b, bytes[k]);
    size_t run = 0; // how many bytes after k repeat it, at most a match's 258
    while (k + 1 + run < bytes.size() && bytes[k + 1 + run] == bytes[k] && run < 258) run++;
    k++;
    if (run >= 3) fixed_run(&b, int(run)), k += run; // shorter runs go as literals
  }
  fixed_symbol(&b, 256);
  b.flush();
  return b.out;
}

// The bytes as stored blocks of at most 65535 bytes, the last marked final.
std::string stored_blocks(const std::vector<unsigned char> &bytes) {
  std::string out;
  size_t at = 0;
  do {
    const size_t size = std::min<size_t>(65535, bytes.size() - at);
    const bool last = at + size == bytes.size();
    out += char(last ? 1 : 0);
    out += char(size & 0xff), out += char(size >> 8);
    out += char(~size & 0xff), out += char((~size >> 8) & 0xff);
    out.append(reinterpret_cast<const char *>(bytes.data()) + at, size);
    at += size;
  } while (at < bytes.size());
  return out;
}

void put32(std::string *s, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) *s += char((v >> shift) & 0xff);
}

// A chunk: its length, type, data and the CRC of type and data.
std::string chunk(const char type[5], const std::string &data) {
  std::string s;
  put32(&s, uint32_t(data.size()));
  const std::string body = type + data;
  s += body;
  put32(&s, png_crc32(reinterpret_cast<const unsigned char *>(body.data()), body.size()));
  return s;
}

} // namespace

std::string zlib_stream(const std::vector<unsigned char> &bytes) {
  std::string fixed = fixed_block(bytes), stored = stored_blocks(bytes);
  std::string s = "\x78\x01"; // deflate, 32K window, no dictionary; 0x7801 is a multiple of 31
  s += fixed.size() < stored.size() ? fixed : stored;
  put32(&s, png_adler32(bytes.data(), bytes.size()));
  return s;
}

std::string png_paletted(int width, int height, const std::vector<unsigned char> &index,
                         const std::vector<uint32_t> &palette) {
  std::string head;
  put32(&head, uint32_t(width)), put32(&head, uint32_t(height));
  head += "\x08\x03"; // 8 bits a pixel, paletted
  head += std::string(3, '\0');
  std::string colours;
  for (uint32_t c : palette)
    colours += char((c >> 16) & 0xff), colours += char((c >> 8) & 0xff), colours += char(c & 0xff);
  // Each row after its filter byte, 0 (none).
  std::vector<unsigned char> rows;
  rows.reserve(size_t(height) * (size_t(width) + 1));
  for (int y = 0; y < height; y++) {
    rows.push_back(0);
    rows.insert(rows.end(), index.begin() + long(y) * width, index.begin() + long(y + 1) * width);
  }
  return std::string("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", head) + chunk("PLTE", colours) +
         chunk("IDAT", zlib_stream(rows)) + chunk("IEND", "");
}

std::string base64(const std::string &bytes) {
  static const char digit[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t k = 0; k < bytes.size(); k += 3) {
    uint32_t v = uint32_t(uint8_t(bytes[k])) << 16;
    if (k + 1 < bytes.size()) v |= uint32_t(uint8_t(bytes[k + 1])) << 8;
    if (k + 2 < bytes.size()) v |= uint32_t(uint8_t(bytes[k + 2]));
    out += digit[v >> 18], out += digit[(v >> 12) & 63];
    out += k + 1 < bytes.size() ? digit[(v >> 6) & 63] : '=';
    out += k + 2 < bytes.size() ? digit[v & 63] : '=';
  }
  return out;
}

std::string svg_image(double x, double y, double w, double h, const std::string &png,
                      const char *cls) {
  return fmt("<image class=\"%s\" x=\"%.1f\" y=\"%.1f\" width=\"%.2f\" height=\"%.2f\" "
             "preserveAspectRatio=\"none\" image-rendering=\"optimizeSpeed\" "
             "style=\"image-rendering:pixelated\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
             "xlink:href=\"data:image/png;base64,",
             cls, x, y, w, h) +
         base64(png) + "\"/>";
}
