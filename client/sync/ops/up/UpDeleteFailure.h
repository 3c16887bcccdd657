#pragma once
// What a failed delete on the service leads to. A failure of the connection
// or of the service itself says nothing about the item: the rows stay and the
// delete is sent again (after the engine is back online, or as a retry). Only
// an answer about the item itself drops the rows and pulls the tree again.
#include "client/sync/ops/SyncResult.h"

// The result for a failed delete's code, or -1 when the rows are dropped
// and the tree pulled again (the result is then 2).
inline int KeepUpDeleteResult(int serverCode) {
  if (serverCode == SYNC_TRANSPORT_FAILURE) return SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN;
  if (serverCode >= 500 && serverCode < 550) return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
  return -1;
}
