#include "client/core/protocol/RequestFrame.h"

#include "client/core/account/AccountData.h"
#include "client/core/account/ProductInfo.h"
#include "client/core/protocol/JsonText.h"
#include "client/core/protocol/QueryString.h"
#include "client/core/protocol/ServerList.h"
#include "net/HttpRequest.h"

RequestHeader CurrentRequestHeader() {
  const ProductInfo product = GetProductInfo();
  const AccountSnapshot account = GetAccountData()->GetSnapshot();
  return RequestHeader(product.ProductName.toStdString(), account.UserID, account.m_sSessionID.toStdString());
}

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

std::string FileSystemUrl(const std::string& operation) {
  return AccountOperationUrl(ServerList::GetInstance()->GetRpcServer(), operation);
}

std::string FileSystemUrl(const std::string& operation, int64_t id, const RequestHeader& header) {
  std::string url = FileSystemUrl(operation);
  AppendQueryInt64(url, "id", id);
  AppendQueryInt64(url, "userId", header.userId);
  return url;
}

void FillFileSystemRequest(Net::HttpRequest* request, Net::HTTPMETHOD method, const std::string& url,
                           const RequestHeader& header, const Json::Value& body) {
  request->SetHttpRequest(method, url);
  AddRequestHeaders(header, request);
  SetJsonPostContent(body, request);
}
