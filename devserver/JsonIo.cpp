#include "JsonIo.h"

#include <limits>
#include <memory>

#include "ServiceError.h"

namespace devserver {

namespace {

[[noreturn]] void Bad(std::string_view path, const char* what) {
  throw ServiceError(Code::BadRequest, std::string(what) + ": " + std::string(path));
}

const Json::Value& Required(const Json::Value& root, std::string_view path) {
  const Json::Value* v = FindMember(root, path);
  if (!v) Bad(path, "missing member");
  return *v;
}

int64_t AsInt64(const Json::Value& v, std::string_view path) {
  if (v.isBool() || v.isString() || !v.isInt64()) Bad(path, "not an integer");
  return v.asInt64();
}

int32_t AsInt32(const Json::Value& v, std::string_view path) {
  int64_t n = AsInt64(v, path);
  if (n < std::numeric_limits<int32_t>::min() || n > std::numeric_limits<int32_t>::max()) Bad(path, "out of range");
  return static_cast<int32_t>(n);
}

std::string AsString(const Json::Value& v, std::string_view path) {
  if (!v.isString()) Bad(path, "not a string");
  return v.asString();
}

}  // namespace

Json::Value ParseObject(const std::string& text) {
  Json::CharReaderBuilder builder;
  Json::CharReaderBuilder::strictMode(&builder.settings_);
  builder.settings_["stackLimit"] = 100;
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  Json::Value root;
  std::string errors;
  bool ok = false;
  try {
    ok = reader->parse(text.data(), text.data() + text.size(), &root, &errors);
  } catch (const std::exception&) {
    ok = false;
  }
  if (!ok) throw ServiceError(Code::BadRequest, "malformed JSON body");
  if (!root.isObject()) throw ServiceError(Code::BadRequest, "body is not a JSON object");
  return root;
}

const Json::Value* FindMember(const Json::Value& root, std::string_view path) {
  const Json::Value* cur = &root;
  while (!path.empty()) {
    size_t dot = path.find('.');
    std::string_view name = path.substr(0, dot);
    if (!cur->isObject()) return nullptr;
    cur = cur->find(name.data(), name.data() + name.size());
    if (!cur) return nullptr;
    path = dot == std::string_view::npos ? std::string_view() : path.substr(dot + 1);
  }
  return cur->isNull() ? nullptr : cur;
}

int64_t ReqInt64(const Json::Value& root, std::string_view path) { return AsInt64(Required(root, path), path); }
int32_t ReqInt32(const Json::Value& root, std::string_view path) { return AsInt32(Required(root, path), path); }
std::string ReqString(const Json::Value& root, std::string_view path) { return AsString(Required(root, path), path); }

std::optional<int64_t> OptInt64(const Json::Value& root, std::string_view path) {
  const Json::Value* v = FindMember(root, path);
  if (!v) return std::nullopt;
  return AsInt64(*v, path);
}

int32_t OptInt32(const Json::Value& root, std::string_view path, int32_t fallback) {
  const Json::Value* v = FindMember(root, path);
  return v ? AsInt32(*v, path) : fallback;
}

std::string OptString(const Json::Value& root, std::string_view path, const std::string& fallback) {
  const Json::Value* v = FindMember(root, path);
  return v ? AsString(*v, path) : fallback;
}

bool OptBool(const Json::Value& root, std::string_view path, bool fallback) {
  const Json::Value* v = FindMember(root, path);
  if (!v) return fallback;
  if (!v->isBool()) Bad(path, "not a boolean");
  return v->asBool();
}

std::string ToText(const Json::Value& value) {
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "";
  builder["emitUTF8"] = true;
  return Json::writeString(builder, value);
}

}  // namespace devserver
