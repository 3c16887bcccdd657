#include "client/core/protocol/DirContent.h"

#include "client/core/protocol/JsonRead.h"

bool DirContent::ParseJson(const Json::Value* object, DirContent& content) {
  if (!object) return false;
  bool result = ServerDirInfo::ParseJson(content, object);

  const bool listsReadable = JsonRead::Guarded([&] {
    for (const Json::Value& element : JsonRead::Array(*object, "files")) {
      auto file = std::make_unique<ServerFileInfo>();
      if (ServerFileInfo::ParseJson(*file, &element)) {
        content.files.push_back(std::move(file));
      } else {
        result = false;
      }
    }
    for (const Json::Value& element : JsonRead::Array(*object, "subdirs")) {
      auto child = std::make_unique<DirContent>();
      if (ParseJson(&element, *child)) {
        content.subdirs.push_back(std::move(child));
      } else {
        result = false;
      }
    }
  });
  return result && listsReadable;
}
