#pragma once
// Parsing JSON literals in protocol tests.
#include <gtest/gtest.h>
#include <json/reader.h>

#include <memory>
#include <string>

namespace protocoltest {

inline Json::Value ParseJson(const std::string& text) {
  Json::CharReaderBuilder builder;
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  Json::Value value;
  std::string errors;
  EXPECT_TRUE(reader->parse(text.data(), text.data() + text.size(), &value, &errors)) << errors << "\n" << text;
  return value;
}

}  // namespace protocoltest
