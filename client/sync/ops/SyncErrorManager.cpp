#include "client/sync/ops/SyncErrorManager.h"

#include "client/core/LogWriter.h"
#include "client/core/account/AccountData.h"
#include "client/core/account/ProductInfo.h"
#include "client/core/context/SyncCancelToken.h"
#include "client/core/login/SessionRenewal.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/ops/LocalNetErrorManager.h"
#include "client/sync/ops/SyncResult.h"
#include "common/PathText.h"

namespace {

enum Table { COMMON, FILE, FILE_DOC };

// What a code needs beyond its result and its plain notice.
enum Extra { NONE, RENEW_SESSION, SIZE_LIMIT, DEPTH_LIMIT };

struct ErrorRow {
  int code;
  const char* name;
  Table table;
  int result;
  int notify;  // -1: no plain notice
  Extra extra;
};

constexpr int R2 = SYNC_RESULT_ERROR_REMOVE;
constexpr int R3 = SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
constexpr int R4 = SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN;

constexpr ErrorRow kErrors[] = {
    {201, "COMMON_SYNCOP_ERROR_PARTAIL_ERROR", COMMON, R3, -1, NONE},
    {400, "COMMON_SYNCOP_ERROR_BAD_REQUEST", COMMON, R3, SNT_BAD_REQUEST, NONE},
    {401, "COMMON_SYNCOP_ERROR_CERT_ERROR", COMMON, R3, -1, RENEW_SESSION},
    {403, "COMMON_SYNCOP_ERROR_OPERATION_FORBIDDEN", COMMON, R3, SNT_SERVER_COMMON_ERROR, NONE},
    {404, "COMMON_SYNCOP_ERROR_RESOURCE_NOT_FOUND", COMMON, R3, -1, NONE},
    {408, "COMMON_SYNCOP_ERROR_REQUEST_TIMEOUT", COMMON, R3, SNT_SERVER_ERROR, NONE},
    {500, "COMMON_SYNCOP_ERROR_INTERNAL_SERVER_ERROR", COMMON, R2, SNT_SERVER_COMMON_ERROR, NONE},
    {501, "COMMON_SYNCOP_ERROR_NOT_IMPLEMENTED", COMMON, R2, SNT_SERVER_COMMON_ERROR, NONE},
    {503, "COMMON_SYNCOP_ERROR_SERVICE_UNVAILABLE", COMMON, R3, SNT_SERVER_COMMON_ERROR, NONE},
    {550, "FILE_SYNCOP_ERROR_PRODUCT_NOT_FOUND", FILE, R3, SNT_SERVER_COMMON_ERROR, NONE},
    {551, "FILE_SYNCOP_ERROR_USER_ORG_NOT_FOUND", FILE, R3, SNT_SERVER_COMMON_ERROR, NONE},
    {552, "FILE_SYNCOP_ERROR_USER_TYPE_NOT_FOUND", FILE, R3, SNT_SERVER_COMMON_ERROR, NONE},
    {553, "FILE_SYNCOP_ERROR_USER_NOT_FOUND", FILE, R3, SNT_SERVER_COMMON_ERROR, NONE},
    {554, "FILE_SYNCOP_ERROR_DOMAIN_NOT_FOUND", FILE, R3, SNT_SERVER_COMMON_ERROR, NONE},
    {555, "FILE_SYNCOP_ERROR_FILE_NOT_FOUND", FILE, R3, -1, NONE},
    {556, "FILE_SYNCOP_ERROR_FILE_VER_NOT_FOUND", FILE, R3, -1, NONE},
    {557, "FILE_SYNCOP_ERROR_DOC_NOT_FOUND", FILE, R3, SNT_SERVER_COMMON_ERROR, NONE},
    {600, "FILE_SYNCOP_ERROR_FILE_SIZE_LIMIT_EXCEED", FILE, R3, -1, SIZE_LIMIT},
    {601, "FILE_SYNCOP_ERROR_FILE_NOT_COMPLETE", FILE, R3, SNT_SERVER_COMMON_ERROR, NONE},
    {602, "FILE_SYNCOP_ERROR_FILE_NOT_SHARED", FILE, R3, -1, NONE},
    {603, "FILE_SYNCOP_ERROR_FILE_EXPIRED", FILE, R3, -1, NONE},
    {604, "FILE_SYNCOP_ERROR_FILE_FILE_URL_ILLEGAL", FILE, R3, -1, NONE},
    {605, "FILE_SYNCOP_ERROR_FILE_UD_CONTEXT_ILLEGAL", FILE, R3, SNT_SERVER_COMMON_ERROR, NONE},
    {606, "FILE_SYNCOP_ERROR_FILE_DD_CONTEXT_ILLEGAL", FILE, R3, -1, NONE},
    {607, "FILE_SYNCOP_ERROR_FILE_SHARE_KEY_INVALID", FILE, R3, -1, NONE},
    {608, "FILE_SYNCOP_ERROR_FILE_RENEW_USEDUP", FILE, R3, -1, NONE},
    {609, "FILE_SYNCOP_ERROR_FILE_DD_COUNT_USEDUP", FILE, R3, -1, NONE},
    {610, "FILE_SYNCOP_ERROR_FILE_VER_CONFLICT", FILE, R3, -1, NONE},
    {611, "FILE_SYNCOP_ERROR_FILE_NAME_CONFLICT", FILE, R3, -1, NONE},
    {612, "FILE_SYNCOP_ERROR_FILE_NAME_TOOLONG", FILE, R2, -1, NONE},
    {650, "FILE_SYNCOP_ERROR_FILE_SHARE_NOT_FOUND", FILE, R3, -1, NONE},
    {651, "FILE_SYNCOP_ERROR_FILE_SHARE_KEY_ILLEGAL", FILE, R3, -1, NONE},
    {700, "FILE_SYNCOP_ERROR_DIR_PATH_ILLEGAL", FILE, R3, SNT_SERVER_COMMON_ERROR, NONE},
    {701, "FILE_SYNCOP_ERROR_DIR_RECURSIVE_ACT_DENIED", FILE, R3, -1, DEPTH_LIMIT},
    {702, "FILE_SYNCOP_ERROR_DIR_NOT_EMPTY", FILE, R3, -1, NONE},
    {704, "FILE_SYNCOP_ERROR_DIR_NOT_EXIST", FILE, R3, -1, NONE},
    {705, "FILE_SYNCOP_ERROR_DIR_LAYERS_EXCEED", FILE, R2, -1, DEPTH_LIMIT},
    {800, "FILE_SYNCOP_ERROR_USER_CAPACITY_EXCEED", FILE, R3, -1, NONE},
    {801, "FILE_SYNCOP_ERROR_USER_FILES_NUM_EXCEED", FILE, R4, -1, NONE},
    {802, "FILE_SYNCOP_ERROR_USER_DIRS_NUM_EXCEED", FILE, R4, -1, NONE},
    {1000, "FILE_DOC_SYNCOP_ERROR_DOC_NOT_FOUND", FILE_DOC, R3, -1, NONE},
    {1001, "FILE_DOC_SYNCOP_ERROR_DOC_CHECKSUM_ERROR", FILE_DOC, R3, -1, NONE},
    {1002, "FILE_DOC_SYNCOP_ERROR_DATA_DESCRIPTOR_ERROR", FILE_DOC, R3, -1, NONE},
    {1003, "FILE_DOC_SYNCOP_ERROR_DATA_DESCRIPTOR_CHECKSUM_FAILED", FILE_DOC, R3, -1, NONE},
    {1004, "FILE_DOC_SYNCOP_ERROR_DATA_INVAILID", FILE_DOC, R3, -1, NONE},
    {1005, "FILE_DOC_SYNCOP_ERROR_DATA_CHECKSUM_FAILED", FILE_DOC, R3, -1, NONE},
};

const ErrorRow* FindRow(int code) {
  for (const ErrorRow& row : kErrors)
    if (row.code == code) return &row;
  return nullptr;
}

const char* TableTag(Table table) {
  switch (table) {
    case COMMON: return "SyncErrorManager::ProcessCommonSyncError";
    case FILE: return "SyncErrorManager::ProcessFileSyncError";
    default: return "SyncErrorManager::ProcessFileDocSyncError";
  }
}

void Notify(int type, const juce::String& a, const juce::String& b) {
  if (ISyncNotifyUI* sink = GetSyncNotifyUI()) sink->NotifySyncEvent(SyncNotifyInfo{type, a, b});
}

}  // namespace

