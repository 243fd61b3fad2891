// The test driver's protocol in WebAssembly, for zolm-driver.js: the request
// line's bytes go in, the answer line's bytes come out.
#include <emscripten/emscripten.h>

#include <string>

#include "tests/driver/driver.h"

namespace {
std::string request;
std::string answer;
}  // namespace

extern "C" {

// Room for a request of `length` bytes (UTF-8, without its line end).
EMSCRIPTEN_KEEPALIVE char* zolm_driver_request(int length) {
  request.assign(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
  return request.data();
}

// Answers the request; the answer's length is zolm_driver_answer_length().
EMSCRIPTEN_KEEPALIVE const char* zolm_driver_answer() {
  answer = zolm::driver::Answer(request);
  return answer.c_str();
}

EMSCRIPTEN_KEEPALIVE int zolm_driver_answer_length() {
  return static_cast<int>(answer.size());
}

}  // extern "C"
