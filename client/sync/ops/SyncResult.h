#pragma once
// The five outcomes of a sync operation, which the task managers act on, and
// the value that stands for "the service gave no error code".

enum SyncResult {
  SYNC_RESULT_SUCCESS = 0,
  SYNC_RESULT_CANCEL = 1,                          // the task is removed
  SYNC_RESULT_ERROR_REMOVE = 2,                    // the path is reported failed, the task removed
  SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK = 3,     // retried up to three times, then as 2
  SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN = 4,      // run again after a wait
};

constexpr int SYNC_NO_SERVER_CODE = -100000;
// A transport failure: the request never got an answer from the service.
constexpr int SYNC_TRANSPORT_FAILURE = -1;
