#pragma once
// Reading members of a parsed reply by the protocol's rules, which are not
// JsonCpp's own: a missing member reads as 0, false or the empty text; an int
// field keeps the low 32 bits of a larger integer; a boolean read into a number
// gives 0 or 1 and into a text "true" or "false"; a flag never fails (true for a
// non-zero number, a non-empty text, array or object). A member of the wrong
// kind (a text where a number is wanted, a number where a text is wanted, an
// object or array where a scalar is wanted) throws JsonReadError, which every
// record reader turns into a failed reading.
#include <json/value.h>

#include <cstdint>
#include <stdexcept>
#include <string>

class JsonReadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

namespace JsonRead {

// The member key of an object; null for a missing member or a null value.
// Any other kind of value cannot have members: JsonReadError.
const Json::Value& Member(const Json::Value& object, const char* key);

int64_t AsInt64(const Json::Value& value);
int AsInt(const Json::Value& value);
std::string AsString(const Json::Value& value);
bool AsBool(const Json::Value& value);

inline int64_t Int64(const Json::Value& object, const char* key) { return AsInt64(Member(object, key)); }
inline int Int(const Json::Value& object, const char* key) { return AsInt(Member(object, key)); }
inline std::string String(const Json::Value& object, const char* key) { return AsString(Member(object, key)); }
inline bool Bool(const Json::Value& object, const char* key) { return AsBool(Member(object, key)); }

// The elements of the array member key: a missing member has none; a member
// that is not an array is of the wrong kind.
const Json::Value& Array(const Json::Value& object, const char* key);

}  // namespace JsonRead

namespace JsonRead {

// Runs a reading; false when a member had the wrong kind (or anything else
// threw). What was read before the failure stays.
template <class Reading>
bool Guarded(Reading&& reading) {
  try {
    reading();
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace JsonRead
