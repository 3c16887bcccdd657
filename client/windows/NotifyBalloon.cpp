#include "client/windows/NotifyBalloon.h"

#include "client/sync/SyncHelper.h"
#include "client/windows/TableFormat.h"
#include "common/MutiLanSupport.h"
#include "common/NumberText.h"
#include "common/PathText.h"
#include "common/StringConvert.h"

namespace {

CString Text(const wchar_t* key) {
  CString id(L"STRID_TRAYICONNOTIFYINFO_");
  id += key;
  return Common::CMutiLanSupport::GetInstance()->GetStringViaID(id);
}

CString Wide(const juce::String& text) { return Common::String_To_CString(text); }

// 17 and 18: files and folders, files alone, or folders alone ("0" for none).
CString CountText(const wchar_t* both, const wchar_t* filesOnly, const wchar_t* foldersOnly, const CString& files,
                  const CString& folders) {
  CString text;
  if (files != L"0" && folders != L"0")
    text = FormatTableText(Text(both), "ss", static_cast<LPCTSTR>(files), static_cast<LPCTSTR>(folders));
  else if (files != L"0")
    text = FormatTableText(Text(filesOnly), "s", static_cast<LPCTSTR>(files));
  else
    text = FormatTableText(Text(foldersOnly), "s", static_cast<LPCTSTR>(folders));
  return text;
}

}  // namespace

juce::String AfterLastSeparator(const juce::String& text) {
  int slash = text.lastIndexOfChar(Common::kPathSeparator);
  return slash < 0 ? text : text.substring(slash + 1);
}

