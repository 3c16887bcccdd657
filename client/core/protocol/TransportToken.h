#pragma once
// The permission to move one file's content: docURL names the content (the
// "file" query value of the transfer), context is the transfer's credential
// (its "Authorization" header).
#include <json/value.h>

#include <string>

struct TransportToken {
  std::string docURL;
  std::string context;

  // Reads "docURL" and "context"; false when either has the wrong kind,
  // false without change for a null pointer.
  static bool ParseJson(TransportToken& token, const Json::Value* object);
};
