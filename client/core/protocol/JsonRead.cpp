#include "client/core/protocol/JsonRead.h"

#include <cmath>
#include <limits>

namespace JsonRead {

namespace {

const Json::Value& NullValue() {
  static const Json::Value null;
  return null;
}

[[noreturn]] void WrongKind(const char* wanted) { throw JsonReadError(std::string("member is not ") + wanted); }

}  // namespace

const Json::Value& Member(const Json::Value& object, const char* key) {
  if (object.isNull()) return NullValue();
  if (!object.isObject()) WrongKind("an object");
  const Json::Value* member = object.find(key, key + std::char_traits<char>::length(key));
  return member ? *member : NullValue();
}

int64_t AsInt64(const Json::Value& value) {
  switch (value.type()) {
    case Json::nullValue:
      return 0;
    case Json::intValue:
      return value.asInt64();
    case Json::uintValue:
      // Above the signed range the low 64 bits, as for the narrower fields.
      return static_cast<int64_t>(value.asUInt64());
    case Json::realValue: {
      const double d = value.asDouble();
      if (!std::isfinite(d) || d < -9223372036854775808.0 || d >= 9223372036854775808.0) WrongKind("a 64-bit integer");
      return static_cast<int64_t>(d);
    }
    case Json::booleanValue:
      return value.asBool() ? 1 : 0;
    default:
      WrongKind("a number");
  }
}

int AsInt(const Json::Value& value) {
  // The low 32 bits of whatever integer the member holds.
  return static_cast<int>(static_cast<uint32_t>(static_cast<uint64_t>(AsInt64(value))));
}

std::string AsString(const Json::Value& value) {
  switch (value.type()) {
    case Json::nullValue:
      return std::string();
    case Json::stringValue:
      return value.asString();
    case Json::booleanValue:
      return value.asBool() ? "true" : "false";
    default:
      WrongKind("a text");
  }
}

bool AsBool(const Json::Value& value) {
  switch (value.type()) {
    case Json::nullValue:
      return false;
    case Json::booleanValue:
      return value.asBool();
    case Json::intValue:
      return value.asInt64() != 0;
    case Json::uintValue:
      return value.asUInt64() != 0;
    case Json::realValue:
      return value.asDouble() != 0.0;
    case Json::stringValue:
      return !value.asString().empty();
    case Json::arrayValue:
    case Json::objectValue:
      return value.size() != 0;
  }
  return false;
}

const Json::Value& Array(const Json::Value& object, const char* key) {
  static const Json::Value empty(Json::arrayValue);
  const Json::Value& member = Member(object, key);
  if (member.isNull()) return empty;
  if (!member.isArray()) WrongKind("an array");
  return member;
}

}  // namespace JsonRead
