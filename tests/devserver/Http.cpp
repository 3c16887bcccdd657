#include "Http.h"

#include <md5.h>

#include <algorithm>
#include <functional>
#include <memory>

namespace devtest {

namespace {

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  static_cast<std::string*>(user)->append(data, size * count);
  return size * count;
}

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
  std::string line(data, size * count);
  size_t colon = line.find(':');
  if (colon != std::string::npos) {
    std::string name = line.substr(0, colon);
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    std::string value = line.substr(colon + 1);
    value.erase(0, value.find_first_not_of(" \t"));
    value.erase(value.find_last_not_of("\r\n \t") + 1);
    (*static_cast<std::map<std::string, std::string>*>(user))[name] = value;
  }
  return size * count;
}

HttpReply Perform(const std::string& url, const Headers& headers,
                  const std::function<void(CURL*)>& configure) {
  HttpReply reply;
  CURL* curl = curl_easy_init();
  curl_slist* list = nullptr;
  for (const auto& [name, value] : headers) list = curl_slist_append(list, (name + ": " + value).c_str());
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, list);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reply.body);
  curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, OnHeader);
  curl_easy_setopt(curl, CURLOPT_HEADERDATA, &reply.headers);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, 60L);
  configure(curl);
  reply.error = curl_easy_perform(curl);
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &reply.status);
  curl_slist_free_all(list);
  curl_easy_cleanup(curl);
  return reply;
}

}  // namespace

Json::Value HttpReply::Json() const {
  Json::CharReaderBuilder builder;
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  Json::Value root;
  std::string errors;
  if (!reader->parse(body.data(), body.data() + body.size(), &root, &errors)) return Json::Value();
  return root;
}

int HttpReply::Code() const {
  Json::Value root = Json();
  return root.isObject() && root["code"].isInt() ? root["code"].asInt() : -1;
}

HttpReply HttpGet(const std::string& url, const Headers& headers) {
  return Perform(url, headers, [](CURL*) {});
}

HttpReply HttpPost(const std::string& url, const std::string& body, const Headers& headers) {
  return Perform(url, headers, [&](CURL* curl) {
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
  });
}

HttpReply HttpGetWithBody(const std::string& url, const std::string& body, const Headers& headers) {
  return Perform(url, headers, [&](CURL* curl) {
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, "GET");
  });
}

HttpReply HttpPostMultipart(const std::string& url, const std::vector<std::pair<std::string, std::string>>& fields,
                            const std::string& fileName, const std::string& fileBytes, const Headers& headers) {
  curl_mime* mime = nullptr;
  HttpReply reply = Perform(url, headers, [&](CURL* curl) {
    mime = curl_mime_init(curl);
    for (const auto& [name, value] : fields) {
      curl_mimepart* part = curl_mime_addpart(mime);
      curl_mime_name(part, name.c_str());
      curl_mime_data(part, value.data(), value.size());
    }
    if (!fileName.empty()) {
      curl_mimepart* part = curl_mime_addpart(mime);
      curl_mime_name(part, fileName.c_str());
      curl_mime_filename(part, "block");
      curl_mime_data(part, fileBytes.data(), fileBytes.size());
    }
    curl_easy_setopt(curl, CURLOPT_MIMEPOST, mime);
  });
  curl_mime_free(mime);
  return reply;
}

std::string Md5(const std::string& bytes) {
  MD5_CTX ctx;
  MD5Init(&ctx);
  MD5Update(&ctx, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  char hex[MD5_DIGEST_STRING_LENGTH];
  MD5End(&ctx, hex);
  return hex;
}

std::string ToJson(const Json::Value& value) {
  // Pretty-printed with a 3-space indent and a closing line break, as the
  // client writes its bodies.
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "   ";
  return Json::writeString(builder, value) + "\n";
}

}  // namespace devtest
