#include "client/core/protocol/ReplyEnvelope.h"

#include "client/core/protocol/JsonRead.h"

namespace ReplyEnvelope {

bool IsReadable(bool haveResponse, int httpStatus) { return haveResponse && httpStatus == 200; }

int Code(const Json::Value& root) { return JsonRead::Int(root, "code"); }

const Json::Value& Result(const Json::Value& root) { return JsonRead::Member(root, "result"); }

}  // namespace ReplyEnvelope
