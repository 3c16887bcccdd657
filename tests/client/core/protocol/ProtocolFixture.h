#pragma once
// A process-wide server list pointing at a given service, and the account
// data of a signed-in (or not yet signed-in) user, for request tests.
#include <gtest/gtest.h>

#include <string>

#include "TempDir.h"
#include "client/core/account/AccountData.h"
#include "client/core/protocol/RequestHeader.h"
#include "client/core/protocol/ServerList.h"

namespace protocoltest {

// A server_list.xml with every entry below base; the upload and download
// hosts have addresses of their own, so that a request sent to the other
// one shows.
inline std::string ServerListXml(const std::string& base) {
  return "<servers>\n"
         "  <link_server url=\"" +
         base +
         "/link/service/\"/>\n"
         "  <app_server url=\"" +
         base +
         "/app/service/\"/>\n"
         "  <rpc_server url=\"" +
         base +
         "/fs/service/\"/>\n"
         "  <upload_server url=\"" +
         base +
         "/dfs/upload/\"/>\n"
         "  <download_server url=\"" +
         base +
         "/dfs/download/\"/>\n"
         "  <rsync_server url=\"" +
         base +
         "/dfs/service/\"/>\n"
         "  <update_xml_url url=\"" +
         base +
         "/client/dorv/update/update.xml\"/>\n"
         "</servers>\n";
}

inline void UseServerList(const std::string& xml) {
  dorvtest::TempDir dir;
  dorvtest::WriteFile(dir / "server_list.xml", xml);
  ServerList::LoadInstance(juce::File((dir / "server_list.xml").string()));
}

enum class SignedIn { No, Yes };

inline void SetAccount(const std::string& account, SignedIn signedIn, const std::string& sid = "sid-1",
                       juce::int64 userId = 42) {
  AccountData* data = GetAccountData();
  AccountSnapshot snapshot = data->GetSnapshot();
  snapshot.m_sAccount = juce::String::fromUTF8(account.c_str());
  snapshot.m_sSessionID = juce::String::fromUTF8(sid.c_str());
  snapshot.UserID = userId;
  data->SetSnapshot(snapshot);
  data->SetLoggedIn(signedIn == SignedIn::Yes);
}

}  // namespace protocoltest