NotifyBalloon BuildNotifyBalloon(const SyncNotifyInfo& info, const NotifyAccount& account) {
  const CString first = Wide(AfterLastSeparator(info.a));
  const CString second = Wide(AfterLastSeparator(info.b));
  const LPCTSTR a = first;
  const LPCTSTR b = second;
  constexpr UINT kShort = 10000;
  NotifyBalloon balloon;
  auto failed = [&](UINT elapse) {
    balloon.title = Text(L"TITLEFILESYNCFAILED");
    balloon.kind = 1;
    balloon.elapse = elapse;
  };
  auto change = [&](const wchar_t* title, const wchar_t* text, bool locate) {
    balloon.title = Text(title);
    balloon.text = FormatTableText(Text(text), "s", a);
    if (locate) {
      balloon.text += Text(L"CLICKTOLOCATE");
      balloon.clickable = 1;
    }
    balloon.elapse = kShort;
  };
  auto plain = [&](const wchar_t* title, const wchar_t* text) {
    balloon.title = Text(title);
    balloon.text = Text(text);
    balloon.kind = 1;
    balloon.elapse = kShort;
  };
  // 17 and 18: first the file count, second the folder count.
  auto counted = [&](const wchar_t* title, const wchar_t* both, const wchar_t* filesOnly, const wchar_t* foldersOnly) {
    balloon.title = Text(title);
    balloon.text = CountText(both, filesOnly, foldersOnly, first, second);
    balloon.elapse = kShort;
  };
  switch (info.type) {
    case SNT_FILE_TOO_BIG:
      failed(static_cast<UINT>(-1));
      balloon.text = FormatTableText(Text(L"INFOFILETOOBIG"), "ss", a, b);
      break;
    case SNT_OCCUPIED:
      failed(static_cast<UINT>(-1));
      balloon.text = FormatTableText(Text(second == L"File" ? L"INFOFILEBEOCCUPIED" : L"INFOFOLDERBEOCCUPIED"), "s", a);
      break;
    case SNT_LOCAL_DISK_FULL:
      failed(static_cast<UINT>(-1));
      balloon.text = FormatTableText(Text(L"INFODISKSPACENOTENOUGH"), "s", a);
      break;
    case SNT_SERVER_SPACE_FULL:
      failed(static_cast<UINT>(-1));
      balloon.text = FormatTableText(Text(L"INFOSERVERSPACENOTENOUGH"), "s", a);
      if (!account.vip) balloon.text += Text(L"CLICKTOEXCHANGE");
      break;
    case SNT_SERVER_ERROR: plain(L"TITLESERVERERROR", L"INFOSERVERERROR"); break;
    case SNT_ONE_FILE_RENAMED:
    case SNT_ONE_FOLDER_RENAMED:
      balloon.title = Text(info.type == SNT_ONE_FILE_RENAMED ? L"TITLEFILERENAME" : L"TITLEDIRRENAME");
      balloon.text = FormatTableText(Text(info.type == SNT_ONE_FILE_RENAMED ? L"INFOFILERENAME" : L"INFODIRRENAME"), "ss", b, a);
      balloon.text += Text(L"CLICKTOLOCATE");
      balloon.clickable = 1;
      balloon.elapse = kShort;
      break;
    case SNT_ONE_FILE_DELETED: change(L"TITLEFILEDELETE", L"INFOFILEDELETE", false); break;
    case SNT_ONE_FILE_MODIFIED: change(L"TITLEFILEMODIFY", L"INFOFILEMODIFY", true); break;
    case SNT_ONE_FILE_MOVED: change(L"TITLEFILEMOVE", L"INFOFILEMOVE", true); break;
    case SNT_ONE_FILE_ADDED: change(L"TITLEFILEADD", L"INFOFILEADD", true); break;
    case SNT_MANY_ADDED: change(L"TITLEFILEADD", L"ADD_STATIC", false); break;
    case SNT_MANY_DELETED: change(L"TITLEFILEDELETE", L"DELETE_STATIC", false); break;
    case SNT_MANY_MOVED: change(L"TITLEFILEMOVE", L"MOVE_STATIC", false); break;
    case SNT_MANY_RENAMED:
      counted(L"TITLEFILERENAME", L"RENAMESTATICS_FILEANDFOLDER", L"RENAMESTATICS_ONLYFILE", L"RENAMESTATICS_ONLYFOLDER");
      break;
    case SNT_SYNC_COMPLETED:
      counted(L"TITLESYNCCOMPLETED", L"INFODOWNSTATICS_FILEANDFOLDER", L"INFODOWNSTATICS_ONLYFILE",
              L"INFODOWNSTATICS_ONLYFOLDER");
      break;
    case SNT_FILE_COUNT_LIMIT:
      balloon.title = Text(L"TITLEEXCEEDFILENUMLIMIT");
      balloon.text = FormatTableText(Text(L"INFOEXCEEDFILENUMLIMIT"), "ds", account.fileCountLimit, a);
      balloon.kind = 1;
      balloon.elapse = kShort;
      break;
    case SNT_FOLDER_DEPTH_LIMIT:
      failed(static_cast<UINT>(-1));
      balloon.text = FormatTableText(Text(L"INFOEXCEEDDIREDDPLIMIT"), "s", a);
      break;
    case SNT_BAD_REQUEST:
      failed(static_cast<UINT>(-1));
      balloon.text = Text(L"INFOBADREQUEST");
      break;
    case SNT_CANNOT_CONNECT: plain(L"TITLESERVERCOMMONERROR", L"CONNECTSERVERERROR"); break;
    case SNT_SERVER_COMMON_ERROR: plain(L"TITLESERVERCOMMONERROR", L"INFOSERVERCOMMONERROR"); break;
    case SNT_LOCAL_NETWORK_ERROR: plain(L"TITLENETERROR", L"INFONETERROR"); break;
    case SNT_PROXY_UNREACHABLE: plain(L"TITLEPROXYERROR", L"INFOPROXYERROR"); break;
    case SNT_NAME_TOO_LONG:
    case SNT_LOCAL_PATH_TOO_LONG: {
      failed(kShort);
      const bool folder = second == L"Folder";
      const wchar_t* key = info.type == SNT_NAME_TOO_LONG
                               ? (folder ? L"FOLDER_NAME_TOLONG" : L"FILE_NAME_TOLONG")
                               : (folder ? L"DOWN_FOLDER_PATH_TOLONG" : L"DOWN_FILE_PATH_TOLONG");
      balloon.text = FormatTableText(Text(key), "s", static_cast<LPCTSTR>(Wide(SyncHelper::ShortenFileName(AfterLastSeparator(info.a)))));
      break;
    }
    case SNT_FOLDER_COUNT_LIMIT:
      failed(kShort);
      balloon.text = FormatTableText(Text(L"FOLDER_EXCEEDNUMLIMIT"), "ss", static_cast<LPCTSTR>(Common::Int2CString(account.folderCountLimit)), a);
      break;
    default:  // 11-13 and unknown codes: no text, so a balloon that is up goes down
      break;
  }
  return balloon;
}
