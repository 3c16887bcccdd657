#include "client/core/protocol/JsonText.h"

#include <json/reader.h>
#include <json/writer.h>

#include <memory>
#include <sstream>

#include "base/StringUtil.h"
#include "client/core/LogWriter.h"

std::string JsonToText(const Json::Value& value) {
  try {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "   ";
    return Json::writeString(builder, value) + "\n";
  } catch (...) {
    return std::string();
  }
}

bool CheckJsonText(const std::string& text) {
  std::string trimmed = text;
  juce::StringUtil::TrimString(trimmed);
  if (trimmed.size() > 200) return true;
  if (trimmed.size() < 3 || trimmed[0] != '{') return false;

  int open = 1;
  bool inString = false;
  for (size_t i = 1; i < trimmed.size(); ++i) {
    const char c = trimmed[i];
    if (inString) {
      if (c == '\\') {
        ++i;  // the escaped character, a quote included, is text
      } else if (c == '"') {
        inString = false;
      }
      continue;
    }
    if (c == '"') {
      inString = true;
    } else if (c == '{') {
      if (open == 0) return false;  // a second value after the object
      ++open;
    } else if (c == '}') {
      if (open > 0) --open;
    }
  }
  return open == 0;
}

bool JsonParse(const std::string& text, Json::Value& value) {
  try {
    if (!CheckJsonText(text)) {
      WriteLog(ErrorLog, "JSON::Parse", juce::String::fromUTF8(text.data(), static_cast<int>(text.size())));
      return false;
    }
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    std::string errors;
    return reader->parse(text.data(), text.data() + text.size(), &value, &errors);
  } catch (...) {
    return false;
  }
}
