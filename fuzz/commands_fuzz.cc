// Fuzzes the Convert commands and the transforms with any five field texts.
#include <array>
#include <cstring>

#include "engine/convert_commands.h"
#include "engine/field_transforms.h"
#include "fuzz/fuzz_input.h"

using namespace zolm;
using zolm::fuzz::Check;
using zolm::fuzz::Outcome;

namespace {

using Operation = void (*)(FieldSet&);

struct Transform {
  Operation run;
  Field target;
};
constexpr Transform kTransforms[] = {{a2d, Field::tDec}, {d2a, Field::tAsc}, {d2h, Field::tHex},
                                     {d2c, Field::tCus}, {c2d, Field::tDec}, {h2d, Field::tDec}};

struct Chain {
  Operation run;
  Field own;
  std::array<Operation, 3> steps;
};
constexpr Chain kChains[] = {{ascc, Field::tAsc, {a2d, d2h, d2c}},
                             {dec, Field::tDec, {d2a, d2h, d2c}},
                             {hex, Field::tHex, {h2d, d2c, d2a}},
                             {cus, Field::tCus, {c2d, d2a, d2h}}};

constexpr std::size_t kLongest = 33000;  // a little past 32768

bool SameFields(const FieldModel& a, const FieldModel& b) {
  for (const Field f : kAllFields) {
    if (!fuzz::Same(a.text(f), b.text(f))) return false;
  }
  return true;
}

bool IsCodePageText(TextView text) {
  for (const char16_t c : text) {
    if (Chr(Asc(TextView(&c, 1)).value()) != c) return false;
  }
  return true;
}

// Every error from a walk names where it struck; a code's text is found in
// its field where the place says.
void CheckPlace(const RuntimeError& error, const FieldModel& after) {
  Check(error.place().has_value(), "every error names its place");
  const ErrorPlace& place = *error.place();
  if (place.kind == ErrorPlace::Kind::kCode) {
    const Text& text = after.text(place.field);
    Check(place.code_index >= 1, "codes count from 1");
    const auto start = static_cast<std::size_t>(place.code_start);
    Check(start + place.code.size() <= text.size() &&
              fuzz::Same(TextView(text).substr(start, place.code.size()), place.code),
          "the failing code stands in its field");
  }
}

int RunChecked(Operation operation, FieldModel& model) {
  try {
    operation(model);
  } catch (const RuntimeError& error) {
    Check(fuzz::IsRuntimeErrorNumber(error.number()), "error number is 5, 6, 11 or 13");
    CheckPlace(error, model);
    return error.number();
  }
  return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input input(data, size);
  const std::uint8_t selector = input.Byte() % 10;
  FieldModel model;
  for (const Field f : kAllFields) {
    if (input.Byte() & 1) model.WriteText(f, input.Field(kLongest));
  }
  const FieldModel before = model;

  if (selector < 6) {
    const Transform& transform = kTransforms[selector];
    const int error = RunChecked(transform.run, model);
    for (const Field f : kAllFields) {
      if (error != 0 || f != transform.target) {
        Check(fuzz::Same(model.text(f), before.text(f)),
              "a transform writes only its target, on success");
      }
    }
    return 0;
  }

  const Chain& chain = kChains[selector - 6];
  const int error = RunChecked(chain.run, model);
  Check(fuzz::Same(model.text(Field::tBase), before.text(Field::tBase)), "tBase never changes");
  Check(fuzz::Same(model.text(chain.own), Trim(before.text(chain.own))),
        "the own field is trimmed");

  // The command equals its trim and its steps run one by one up to the first
  // failure: fields its chain had not yet written keep their texts.
  FieldModel stepwise = before;
  stepwise.WriteText(chain.own, Text(Trim(before.text(chain.own))));
  int step_error = 0;
  for (const Operation step : chain.steps) {
    step_error = Outcome([&] { step(stepwise); });
    if (step_error != 0) break;
  }
  Check(step_error == error, "the command fails where its steps fail");
  Check(SameFields(stepwise, model), "the command writes what its steps write");

  if (error == 0 && chain.own == Field::tAsc && IsCodePageText(model.text(Field::tAsc))) {
    FieldModel back = model;
    back.WriteText(Field::tAsc, u"");
    Check(Outcome([&] { dec(back); }) == 0, "dec converts what ascc wrote");
    Check(fuzz::Same(back.text(Field::tAsc), model.text(Field::tAsc)),
          "ascc then dec gives the text back");
  }
  return 0;
}