namespace SyncErrorManager {

juce::String GetErrorName(int code) {
  const ErrorRow* row = FindRow(code);
  return row ? juce::String(row->name) : juce::String();
}

int ProcessSyncError(int code, SyncCancelToken* cancelToken) {
  if (cancelToken && cancelToken->m_bCancel.load()) return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;

  if (code == SYNC_TRANSPORT_FAILURE) {
    LocalNetErrorManager* net = LocalNetErrorManager::GetInstance();
    net->SetOnline(false);
    net->ProcessLocalNetError();
    return SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN;
  }

  const ErrorRow* row = FindRow(code);
  if (!row) {
    WriteErrorCodeLog("SyncErrorManager::ProcessSyncError", juce::String(code), "Not defined errorcode");
    return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
  }
  WriteErrorCodeLog(TableTag(row->table), juce::String(code), "errorCode Descrpion: " + juce::String(row->name));

  if (row->notify >= 0) Notify(row->notify, {}, {});
  switch (row->extra) {
    case RENEW_SESSION:
      UpdateSID(GetAccountData());
      break;
    case SIZE_LIMIT: {
      const juce::int64 limitBytes = GetAccountData()->GetUserConfig().UC_FileSizeLimit;
      const juce::String path = cancelToken ? cancelToken->m_sText : juce::String();
      Notify(SNT_FILE_TOO_BIG, juce::String(limitBytes / 1048576), Common::String_GetFileName(path));
      break;
    }
    case DEPTH_LIMIT:
      Notify(SNT_FOLDER_DEPTH_LIMIT, {}, juce::String(GetProductInfo().FileMaxDepth));
      break;
    case NONE:
      break;
  }
  return row->result;
}

}  // namespace SyncErrorManager
