// zolm-driver: a test tool that runs the engine and the commands on requests
// given as JSON Lines on standard input, one answer line per request on
// standard output, flushed per line.
#include <cstdio>
#include <iostream>
#include <string>

#include "tests/driver/driver.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

int main() {
#ifdef _WIN32
  // Lines end in LF on every platform.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  std::ios::sync_with_stdio(false);
  std::string line;
  while (std::getline(std::cin, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::cout << zolm::driver::Answer(line) << '\n' << std::flush;
  }
  return 0;
}
