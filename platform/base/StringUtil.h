#pragma once
#include <string>

namespace juce {

// Small conversions between numbers and byte strings.
class StringUtil {
 public:
  // The number in decimal.
  static std::string num2string(int value);
  // The int of a decimal text: leading blanks and a sign are accepted, the
  // digits end at the first other character, out-of-range values clamp to the
  // int range, and a text without digits gives 0.
  static int string2num(const std::string& text);
  // Removes blanks (spaces, tabs, line ends) at both ends, in place.
  static void TrimString(std::string& text);
};

}  // namespace juce
