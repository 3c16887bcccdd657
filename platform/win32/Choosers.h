#pragma once
// Where the shell's folder chooser and the common file dialogs get their answer.
//
// Scripted (tests, and any process whose launcher records: DORV_LAUNCHER=record):
// each chooser is recorded and answered by the next answer a test pushed, else by
// the handler, else it is cancelled. Real: the answer comes from "zenity" on the
// display named by DISPLAY; without a display, or without zenity, it is cancelled.
//
//   win32::Choosers::PushAnswer(L"/home/me/Sync");   // the user picks this folder
//   win32::Choosers::PushAnswer(std::nullopt);        // the user cancels
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "win32/WinDef.h"

namespace win32 {

struct ChooserRequest {
  enum Kind { Folder, OpenFile, SaveFile };
  Kind kind = Folder;
  HWND owner = nullptr;
  std::wstring title;
  std::wstring folder;    // the folder selected (folder chooser) or shown first (file dialogs)
  std::wstring fileName;  // file dialogs: the name proposed
  std::wstring filter;    // file dialogs: "description|pattern|..." pairs
  DWORD flags = 0;
};

class Choosers {
 public:
  using Answer = std::optional<std::wstring>;  // a path, or nothing for a cancel
  using Handler = std::function<Answer(const ChooserRequest&)>;

  static Answer Ask(const ChooserRequest& request);

  static void PushAnswer(Answer answer);
  static void SetHandler(Handler handler);
  static std::vector<ChooserRequest> Requests();
  // Forgets the requests, the answers not yet taken and the handler.
  static void Reset();
};

}  // namespace win32
