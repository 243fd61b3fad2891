// Helpers shared by the engine and command tests.
#ifndef ZOLM_TESTS_TEST_SUPPORT_H_
#define ZOLM_TESTS_TEST_SUPPORT_H_

#include <string>

#include "engine/value_rules.h"

namespace zolm::testing {

// The run-time error number `f` raises, or 0 when it completes.
template <class F>
int ErrorOf(F&& f) {
  try {
    f();
  } catch (const RuntimeError& error) {
    return error.number();
  }
  return 0;
}

// `s` for messages: printable ASCII as is, anything else as \uXXXX.
std::string Show(TextView s);

// `count` copies of `unit`.
inline Text Repeat(TextView unit, int count) {
  Text out;
  for (int i = 0; i < count; ++i) out.append(unit);
  return out;
}

}  // namespace zolm::testing

#endif  // ZOLM_TESTS_TEST_SUPPORT_H_
