#include "win32/CommDlg.h"

#include <cwchar>
#include <string>

#include "win32/Choosers.h"

namespace {

thread_local DWORD t_dialogError = 0;

// "a\0b\0c\0d\0\0" -> "a|b|c|d"
std::wstring FilterText(LPCWSTR filter) {
  std::wstring text;
  if (!filter) return text;
  for (const wchar_t* p = filter; *p; p += std::wcslen(p) + 1) {
    if (!text.empty()) text += L'|';
    text += p;
  }
  return text;
}

BOOL RunFileDialog(LPOPENFILENAMEW info, win32::ChooserRequest::Kind kind) {
  t_dialogError = 0;
  if (!info || info->lStructSize != sizeof(OPENFILENAMEW)) {
    t_dialogError = CDERR_STRUCTSIZE;
    return FALSE;
  }
  if (!info->lpstrFile || info->nMaxFile == 0) {
    t_dialogError = CDERR_INITIALIZATION;
    return FALSE;
  }
  win32::ChooserRequest request;
  request.kind = kind;
  request.owner = info->hwndOwner;
  request.title = info->lpstrTitle ? info->lpstrTitle : L"";
  request.folder = info->lpstrInitialDir ? info->lpstrInitialDir : L"";
  request.fileName = std::wstring(info->lpstrFile, wcsnlen(info->lpstrFile, info->nMaxFile));
  request.filter = FilterText(info->lpstrFilter);
  request.flags = info->Flags;

  win32::Choosers::Answer answer = win32::Choosers::Ask(request);
  if (!answer || answer->empty()) return FALSE;

  std::wstring path = *answer;
  size_t nameStart = path.find_last_of(L"/\\");
  nameStart = nameStart == std::wstring::npos ? 0 : nameStart + 1;
  size_t dot = path.find(L'.', nameStart);
  size_t lastDot = path.rfind(L'.');
  if (dot == std::wstring::npos && info->lpstrDefExt && *info->lpstrDefExt) {
    path += L'.';
    lastDot = path.size() - 1;
    path += info->lpstrDefExt;
  }
  if (path.size() + 1 > info->nMaxFile) {
    t_dialogError = FNERR_BUFFERTOOSMALL;
    if (info->nMaxFile >= 1) info->lpstrFile[0] = static_cast<wchar_t>(path.size() + 1);
    return FALSE;
  }
  std::wmemcpy(info->lpstrFile, path.c_str(), path.size() + 1);
  info->nFileOffset = static_cast<WORD>(nameStart);
  info->nFileExtension =
      lastDot != std::wstring::npos && lastDot >= nameStart ? static_cast<WORD>(lastDot + 1) : 0;
  if (info->lpstrFileTitle && info->nMaxFileTitle > 0) {
    std::wstring title = path.substr(nameStart).substr(0, info->nMaxFileTitle - 1);
    std::wmemcpy(info->lpstrFileTitle, title.c_str(), title.size() + 1);
  }
  return TRUE;
}

}  // namespace

BOOL GetOpenFileNameW(LPOPENFILENAMEW info) { return RunFileDialog(info, win32::ChooserRequest::OpenFile); }

BOOL GetSaveFileNameW(LPOPENFILENAMEW info) { return RunFileDialog(info, win32::ChooserRequest::SaveFile); }

DWORD CommDlgExtendedError() { return t_dialogError; }
