#pragma once
// The headless desktop's journal of message boxes, for tests that run a
// program as a process of its own: when the environment variable
// DORV_DESKTOP_JOURNAL names a file, every MessageBoxW of the process appends
// one line to it (UTF-8: type, caption and text separated by tabs, with "\\",
// "\t" and "\n" escaped). The box is answered as without the journal.
#include <string>
#include <vector>

#include "display/Desktop.h"

namespace display {

constexpr const char* kDesktopJournalVariable = "DORV_DESKTOP_JOURNAL";

// The boxes a journal file holds, oldest first (owner and answer not kept).
std::vector<MessageBoxCall> ReadMessageBoxJournal(const std::string& file);

}  // namespace display
