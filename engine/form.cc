#include "engine/form.h"

#include "engine/convert_commands.h"

namespace zolm::form {

std::optional<Field> FieldOf(const Control& control) {
  if (control.kind != Kind::kTextBox) return std::nullopt;
  for (const Field field : kAllFields) {
    if (std::string_view(FieldName(field)) == control.name) return field;
  }
  return std::nullopt;
}

Command CommandOf(const Control& control) {
  const std::string_view name = control.name;
  if (name == "ascc") return ascc;
  if (name == "dec") return dec;
  if (name == "hex") return hex;
  if (name == "cus") return cus;
  return nullptr;
}

}  // namespace zolm::form
