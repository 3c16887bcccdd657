#include "client/core/protocol/RequestFrame.h"

#include "client/core/account/AccountData.h"
#include "client/core/protocol/JsonText.h"
#include "client/core/protocol/QueryString.h"
#include "net/HttpRequest.h"

std::string AccountOperationUrl(const std::string& base, const std::string& operation) {
  std::string url = OperationUrl(base, operation);
  AccountData* account = GetAccountData();
  if (account->IsLoggedIn()) AppendQueryString(account->GetAccount().toStdString(), url, "a");
  return url;
}

void AddRequestHeaders(const RequestHeader& header, Net::HttpRequest* request) {
  if (!request) return;
  request->AddHeaderField("Authorization", header.authorization);
  request->AddHeaderField("x-hlvn-meta-product", header.product);
}

void SetJsonPostContent(const Json::Value& value, Net::HttpRequest* request) {
  if (!request || value.isNull()) return;
  request->SetPostContent(JsonToText(value));
}
