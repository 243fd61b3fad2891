#include "tests/driver/json.h"

#include <cstdio>

#include "engine/utf8.h"

namespace zolm::json {

const Value* Value::Find(std::string_view key) const {
  for (const auto& [name, value] : object) {
    if (name == key) return &value;
  }
  return nullptr;
}

namespace {

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  std::optional<Value> Document(std::string& why) {
    Value value;
    if (!ParseValue(value, 0) || (SkipSpace(), pos_ != text_.size())) {
      why = error_.empty() ? "trailing characters after the JSON value" : error_;
      return std::nullopt;
    }
    return value;
  }

 private:
  bool Fail(const char* why) {
    if (error_.empty()) error_ = why;
    return false;
  }

  void SkipSpace() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' ||
                                   text_[pos_] == '\r' || text_[pos_] == '\n')) {
      ++pos_;
    }
  }

  bool Literal(std::string_view word) {
    if (text_.substr(pos_, word.size()) != word) return Fail("invalid literal");
    pos_ += word.size();
    return true;
  }

  bool ParseValue(Value& out, int depth) {
    if (depth > 64) return Fail("nested too deeply");
    SkipSpace();
    if (pos_ >= text_.size()) return Fail("unexpected end of line");
    const char c = text_[pos_];
    if (c == '{') return ParseObject(out, depth);
    if (c == '[') return ParseArray(out, depth);
    if (c == '"') {
      out.kind = Value::Kind::kString;
      return ParseString(out.string);
    }
    if (c == 't') return out.kind = Value::Kind::kBool, out.boolean = true, Literal("true");
    if (c == 'f') return out.kind = Value::Kind::kBool, Literal("false");
    if (c == 'n') return Literal("null");
    return ParseNumber(out);
  }

  bool ParseNumber(Value& out) {
    const std::size_t start = pos_;
    auto digits = [&] {
      const std::size_t from = pos_;
      while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') ++pos_;
      return pos_ > from;
    };
    if (pos_ < text_.size() && text_[pos_] == '-') ++pos_;
    if (!digits()) return Fail("invalid value");
    if (pos_ < text_.size() && text_[pos_] == '.') {
      ++pos_;
      if (!digits()) return Fail("invalid number");
    }
    if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
      ++pos_;
      if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-')) ++pos_;
      if (!digits()) return Fail("invalid number");
    }
    out.kind = Value::Kind::kNumber;
    out.number = std::string(text_.substr(start, pos_ - start));
    return true;
  }

  bool Hex4(char16_t& unit) {
    if (pos_ + 4 > text_.size()) return Fail("short \\u escape");
    unit = 0;
    for (int i = 0; i < 4; ++i) {
      const char h = text_[pos_++];
      int v = 0;
      if (h >= '0' && h <= '9') {
        v = h - '0';
      } else if (h >= 'a' && h <= 'f') {
        v = h - 'a' + 10;
      } else if (h >= 'A' && h <= 'F') {
        v = h - 'A' + 10;
      } else {
        return Fail("bad \\u escape");
      }
      unit = static_cast<char16_t>(unit * 16 + v);
    }
    return true;
  }

  // One UTF-8 encoded character, appended as one or two code units.
  bool Utf8(std::u16string& out) {
    const std::size_t length = utf8::DecodeOne(text_.substr(pos_), out);
    if (length == 0) return Fail("invalid UTF-8");
    pos_ += length;
    return true;
  }

  bool ParseString(std::u16string& out) {
    ++pos_;  // opening quote
    while (pos_ < text_.size()) {
      const unsigned char c = static_cast<unsigned char>(text_[pos_]);
      if (c == '"') {
        ++pos_;
        return true;
      }
      if (c < 0x20) return Fail("control character in string");
      if (c == '\\') {
        if (++pos_ >= text_.size()) break;
        const char e = text_[pos_++];
        char16_t unit = 0;
        switch (e) {
          case '"':
            unit = u'"';
            break;
          case '\\':
            unit = u'\\';
            break;
          case '/':
            unit = u'/';
            break;
          case 'b':
            unit = u'\b';
            break;
          case 'f':
            unit = u'\f';
            break;
          case 'n':
            unit = u'\n';
            break;
          case 'r':
            unit = u'\r';
            break;
          case 't':
            unit = u'\t';
            break;
          case 'u':
            if (!Hex4(unit)) return false;
            break;
          default:
            return Fail("bad escape");
        }
        out.push_back(unit);
      } else if (c < 0x80) {
        out.push_back(c);
        ++pos_;
      } else if (!Utf8(out)) {
        return false;
      }
    }
    return Fail("unterminated string");
  }

  bool ParseArray(Value& out, int depth) {
    out.kind = Value::Kind::kArray;
    ++pos_;
    SkipSpace();
    if (pos_ < text_.size() && text_[pos_] == ']') return ++pos_, true;
    for (;;) {
      Value item;
      if (!ParseValue(item, depth + 1)) return false;
      out.array.push_back(std::move(item));
      SkipSpace();
      if (pos_ >= text_.size()) return Fail("unterminated array");
      if (text_[pos_] == ']') return ++pos_, true;
      if (text_[pos_++] != ',') return Fail("expected , or ] in array");
    }
  }

  bool ParseObject(Value& out, int depth) {
    out.kind = Value::Kind::kObject;
    ++pos_;
    SkipSpace();
    if (pos_ < text_.size() && text_[pos_] == '}') return ++pos_, true;
    for (;;) {
      SkipSpace();
      if (pos_ >= text_.size() || text_[pos_] != '"') return Fail("expected a member name");
      std::u16string key;
      if (!ParseString(key)) return false;
      SkipSpace();
      if (pos_ >= text_.size() || text_[pos_++] != ':') return Fail("expected : after a name");
      Value member;
      if (!ParseValue(member, depth + 1)) return false;
      std::string name;
      for (const char16_t u : key) name.push_back(u < 0x80 ? static_cast<char>(u) : '?');
      if (out.Find(name) != nullptr) return Fail("duplicate member name");
      out.object.emplace_back(std::move(name), std::move(member));
      SkipSpace();
      if (pos_ >= text_.size()) return Fail("unterminated object");
      if (text_[pos_] == '}') return ++pos_, true;
      if (text_[pos_++] != ',') return Fail("expected , or } in object");
    }
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  std::string error_;
};

}  // namespace

std::optional<Value> Parse(std::string_view text, std::string& why) {
  return Parser(text).Document(why);
}

std::string Quote(std::u16string_view text) {
  std::string out = "\"";
  for (const char16_t u : text) {
    if (u == u'"') {
      out += "\\\"";
    } else if (u == u'\\') {
      out += "\\\\";
    } else if (u >= 0x20 && u <= 0x7E) {
      out.push_back(static_cast<char>(u));
    } else {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\u%04x", static_cast<unsigned>(u));
      out += buffer;
    }
  }
  out.push_back('"');
  return out;
}

std::string Quote(std::string_view ascii) {
  std::u16string wide(ascii.begin(), ascii.end());
  return Quote(std::u16string_view(wide));
}

}  // namespace zolm::json
