#include "client/sync/status/SyncPathList.h"

#include <tinyxml.h>

#include <cwchar>
#include <vector>

#include "client/core/account/AccountData.h"
#include "client/sync/SyncHelper.h"
#include "common/MutiLanSupport.h"
#include "common/PathText.h"
#include "common/PrivateFiles.h"
#include "common/StringConvert.h"
#include "common/XmlParse.h"

namespace {

constexpr int kTipTextLength = 127;

CString Table(const wchar_t* id) {
  Common::CMutiLanSupport* table = Common::CMutiLanSupport::GetInstance();
  return table ? table->GetStringViaID(id) : CString();
}

// The string table's texts come from a file: each conversion in the text takes
// the next argument as it is, a conversion without an argument takes nothing,
// so a text with stray or missing conversions can't read past the arguments.
CString FillIn(const CString& format, const std::vector<CString>& args) {
  const std::wstring text = static_cast<LPCWSTR>(format);
  std::wstring out;
  std::size_t next = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != L'%' || i + 1 >= text.size()) {
      out += text[i];
      continue;
    }
    if (text[i + 1] == L'%') {
      out += L'%';
      ++i;
      continue;
    }
    // Flags, width, precision and size prefixes up to the conversion letter.
    std::size_t j = i + 1;
    while (j < text.size() && std::wcschr(L"-+ #0123456789.*lhIwL", text[j])) ++j;
    if (j >= text.size()) {
      out += text.substr(i);
      break;
    }
    if (next < args.size()) out += static_cast<LPCWSTR>(args[next]);
    ++next;
    i = j;
  }
  return CString(out.c_str());
}

CString Number(int value) { return CString(std::to_wstring(value).c_str()); }

// The tip text of one entry; empty for an unknown kind.
CString TipPiece(const SyncPathEntry& entry) {
  const CString name =
      Common::String_To_CString(SyncHelper::ShortenFileName(Common::String_GetFileName(entry.m_sPath)));
  const bool folder = juce::File(entry.m_sPath).isDirectory();
  switch (entry.m_nKind) {
    case TIP_DISK_FULL: return FillIn(Table(L"STRID_TRAYICONTIPINFO_DISKSPACENOTENOUGH"), {name});
    case TIP_SPACE_EXHAUSTED: return FillIn(Table(L"STRID_TRAYICONTIPINFO_SPACENOTENOUGH"), {name});
    case TIP_FILE_COUNT_LIMIT:
      return FillIn(Table(L"STRID_TRAYICONTIPINFO_INFOEXCEEDFILENUMLIMIT"),
                    {Number(GetAccountData()->GetUserConfig().UC_FilesTotalNumLimit), name});
    case TIP_FOLDER_DEPTH_LIMIT:
      return FillIn(Table(L"STRID_TRAYICONTIPINFO_INFOEXCEEDDIREDDPLIMIT"),
                    {Number(GetAccountData()->GetUserConfig().UC_DirDepthLimit)});
    case TIP_OCCUPIED:
      return FillIn(Table(folder ? L"STRID_TRAYICONNOTIFYINFO_INFOFOLDERBEOCCUPIED"
                                 : L"STRID_TRAYICONTIPINFO_INFOFILEBEOCCUPIED"),
                    {name});
    case TIP_FILE_TOO_BIG:
      return FillIn(Table(L"STRID_TRAYICONTIPINFO_INFOFILETOOBIG"),
                    {name, Number(GetAccountData()->GetUserConfig().UC_FileSizeLimit / 1048576)});
    case TIP_NAME_TOO_LONG:
      return FillIn(Table(folder ? L"STRID_TRAYICONNOTIFYINFO_FOLDER_NAME_TOLONG"
                                 : L"STRID_TRAYICONNOTIFYINFO_FILE_NAME_TOLONG"),
                    {name});
    case TIP_FOLDER_COUNT_LIMIT:
      return FillIn(Table(L"STRID_TRAYICONNOTIFYINFO_FOLDER_EXCEEDNUMLIMIT"),
                    {Number(GetAccountData()->GetUserConfig().UC_TotalDirsNumLinit), name});
    default: return CString();
  }
}

}  // namespace

SyncPathList::~SyncPathList() { Clear(); }

void SyncPathList::Clear() {
  m_entries.clear();
  m_nCount = 0;
}

