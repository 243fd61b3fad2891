// The differential checks' one run: the fast paths and the general rules
// alone are run alike, by the tests and by the fuzzer.
#ifndef ZOLM_TESTS_FAST_PATHS_RUN_H_
#define ZOLM_TESTS_FAST_PATHS_RUN_H_

#include <optional>

#include "engine/convert_commands.h"
#include "engine/internal/fast_paths.h"
#include "engine/value_rules.h"

namespace zolm::testing {

// Runs `operation` on `fields`, with the fast paths in use or with the
// general rules alone, and returns the run-time error it raised, if any.
template <typename Operation>
std::optional<RuntimeError> RunWithFastPaths(Operation operation, FieldModel& fields,
                                             bool fast_paths) {
  std::optional<fast::GeneralRulesOnly> general;
  if (!fast_paths) general.emplace();
  std::optional<RuntimeError> error;
  try {
    operation(fields);
  } catch (const RuntimeError& e) {
    error = e;
  }
  return error;
}

}  // namespace zolm::testing

#endif  // ZOLM_TESTS_FAST_PATHS_RUN_H_
