#pragma once
// Writing request bodies and reading reply bodies as JSON.
#include <json/value.h>

#include <string>

// The value as indented JSON text (three blanks per level); empty when the
// writer fails.
std::string JsonToText(const Json::Value& value);

// A cheap guard against error pages and truncated bodies: a trimmed text of
// more than 200 characters passes; a shorter one must begin with "{" and
// close every brace it opens. Braces inside JSON strings are text, not
// structure, so a short reply like {"m":"{"} passes.
bool CheckJsonText(const std::string& text);

// CheckJsonText, then the JSON parser. A text that fails the check is logged
// once ("JSON::Parse" with the whole text). False on any failure.
bool JsonParse(const std::string& text, Json::Value& value);
