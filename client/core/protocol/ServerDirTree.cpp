#include "client/core/protocol/ServerDirTree.h"

#include "client/core/protocol/JsonRead.h"

bool ServerDirTree::ParseJson(const Json::Value* object, ServerDirTree& tree) {
  if (!object) return false;
  if (!ServerDirInfo::ParseJson(tree, object)) return false;
  JsonRead::Guarded([&] {
    for (const Json::Value& element : JsonRead::Array(*object, "subdirs")) {
      auto child = std::make_unique<ServerDirTree>();
      if (ParseJson(&element, *child)) tree.subdirs.push_back(std::move(child));
    }
  });
  return true;
}
