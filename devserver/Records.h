#pragma once
#include <json/json.h>

#include "Accounts.h"
#include "Tree.h"

namespace devserver {

struct PendingUpload;

// The info objects of replies, always complete: the client reads a missing
// member as 0 or "" and would store that.
Json::Value DirRecord(const Item& dir, const User& owner, const DirStats& stats, const std::string& path);
// The service root (id -1) as a folder record.
Json::Value RootRecord(const User& owner, const DirStats& stats);
// A file; with an upload in progress its doc describes that upload.
Json::Value FileRecord(const Item& file, const User& owner, const PendingUpload* pending);
Json::Value UserRecord(const User& user, const UsageCounts& usage);

}  // namespace devserver
