#pragma once
// What an entry of the tray menu's recent files carries: the file's full local path.
#include <juce_core/juce_core.h>

#include "ui/menu/IMenu.h"

struct MenuRecentFile : UI::IMenuData {
  explicit MenuRecentFile(juce::String path) : m_sPath(std::move(path)) {}
  juce::String m_sPath;
};
