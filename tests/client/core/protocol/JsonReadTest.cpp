#include <gtest/gtest.h>
#include <json/reader.h>

#include <memory>
#include <optional>
#include <variant>

#include "client/core/protocol/JsonRead.h"

namespace {

Json::Value Parse(const std::string& text) {
  Json::CharReaderBuilder builder;
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  Json::Value value;
  std::string errors;
  EXPECT_TRUE(reader->parse(text.data(), text.data() + text.size(), &value, &errors)) << text;
  return value;
}

// Reads member "v" of the object and reports the value as text, or nullopt
// when the reading threw.
template <class Read>
std::optional<std::string> ReadV(const std::string& object, Read read) {
  const Json::Value value = Parse(object);
  try {
    return read(value);
  } catch (const JsonReadError&) {
    return std::nullopt;
  }
}

struct Row {
  const char* name;
  const char* object;
  std::optional<std::string> expected;  // nullopt: wrong kind
};

void RunTable(const std::vector<Row>& rows, std::string (*read)(const Json::Value&)) {
  for (const Row& row : rows) {
    EXPECT_EQ(ReadV(row.object, read), row.expected) << row.name;
  }
}

const std::optional<std::string> kThrows = std::nullopt;

}  // namespace

TEST(JsonRead, Int64FollowsTheProtocolRules) {
  RunTable(
      {
          {"missing reads 0", R"({})", "0"},
          {"null reads 0", R"({"v":null})", "0"},
          {"negative", R"({"v":-1})", "-1"},
          {"above 32 bits", R"({"v":1099511627776})", "1099511627776"},
          {"largest", R"({"v":9223372036854775807})", "9223372036854775807"},
          {"true reads 1", R"({"v":true})", "1"},
          {"false reads 0", R"({"v":false})", "0"},
          {"digits in a text are a text", R"({"v":"5"})", kThrows},
          {"object", R"({"v":{}})", kThrows},
          {"array", R"({"v":[1]})", kThrows},
      },
      [](const Json::Value& o) { return std::to_string(JsonRead::Int64(o, "v")); });
}

TEST(JsonRead, IntKeepsTheLow32Bits) {
  RunTable(
      {
          {"2^32 + 1 reads 1", R"({"v":4294967297})", "1"},
          {"2^31 wraps negative", R"({"v":2147483648})", "-2147483648"},
          {"-1 stays", R"({"v":-1})", "-1"},
          {"missing reads 0", R"({})", "0"},
          {"true reads 1", R"({"v":true})", "1"},
          {"text", R"({"v":"1"})", kThrows},
          {"object", R"({"v":{"a":1}})", kThrows},
      },
      [](const Json::Value& o) { return std::to_string(JsonRead::Int(o, "v")); });
}

TEST(JsonRead, StringRefusesNumbersAndTakesBooleansAsWords) {
  RunTable(
      {
          {"missing reads empty", R"({})", ""},
          {"text", R"({"v":"a|b é"})", "a|b é"},
          {"true", R"({"v":true})", "true"},
          {"false", R"({"v":false})", "false"},
          {"number", R"({"v":5})", kThrows},
          {"object", R"({"v":{}})", kThrows},
          {"array", R"({"v":[]})", kThrows},
      },
      [](const Json::Value& o) { return JsonRead::String(o, "v"); });
}

TEST(JsonRead, BoolNeverFails) {
  RunTable(
      {
          {"missing", R"({})", "0"},
          {"zero", R"({"v":0})", "0"},
          {"non-zero number", R"({"v":3})", "1"},
          {"empty text", R"({"v":""})", "0"},
          {"text", R"({"v":"no"})", "1"},
          {"empty array", R"({"v":[]})", "0"},
          {"array", R"({"v":[0]})", "1"},
          {"empty object", R"({"v":{}})", "0"},
          {"object", R"({"v":{"a":1}})", "1"},
      },
      [](const Json::Value& o) { return std::string(JsonRead::Bool(o, "v") ? "1" : "0"); });
}

TEST(JsonRead, NestedMembersAreLookedUpMemberByMember) {
  auto read = [](const Json::Value& o) { return std::to_string(JsonRead::Int(JsonRead::Member(o, "v"), "n")); };
  RunTable(
      {
          {"present", R"({"v":{"n":7}})", "7"},
          {"outer missing", R"({})", "0"},
          {"outer null", R"({"v":null})", "0"},
          {"outer is a text", R"({"v":"x"})", kThrows},
          {"outer is an array", R"({"v":[{"n":7}]})", kThrows},
      },
      read);
}

TEST(JsonRead, ArrayIsEmptyWhenMissingAndRefusesOtherKinds) {
  auto count = [](const Json::Value& o) { return std::to_string(JsonRead::Array(o, "v").size()); };
  RunTable(
      {
          {"missing", R"({})", "0"},
          {"two elements", R"({"v":[1,{}]})", "2"},
          {"object", R"({"v":{"a":1}})", kThrows},
          {"number", R"({"v":1})", kThrows},
      },
      count);
}
