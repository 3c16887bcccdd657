#include "client/core/db/DBRecordColumns.h"

#include <limits>
#include <string>

#include "common/StringConvert.h"

namespace DBValue {

juce::int64 ToInt64(const char* text) {
  if (text == nullptr) return 0;
  while (*text == ' ' || (*text >= '\t' && *text <= '\r')) ++text;
  bool negative = false;
  if (*text == '+' || *text == '-') negative = *text++ == '-';
  // Accumulated as unsigned so that a long run of digits cannot overflow.
  unsigned long long magnitude = 0;
  const unsigned long long limit =
      negative ? static_cast<unsigned long long>(std::numeric_limits<juce::int64>::max()) + 1
               : static_cast<unsigned long long>(std::numeric_limits<juce::int64>::max());
  for (; *text >= '0' && *text <= '9'; ++text) {
    magnitude = magnitude * 10 + static_cast<unsigned>(*text - '0');
    if (magnitude >= limit) {
      magnitude = limit;
      while (text[1] >= '0' && text[1] <= '9') ++text;
    }
  }
  if (negative) return magnitude == limit ? std::numeric_limits<juce::int64>::min()
                                          : -static_cast<juce::int64>(magnitude);
  return static_cast<juce::int64>(magnitude);
}

int ToInt32(const char* text) {
  const juce::int64 value = ToInt64(text);
  if (value > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (value < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(value);
}

juce::String ToText(const char* utf8) {
  // Malformed bytes become U+FFFD rather than stopping the read.
  return utf8 == nullptr ? juce::String() : Common::Stdstring_To_String(std::string(utf8));
}

}  // namespace DBValue