void SyncPathList::CopyFrom(SyncPathList& source) {
  if (&source == this) return;
  const juce::ScopedLock hold(source.m_lock);
  m_entries = source.m_entries;
  m_nCount = source.m_nCount;
}

void SyncPathList::AddUnique(const juce::String& path, int kind) {
  const juce::ScopedLock hold(m_lock);
  for (const SyncPathEntry& entry : m_entries)
    if (entry.m_sPath == path && entry.m_nKind == kind) return;
  if (m_nCount >= m_nMax && !m_entries.empty()) {
    m_entries.pop_front();
    --m_nCount;
  }
  m_entries.push_back({path, kind});
  ++m_nCount;
}

void SyncPathList::AddMoveToFront(const juce::String& path, int kind) {
  const juce::ScopedLock hold(m_lock);
  for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
    if (it->m_sPath == path) {
      m_entries.erase(it);
      --m_nCount;
      break;
    }
  }
  m_entries.push_front({path, kind});
  ++m_nCount;
  if (m_nCount > m_nMax) {
    m_entries.pop_back();
    --m_nCount;
  }
}

bool SyncPathList::RemovePath(const juce::String& path) {
  const juce::ScopedLock hold(m_lock);
  bool removed = false;
  for (auto it = m_entries.begin(); it != m_entries.end();) {
    if (it->m_sPath.contains(path)) {
      it = m_entries.erase(it);
      --m_nCount;
      removed = true;
    } else {
      ++it;
    }
  }
  return removed;
}

bool SyncPathList::ComposeTipText(CString& text, int reserve) {
  const juce::ScopedLock hold(m_lock);
  text = L"";
  int budget = kTipTextLength - reserve;
  int skip = m_nCount > m_nShown ? m_nCount - m_nShown : 0;
  for (const SyncPathEntry& entry : m_entries) {
    if (skip > 0) {
      --skip;
      continue;
    }
    text += L"\n";
    if (entry.m_nKind < TIP_DISK_FULL || entry.m_nKind > TIP_FOLDER_COUNT_LIMIT) continue;
    const CString piece = TipPiece(entry);
    if (piece.GetLength() >= budget) break;
    text += piece;
    budget -= piece.GetLength() + 1;
  }
  return true;
}

bool SyncPathList::LoadFromXml(const juce::File& file) {
  const juce::ScopedLock hold(m_lock);
  Clear();
  TiXmlDocument document;
  if (!Common::LoadXmlFile(document, file.getFullPathName().toStdString(), Common::XmlBytes::AsFound, TIXML_ENCODING_UTF8))
    return false;
  const TiXmlElement* root = document.RootElement();
  if (!root || std::string(root->Value()) != "RecentlyFiles") return false;
  int seen = 0;
  for (const TiXmlElement* element = root->FirstChildElement("File"); element && seen < m_nMax;
       element = element->NextSiblingElement("File"), ++seen) {
    const char* path = element->Attribute("Path");
    if (!path) continue;
    int deleted = 1;
    element->QueryIntAttribute("Deleted", &deleted);
    m_entries.push_back({juce::String::fromUTF8(path), deleted != 0 ? 1 : 0});
    ++m_nCount;
  }
  return true;
}

bool SyncPathList::SaveToXml(const juce::File& file) {
  const juce::ScopedLock hold(m_lock);
  TiXmlDocument document;
  auto* root = new TiXmlElement("RecentlyFiles");
  document.LinkEndChild(root);
  for (const SyncPathEntry& entry : m_entries) {
    auto* element = new TiXmlElement("File");
    element->SetAttribute("Path", entry.m_sPath.toRawUTF8());
    element->SetAttribute("Deleted", entry.m_nKind != 0 ? 1 : 0);
    root->LinkEndChild(element);
  }
  TiXmlPrinter printer;
  document.Accept(&printer);
  // Written beside the file and put in its place, so a crash leaves the old list.
  if (!file.getParentDirectory().createDirectory() ||
      !Common::MakePrivateFolder(file.getParentDirectory().getFullPathName().toStdString()) ||
      !file.replaceWithData(printer.CStr(), printer.Size()))
    return false;
  // The replacement is a new file, made with the umask's mode.
  return Common::MakePrivateFile(file.getFullPathName().toStdString());
}

std::list<SyncPathEntry> SyncPathList::GetEntries() {
  const juce::ScopedLock hold(m_lock);
  return m_entries;
}

int SyncPathList::GetCount() {
  const juce::ScopedLock hold(m_lock);
  return m_nCount;
}
