// Text for people. Start at shortest (text/number.cpp's put_shortest); quoted and the XML escaping
// of pictures read UTF-8 through utf8_char.
#include "text.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "number.h"

std::string fmt(const char *format, ...) {
  va_list ap, again;
  va_start(ap, format);
  va_copy(again, ap);
  std::string out(size_t(vsnprintf(nullptr, 0, format, ap)) + 1, '\0');
  vsnprintf(out.data(), out.size(), format, again);
  va_end(again);
  va_end(ap);
  out.pop_back();
  return out;
}

std::string shortest(double value) {
  char text[400]; // the plain form of a double's shortest text is at most 330 bytes
  Text t = text_in(text, sizeof text);
  put_shortest(&t, value);
  return std::string(text, t.size);
}

size_t utf8_char(const std::string &text, size_t at, uint32_t *code) {
  const unsigned char c = (unsigned char)text[at];
  if (c < 0x80) return *code = c, 1;
  // The lead byte gives the length and the smallest code point that needs it.
  size_t length;
  uint32_t least;
  if (c >= 0xc2 && c <= 0xdf)
    length = 2, least = 0x80, *code = c & 0x1fu;
  else if (c >= 0xe0 && c <= 0xef)
    length = 3, least = 0x800, *code = c & 0x0fu;
  else if (c >= 0xf0 && c <= 0xf4)
    length = 4, least = 0x10000, *code = c & 0x07u;
  else
    return 0;
  if (at + length > text.size()) return 0;
  for (size_t k = 1; k < length; k++) {
    const unsigned char more = (unsigned char)text[at + k];
    if ((more & 0xc0) != 0x80) return 0;
    *code = *code << 6 | (more & 0x3fu);
  }
  if (*code < least || *code > 0x10ffff || (*code >= 0xd800 && *code <= 0xdfff)) return 0;
  return length;
}

bool is_control(uint32_t code) {
  return code < 0x20 || (code >= 0x7f && code <= 0x9f) || (code >= 0x202a && code <= 0x202e) ||
         (code >= 0x2066 && code <= 0x2069);
}

std::string quoted(const std::string &text) {
  return "'" + escaped(text) + "'";
}

std::string escaped(const std::string &text) {
  std::string q;
  for (size_t at = 0; at < text.size();) {
    uint32_t code;
    const size_t length = utf8_char(text, at, &code);
    char escape[16];
    if (length == 0) {
      snprintf(escape, sizeof escape, "\\x%02x", (unsigned char)text[at]);
      q += escape, at++;
      continue;
    }
    if (code == '\'' || code == '\\')
      q += '\\', q += char(code);
    else if (code == '\n')
      q += "\\n";
    else if (code == '\t')
      q += "\\t";
    else if (is_control(code) && code < 0x80)
      snprintf(escape, sizeof escape, "\\x%02x", code), q += escape;
    else if (is_control(code))
      snprintf(escape, sizeof escape, "\\u%04x", code), q += escape;
    else
      q.append(text, at, length);
    at += length;
  }
  return q;
}

std::string csv_field(const std::string &text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string q = "\"";
  for (char c : text) q += c == '"' ? std::string("\"\"") : std::string(1, c);
  return q + "\"";
}
