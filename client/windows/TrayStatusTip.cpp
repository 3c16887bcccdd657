#include "client/windows/TrayStatusTip.h"

#include "client/core/GlobalConfig.h"
#include "client/sync/status/SyncPathList.h"
#include "client/sync/status/SyncStatusTracker.h"
#include "client/windows/TableFormat.h"
#include "common/MutiLanSupport.h"

namespace {

CString Text(const wchar_t* key) {
  CString id(L"STRID_");
  id += key;
  return Common::CMutiLanSupport::GetInstance()->GetStringViaID(id);
}

// value / unit rounded to the nearest whole, a half to the even neighbour.
juce::int64 RoundedDivide(juce::int64 value, juce::int64 unit) {
  juce::int64 whole = value / unit;
  const juce::int64 rest = value % unit;
  if (2 * rest > unit || (2 * rest == unit && whole % 2 != 0)) ++whole;
  return whole;
}

CString TransferLine(bool upload, const SyncStatusTracker::TransferFigures& figures) {
  CString line;
  if (figures.fileCount != 0) FormatTransferTip(upload, line, figures.rate, figures.fileCount, figures.timeLeft);
  return line;
}

}  // namespace

void FormatTransferTip(bool upload, CString& out, juce::int64 rate, juce::int64 count, juce::int64 secondsLeft) {
  if (rate == 0) {
    out = FormatTableText(Text(upload ? L"TRAYICONTIPINFO_UPLOADINGNOSPEED" : L"TRAYICONTIPINFO_DOWNLOADINGNOSPEED"), "D", count);
    return;
  }
  constexpr juce::int64 kMiB = 1048576;
  const bool megabytes = rate >= kMiB;
  const double speed = static_cast<double>(rate) / (megabytes ? kMiB : 1024);
  juce::int64 timeLeft = secondsLeft;
  const wchar_t* unitKey = L"TRAYICONTIPINFO_SECOND";
  if (secondsLeft >= 3600) {
    timeLeft = RoundedDivide(secondsLeft, 3600);
    unitKey = L"TRAYICONTIPINFO_HOUR";
  } else if (secondsLeft >= 60) {
    timeLeft = RoundedDivide(secondsLeft, 60);
    unitKey = L"TRAYICONTIPINFO_MINUTES";
  }
  out = FormatTableText(Text(upload ? L"TRAYICONTIPINFO_UPLOADING" : L"TRAYICONTIPINFO_DOWNLOADING"), "DfsDs", count, speed,
             megabytes ? L"MB" : L"KB", timeLeft, static_cast<LPCTSTR>(Text(unitKey)));
}

void BuildStatusTipText(SyncStatusTracker* tracker, SyncPathList* tipList, CString& out, int reserve) {
  out.Empty();
  if (tracker) {
    const int net = tracker->m_nNetState.load();
    if (net == SyncStatusTracker::NET_LOCAL_DOWN) {
      out = Text(L"TRAYICONTIPINFO_CONNECTING");
    } else if (net == SyncStatusTracker::NET_SERVICE_UNREACHABLE) {
      out = Text(L"TRAYICONTIPINFO_CONNECTINGSERVER");
    } else if (net == SyncStatusTracker::NET_PROXY_UNREACHABLE) {
      out = Text(L"TRAYICONTIPINFO_PROXYUNREACHABLE");
    } else {
      switch (tracker->m_nEngineState.load()) {
        case 0: out = Text(L"TRAYICONTIPINFO_PLEASELOGIN"); break;
        case 1: out = Text(L"TRAYICONTIPINFO_SYNCSOTP"); break;
        case 2: out = Text(L"TRAYICONTIPINFO_AUTOLOGIN"); break;
        case 3: out = Text(L"MENU_TRAYICON_SETTING"); break;
        case 4:
          switch (tracker->m_nSyncState.load()) {
            case SyncStatusTracker::SYNC_SYNCED: out = Text(L"TRAYICONTIPINFO_SYNCCOMPLETE"); break;
            case SyncStatusTracker::SYNC_SYNCING:
              switch (tracker->m_nTransferState.load()) {
                case SyncStatusTracker::TRANSFER_IDLE: out = Text(L"TRAYICONTIPINFO_CHECKFILECHANGE"); break;
                case SyncStatusTracker::TRANSFER_UP: out = TransferLine(true, tracker->GetUpFigures()); break;
                case SyncStatusTracker::TRANSFER_DOWN: out = TransferLine(false, tracker->GetDownFigures()); break;
                case SyncStatusTracker::TRANSFER_BOTH:
                  out = TransferLine(true, tracker->GetUpFigures());
                  out += L"\n";
                  out += TransferLine(false, tracker->GetDownFigures());
                  break;
                default: out = Text(L"TRAYICONTIPINFO_SYNCING"); break;
              }
              break;
            case SyncStatusTracker::SYNC_ERROR:
              if (!tipList || tipList->GetCount() == 0) out = Text(L"TRAYICONTIPINFO_UNKNOWNERROR");
              break;
            default: break;
          }
          break;
        default: break;
      }
    }
  }
  if (!tipList) return;
  CString recent;
  if (!tipList->ComposeTipText(recent, out.GetLength() + reserve + 1) || recent.IsEmpty()) return;
  if (out.IsEmpty()) recent = recent.Mid(1);
  if (!recent.IsEmpty() && recent[recent.GetLength() - 1] == L'\n') recent = recent.Left(recent.GetLength() - 1);
  out += recent;
}

CString BuildTrayTip(SyncStatusTracker* tracker, SyncPathList* tipList) {
  CString tip;
  CString version;
  if (GlobalConfig* config = GetGlobalConfig()) version = config->m_strVersion;
  tip = FormatTableText(Text(L"TRAYICONTIPINFO_VERSION"), "s", static_cast<LPCTSTR>(version));
  CString status;
  BuildStatusTipText(tracker, tipList, status, tip.GetLength());
  if (!status.IsEmpty()) {
    tip += L"\n";
    tip += status;
  }
  return tip;
}
