// The request protocol of zolm-driver, as a function so tests can call it.
#ifndef ZOLM_TESTS_DRIVER_DRIVER_H_
#define ZOLM_TESTS_DRIVER_DRIVER_H_

#include <string>
#include <string_view>

namespace zolm::driver {

// The answer line (without newline) to one request line.
std::string Answer(std::string_view request);

}  // namespace zolm::driver

#endif  // ZOLM_TESTS_DRIVER_DRIVER_H_
