#include "tests/test_support.h"

#include <cstdio>

namespace zolm::testing {

std::string Show(TextView s) {
  std::string out;
  for (const char16_t c : s) {
    if (c >= 0x20 && c <= 0x7E) {
      out.push_back(static_cast<char>(c));
    } else {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\u%04X", static_cast<unsigned>(c));
      out += buffer;
    }
  }
  return out;
}

}  // namespace zolm::testing
