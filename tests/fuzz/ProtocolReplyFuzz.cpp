// Every reply body reader of the cloud protocol; the first byte picks the reader.
#include <string>

#include "FuzzSupport.h"
#include "client/core/protocol/AppRequests.h"
#include "client/core/protocol/DirReplies.h"
#include "client/core/protocol/FileReplies.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string body(reinterpret_cast<const char*>(data) + 1, size - 1);
  switch (data[0] % 12) {
    case 0: { DirReply r; DirReply::ParseBody(body, r); break; }
    case 1: { DirTreeReply r; DirTreeReply::ParseBody(body, r); break; }
    case 2: { DirFilesReply r; DirFilesReply::ParseBody(body, r); break; }
    case 3: { SyncDirReply r; SyncDirReply::ParseBody(body, r); break; }
    case 4: { FileReply r; FileReply::ReadBody(body, r); break; }
    case 5: { TransportTokenReply r; TransportTokenReply::ReadBody(body, r); break; }
    case 6: { UserReply r; UserReply::ReadBody(body, r); break; }
    case 7: { UserFilesCountReply r; UserFilesCountReply::ReadBody(body, r); break; }
    case 8: { AuthenReply r; AuthenReply::ReadBody(body, r); break; }
    case 9: { LogoutReply r; LogoutReply::ReadBody(body, r); break; }
    case 10: { GetSidReply r; GetSidReply::ReadBody(body, r); break; }
    default: { GetCidReply r; GetCidReply::ReadBody(body, r); break; }
  }
  return 0;
}
