// Differential fuzzing of the fast paths: every transform and command run
// with the fast paths and with the general rules alone must leave the same
// texts and raise the same error number at the same place.
#include <optional>

#include "engine/convert_commands.h"
#include "fuzz/fuzz_input.h"
#include "tests/fast_paths_run.h"

using namespace zolm;
using zolm::fuzz::Check;

namespace {

using Operation = void (*)(FieldSet&);
constexpr Operation kOperations[] = {a2d, d2a, d2h, d2c, c2d, h2d, ascc, dec, hex, cus};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input input(data, size);
  const Operation operation = kOperations[input.Byte() % std::size(kOperations)];
  FieldModel fast_fields;
  for (const Field f : kAllFields) {
    if (input.Byte() & 1) fast_fields.WriteText(f, input.Field(33000));
  }
  FieldModel general_fields = fast_fields;
  const auto fast_error = testing::RunWithFastPaths(operation, fast_fields, true);
  const auto general_error = testing::RunWithFastPaths(operation, general_fields, false);
  for (const Field f : kAllFields) {
    Check(fuzz::Same(fast_fields.text(f), general_fields.text(f)), "the same texts");
  }
  Check(fast_error.has_value() == general_error.has_value(), "both fail or neither");
  if (!fast_error) return 0;
  Check(fast_error->number() == general_error->number(), "the same error number");
  Check(fast_error->place().has_value() && general_error->place().has_value(), "both placed");
  const ErrorPlace& a = *fast_error->place();
  const ErrorPlace& b = *general_error->place();
  Check(a == b, "the same error place");
  return 0;
}
