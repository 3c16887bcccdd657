#include "client/windows/WebLinks.h"

#include "client/core/LogWriter.h"
#include "client/core/stats/StatisticsTask.h"
#include "common/StringConvert.h"
#include "common/WebShell.h"
#include "win32/Windows.h"

const wchar_t* const kHelpPageUrl = L"http://www.halvorn.net/help.html";
const wchar_t* const kFeedbackPageUrl = L"http://bbs.halvorn.net/forum-qa.html";

namespace {

// The service's mail domains and the web host of each (the two VIP domains of
// one family share a host).
struct WebHost {
  const char* domain;
  const char* host;
};
const WebHost kWebHosts[] = {
    {"halvorn.com", "pan.halvorn.com"},     {"vip.halvorn.com", "vip.pan.halvorn.com"},
    {"halvorn.net", "pan.halvorn.net"},     {"vip.halvorn.net", "vip.pan.halvorn.com"},
    {"halvorn.cn", "pan.halvorn.cn"},       {"halvorn.vip", "pan.halvorn.vip"},
    {"mail.halvorn.net", "mail.pan.halvorn.net"},
};

void OpenWeb(const juce::String& url) { Common::SafeOpenWeb(Common::String_To_CString(url), SW_SHOWMAXIMIZED); }

juce::String EntryAddress(const juce::String& userName) {
  return "http://" + GetURLHead(userName) + "/netfolder/web/entry.do?" + "username=" + userName;
}

}  // namespace

juce::String GetURLHead(const juce::String& userName) {
  const int at = userName.lastIndexOfChar('@');
  if (at <= 0) {
    WriteMessageLog(ErrorLog, "GetURLHead username is Error, UserName is " + userName);
    return {};
  }
  const juce::String domain = userName.substring(at + 1).toLowerCase();
  for (const WebHost& entry : kWebHosts)
    if (domain == entry.domain) return entry.host;
  WriteMessageLog(ErrorLog, "GetURLHead type is Error, UserName is " + userName);
  return {};
}

void OpenAccountWebsite(const juce::String& userName, juce::int64 rootFolderId) {
  OpenWeb(EntryAddress(userName) + "&target=list" + "&dirId=" + juce::String(rootFolderId));
}

void OpenCreditGuidePage(const juce::String& userName) { OpenWeb(EntryAddress(userName) + "&target=upgrade"); }

void OpenHelpCenter() {
  OpenWeb(juce::String(kHelpPageUrl));
  ReportUsageEvent("default", "enter_help_center");
}

void OpenFeedbackPage() {
  OpenWeb(juce::String(kFeedbackPageUrl));
  ReportUsageEvent("default", "feedback");
}
