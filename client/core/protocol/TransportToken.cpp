#include "client/core/protocol/TransportToken.h"

#include "client/core/protocol/JsonRead.h"

bool TransportToken::ParseJson(TransportToken& token, const Json::Value* object) {
  if (!object) return false;
  return JsonRead::Guarded([&] {
    token.docURL = JsonRead::String(*object, "docURL");
    token.context = JsonRead::String(*object, "context");
  });
}
