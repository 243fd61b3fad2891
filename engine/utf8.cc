#include "engine/utf8.h"

namespace zolm::utf8 {

std::size_t DecodeOne(std::string_view bytes, Text& out) {
  const auto* const data = reinterpret_cast<const unsigned char*>(bytes.data());
  const unsigned char lead = data[0];
  if (lead < 0x80) {
    out.push_back(lead);
    return 1;
  }
  // Length, the least value of that length, and the value of the lead.
  std::size_t length;
  char32_t least;
  char32_t value;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, least = 0x80, value = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, least = 0x800, value = lead & 0x0Fu;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, least = 0x10000, value = lead & 0x07u;
  } else {
    return 0;
  }
  if (bytes.size() < length) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    const unsigned char next = data[k];
    if ((next & 0xC0) != 0x80) return 0;
    value = (value << 6) | (next & 0x3Fu);
  }
  if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  if (value >= 0x10000) {
    value -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (value >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (value & 0x3FF)));
  } else {
    out.push_back(static_cast<char16_t>(value));
  }
  return length;
}

std::size_t Decode(std::string_view bytes, Text& out) {
  const std::size_t size = bytes.size();
  std::size_t i = 0;
  while (i < size) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    if (lead < 0x80) {
      out.push_back(lead);
      ++i;
      continue;
    }
    const std::size_t length = DecodeOne(bytes.substr(i), out);
    if (length == 0) return i;
    i += length;
  }
  return npos;
}

void Encode(TextView text, std::string& out) {
  // Every unit takes at most three bytes (a pair of two takes four).
  const std::size_t start = out.size();
  out.resize(start + 3 * text.size());
  char* p = out.data() + start;
  const std::size_t size = text.size();
  for (std::size_t i = 0; i < size; ++i) {
    char32_t c = text[i];
    if (c < 0x80) {
      *p++ = static_cast<char>(c);
      continue;
    }
    if (c >= 0xD800 && c <= 0xDFFF) {
      const bool paired =
          c <= 0xDBFF && i + 1 < size && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
      if (paired) {
        c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
      } else {
        c = 0xFFFD;
      }
    }
    if (c < 0x800) {
      *p++ = static_cast<char>(0xC0 | (c >> 6));
    } else if (c < 0x10000) {
      *p++ = static_cast<char>(0xE0 | (c >> 12));
      *p++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    } else {
      *p++ = static_cast<char>(0xF0 | (c >> 18));
      *p++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      *p++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    }
    *p++ = static_cast<char>(0x80 | (c & 0x3F));
  }
  out.resize(static_cast<std::size_t>(p - out.data()));
}

}  // namespace zolm::utf8
