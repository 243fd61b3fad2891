#include "tests/driver/driver.h"

#include <charconv>
#include <functional>
#include <map>
#include <optional>

#include "engine/base_arithmetic.h"
#include "engine/convert_commands.h"
#include "engine/field_transforms.h"
#include "tests/driver/json.h"

namespace zolm::driver {

namespace {

using json::Value;

struct BadRequest {
  std::string why;
};

const std::u16string& StringMember(const Value& request, const char* name) {
  const Value* member = request.Find(name);
  if (member == nullptr) throw BadRequest{std::string("missing member \"") + name + "\""};
  if (member->kind != Value::Kind::kString) {
    throw BadRequest{std::string("member \"") + name + "\" must be a string"};
  }
  return member->string;
}

Integer BaseMember(const Value& request) {
  const Value* member = request.Find("cBase");
  if (member == nullptr) throw BadRequest{"missing member \"cBase\""};
  if (member->kind != Value::Kind::kNumber) throw BadRequest{"\"cBase\" must be a number"};
  const std::string& literal = member->number;
  long long base = 0;
  const auto result = std::from_chars(literal.data(), literal.data() + literal.size(), base);
  if (result.ec != std::errc() || result.ptr != literal.data() + literal.size() || base < -32768 ||
      base > 32767) {
    throw BadRequest{"\"cBase\" must be a whole number from -32768 to 32767"};
  }
  return Integer(static_cast<std::int16_t>(base));
}

std::string NumericAnswer(const NumericValue& value) {
  return "{\"value\":" + std::to_string(value.value()) + ",\"type\":\"" +
         (value.is_long() ? "Long" : "Integer") + "\"}";
}

std::string ErrorAnswer(int number) {
  return "{\"error\":" + std::to_string(number) + "}";
}

std::optional<Field> FieldNamed(std::string_view name) {
  for (const Field field : kAllFields) {
    if (name == FieldName(field)) return field;
  }
  return std::nullopt;
}

FieldModel FieldsOf(const Value& request) {
  FieldModel model;
  const Value* fields = request.Find("fields");
  if (fields == nullptr) return model;
  if (fields->kind != Value::Kind::kObject) throw BadRequest{"\"fields\" must be an object"};
  for (const auto& [name, value] : fields->object) {
    const auto field = FieldNamed(name);
    if (!field) throw BadRequest{"unknown field \"" + name + "\""};
    if (value.kind != Value::Kind::kString)
      throw BadRequest{"field \"" + name + "\" must be a string"};
    model.WriteText(*field, value.string);
  }
  return model;
}

std::string FieldsJson(const FieldModel& model) {
  std::string out = "{";
  for (const Field field : kAllFields) {
    if (out.size() > 1) out += ",";
    out += json::Quote(std::string_view(FieldName(field))) + ":" + json::Quote(model.text(field));
  }
  return out + "}";
}

const std::map<std::string, std::function<void(FieldSet&)>, std::less<>>& FieldOperations() {
  static const std::map<std::string, std::function<void(FieldSet&)>, std::less<>> operations = {
      {"a2d", a2d}, {"d2a", d2a},   {"d2h", d2h}, {"d2c", d2c}, {"c2d", c2d},
      {"h2d", h2d}, {"ascc", ascc}, {"dec", dec}, {"hex", hex}, {"cus", cus}};
  return operations;
}

std::string Run(const Value& request) {
  if (request.kind != Value::Kind::kObject) throw BadRequest{"a request must be a JSON object"};
  const std::u16string& op16 = StringMember(request, "op");
  const std::string op(op16.begin(), op16.end());

  try {
    if (op == "Hex2Dec") {
      const std::u16string& inS = StringMember(request, "inS");
      return NumericAnswer(Hex2Dec(inS));
    }
    if (op == "Cust2Dec") {
      const std::u16string& inS = StringMember(request, "inS");
      const Integer base = BaseMember(request);
      return NumericAnswer(Cust2Dec(inS, base));
    }
    if (op == "Dec2Cus") {
      const std::u16string& inS = StringMember(request, "inS");
      const Integer base = BaseMember(request);
      return "{\"text\":" + json::Quote(Dec2Cus(inS, base)) + "}";
    }
  } catch (const RuntimeError& error) {
    return ErrorAnswer(error.number());
  }

  if (op == "focus") {
    const std::u16string& name16 = StringMember(request, "field");
    const auto field = FieldNamed(std::string(name16.begin(), name16.end()));
    if (!field) throw BadRequest{"unknown field in \"field\""};
    FieldModel model = FieldsOf(request);
    FocusRule(model, *field);
    return "{\"fields\":" + FieldsJson(model) +
           ",\"error\":0,\"selStart\":" + std::to_string(model.sel_start(*field)) +
           ",\"selLength\":" + std::to_string(model.sel_length(*field)) + "}";
  }

  const auto& operations = FieldOperations();
  const auto found = operations.find(op);
  if (found == operations.end()) throw BadRequest{"unknown op"};
  FieldModel model = FieldsOf(request);
  int number = 0;
  try {
    found->second(model);
  } catch (const RuntimeError& error) {
    number = error.number();
  }
  return "{\"fields\":" + FieldsJson(model) + ",\"error\":" + std::to_string(number) + "}";
}

}  // namespace

std::string Answer(std::string_view request) {
  std::string why;
  const auto parsed = json::Parse(request, why);
  try {
    if (!parsed) throw BadRequest{why};
    return Run(*parsed);
  } catch (const BadRequest& bad) {
    return "{\"bad_request\":" + json::Quote(std::string_view(bad.why)) + "}";
  }
}

}  // namespace zolm::driver
