#include "net/HttpTransport.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>
#include <strings.h>

#include "net/CurlGlobal.h"
#include "net/CurlRunner.h"
#include "net/HttpDataStream.h"
#include "net/NetTrace.h"
#include "net/SpeedPacer.h"

namespace Net {

namespace {

bool HasHeader(const HttpRequest& request, const char* name) {
  for (const auto& header : request.GetHeaders())
    if (strcasecmp(header.first.c_str(), name) == 0) return true;
  return false;
}

int ClampToInt(curl_off_t v) { return static_cast<int>(std::clamp<curl_off_t>(v, 0, INT_MAX)); }

bool IsFollowedRedirect(long status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// Host and port of a URL, `location` resolved against `base` when not empty;
// false when it does not resolve.
bool HostAndPort(const std::string& base, const std::string& location, std::string& host, std::string& port) {
  CURLU* u = curl_url();
  if (u == nullptr) return false;
  bool ok = curl_url_set(u, CURLUPART_URL, base.c_str(), CURLU_NON_SUPPORT_SCHEME) == CURLUE_OK &&
            (location.empty() ||
             curl_url_set(u, CURLUPART_URL, location.c_str(), CURLU_NON_SUPPORT_SCHEME) == CURLUE_OK);
  char* part = nullptr;
  if (ok && curl_url_get(u, CURLUPART_HOST, &part, 0) == CURLUE_OK) {
    host = part;
    for (char& c : host) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    curl_free(part);
  } else {
    ok = false;
  }
  if (ok && curl_url_get(u, CURLUPART_PORT, &part, CURLU_DEFAULT_PORT) == CURLUE_OK) {
    port = part;
    curl_free(part);
  } else {
    port.clear();  // a scheme without a known port: compared as it is
  }
  curl_url_cleanup(u);
  return ok;
}

}  // namespace

struct HttpTransport::Exchange {
  // Reads a body part for libcurl, held to the upload limit.
  struct BodyReader {
    Exchange* x;
    IHttpFile* file;
    int64_t size;
    int64_t offset = 0;

    static size_t Read(char* buffer, size_t size, size_t items, void* user) {
      auto* r = static_cast<BodyReader*>(user);
      if (r->offset >= r->size) return 0;
      if (r->x->up.WaitMs() > 0) {
        r->x->sendPaused = true;
        return CURL_READFUNC_PAUSE;
      }
      size_t want = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(size * items), r->size - r->offset));
      size_t got = r->file->UploadFile(buffer, want, r->offset);
      if (got == 0) return CURL_READFUNC_ABORT;  // shorter than it said
      r->offset += static_cast<int64_t>(got);
      r->x->up.Count(got);
      return got;
    }
    static int Seek(void* user, curl_off_t offset, int origin) {
      auto* r = static_cast<BodyReader*>(user);
      if (origin != SEEK_SET || offset < 0 || offset > r->size) return CURL_SEEKFUNC_FAIL;
      r->offset = offset;
      return CURL_SEEKFUNC_OK;
    }
  };

  HttpTransport* self;
  HttpResponse* response;
  std::string url;
  curl_slist* headers = nullptr;
  curl_mime* mime = nullptr;
  std::unique_ptr<HttpDataStream> content;
  std::vector<std::unique_ptr<BodyReader>> readers;
  std::shared_ptr<detail::CurlShare> share;
  std::string range;
  bool bodyBegun = false;
  bool writeFailed = false;
  // Limits of this exchange.
  int64_t maxBody = -1;
  int64_t received = 0;  // of the current answer's body
  bool tooLarge = false;
  // Redirects: whether the request carries a body, where it went first, and
  // the current answer's Location.
  bool hasBody = false;
  std::string firstHost, firstPort;
  std::string location;
  bool redirectRefused = false;
  curl_off_t lastSent = -1;
  curl_off_t lastReceived = -1;
  detail::SpeedPacer up{&detail::UploadSpeedLimit};
  detail::SpeedPacer down{&detail::DownloadSpeedLimit};
  bool sendPaused = false;
  bool recvPaused = false;

  ~Exchange() {
    if (headers != nullptr) curl_slist_free_all(headers);
    if (mime != nullptr) curl_mime_free(mime);
  }

  BodyReader* AddReader(IHttpFile* file, int64_t size) {
    readers.push_back(std::make_unique<BodyReader>(BodyReader{this, file, size}));
    return readers.back().get();
  }

  // Lets a paused direction go on once its limit allows; returns how long
  // the transfer may wait for the network before looking again.
  int64_t BeforeWait() {
    if (!sendPaused && !recvPaused) return -1;
    int64_t wait = -1;
    bool changed = false;
    for (auto [paused, pacer] : {std::pair{&sendPaused, &up}, std::pair{&recvPaused, &down}}) {
      if (!*paused) continue;
      int64_t ms = pacer->WaitMs();
      if (ms <= 0) {
        *paused = false;
        changed = true;
      } else if (wait < 0 || ms < wait) {
        wait = ms;
      }
    }
    if (changed) {
      curl_easy_pause(self->m_easy, (sendPaused ? CURLPAUSE_SEND : 0) | (recvPaused ? CURLPAUSE_RECV : 0));
      return 0;
    }
    return wait;
  }

  static size_t OnHeader(char* data, size_t size, size_t items, void* user) {
    auto* x = static_cast<Exchange*>(user);
    size_t n = size * items;
    if (n >= 5 && std::memcmp(data, "HTTP/", 5) == 0) {
      x->bodyBegun = false;  // a new answer (after a redirect or a 100 Continue)
      x->received = 0;
      x->location.clear();
    } else if (n > 9 && strncasecmp(data, "Location:", 9) == 0) {
      std::string value(data + 9, n - 9);
      const size_t first = value.find_first_not_of(" \t");
      const size_t last = value.find_last_not_of(" \t\r\n");
      x->location = first == std::string::npos ? std::string() : value.substr(first, last - first + 1);
    } else if ((n == 2 && data[0] == '\r') || (n == 1 && data[0] == '\n')) {
      long status = 0;
      curl_easy_getinfo(x->self->m_easy, CURLINFO_RESPONSE_CODE, &status);
      if (x->hasBody && IsFollowedRedirect(status) && !x->location.empty() && !x->RedirectStaysOnHost()) {
        // libcurl would send the body again (307, 308) to whoever the
        // server names: the exchange ends here instead.
        x->redirectRefused = true;
        return 0;
      }
      if (status >= 200) {
        curl_off_t length = -1;
        curl_easy_getinfo(x->self->m_easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
        // Memory is reserved for what the server announced, never past the
        // reply cap: a lying announcement fails at the cap anyway.
        if (x->maxBody >= 0 && length > x->maxBody) length = x->maxBody;
        if (!x->response->BeginBody(length)) return 0;
        x->bodyBegun = true;
      }
    }
    return n;
  }

  bool RedirectStaysOnHost() const {
    char* current = nullptr;
    curl_easy_getinfo(self->m_easy, CURLINFO_EFFECTIVE_URL, &current);
    std::string host, port;
    if (current == nullptr || !HostAndPort(current, location, host, port)) return false;
    return host == firstHost && port == firstPort;
  }

  static size_t OnBody(char* data, size_t size, size_t items, void* user) {
    auto* x = static_cast<Exchange*>(user);
    size_t n = size * items;
    if (x->down.WaitMs() > 0) {
      x->recvPaused = true;
      return CURL_WRITEFUNC_PAUSE;  // libcurl keeps the data for later
    }
    if (x->maxBody >= 0 && x->received + static_cast<int64_t>(n) > x->maxBody) {
      x->tooLarge = true;
      return 0;
    }
    x->received += static_cast<int64_t>(n);
    x->down.Count(n);
    if (!x->bodyBegun) {
      if (!x->response->BeginBody(-1)) return 0;
      x->bodyBegun = true;
    }
    if (!x->response->AppendBody(data, n)) {
      x->writeFailed = true;
      return 0;
    }
    return n;
  }

  static int OnProgress(void* user, curl_off_t dlTotal, curl_off_t dlNow, curl_off_t ulTotal, curl_off_t ulNow) {
    auto* x = static_cast<Exchange*>(user);
    HttpTransport* t = x->self;
    if (t->m_stopped) return 1;
    if (t->m_send && ulNow != x->lastSent && ulTotal > 0) {
      x->lastSent = ulNow;
      t->m_send(x->url, ClampToInt(ulNow), ClampToInt(ulTotal));
    }
    if (t->m_receive && dlNow != x->lastReceived && (dlNow > 0 || dlTotal > 0)) {
      x->lastReceived = dlNow;
      t->m_receive(x->url, ClampToInt(dlNow), ClampToInt(dlTotal));
    }
    return 0;
  }
};

HttpTransport::HttpTransport(bool longPoll)
    : m_idleSeconds(longPoll ? 300 : 60), m_longPoll(longPoll), m_runner(std::make_unique<detail::CurlRunner>()) {
  m_easy = curl_easy_init();
}

HttpTransport::~HttpTransport() {
  m_runner.reset();
  if (m_easy != nullptr) curl_easy_cleanup(m_easy);
}

void HttpTransport::SetProxy(const ProxyCfg& proxy) { m_proxy = proxy; }

void HttpTransport::SetTransportCallback(TransportDelegate send, TransportDelegate receive) {
  m_send = std::move(send);
  m_receive = std::move(receive);
}

void HttpTransport::SetTimeouts(int connectMs, int idleSeconds) {
  m_connectMs = std::max(1, connectMs);
  m_idleSeconds = std::max(1, idleSeconds);
}

void HttpTransport::SetLimits(const TransferLimits& limits) {
  m_limits = limits;
  m_limitsSet = true;
}

TransferLimits HttpTransport::CurrentLimits() const {
  if (m_limitsSet) return m_limits;
  return LimitsFor(m_longPoll ? RequestKind::LongPoll : m_bTransfer ? RequestKind::Transfer : RequestKind::Api);
}

void HttpTransport::Stop() {
  m_stopped = true;
  m_runner->Wake();
}

bool HttpTransport::Prepare(Exchange& x, HttpRequest& request, HttpResponse& response) {
  CURL* e = m_easy;
  curl_easy_reset(e);
  x.self = this;
  x.response = &response;
  x.url = request.GetUrl();
  std::string url = detail::EscapeUrl(request.GetUrl());
  curl_easy_setopt(e, CURLOPT_URL, url.c_str());  // libcurl copies strings
  curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(e, CURLOPT_MAXREDIRS, 5L);
  if (!HostAndPort(url, {}, x.firstHost, x.firstPort)) x.firstHost.clear();
  curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(m_connectMs));
  curl_easy_setopt(e, CURLOPT_TCP_KEEPALIVE, 1L);
  // Buffers no larger than a second's worth of a speed limit keep the
  // bursts between two pauses small.
  long receiveBuffer = m_bTransfer ? 512L * 1024 : CURL_MAX_WRITE_SIZE;
  if (int64_t limit = detail::DownloadSpeedLimit(); limit > 0)
    receiveBuffer = static_cast<long>(std::clamp<int64_t>(limit, 1024, receiveBuffer));
  curl_easy_setopt(e, CURLOPT_BUFFERSIZE, receiveBuffer);
  long sendBuffer = m_bTransfer ? 2L * 1024 * 1024 : 64L * 1024;
  if (int64_t limit = detail::UploadSpeedLimit(); limit > 0)
    sendBuffer = static_cast<long>(std::clamp<int64_t>(limit, 16 * 1024, sendBuffer));
  curl_easy_setopt(e, CURLOPT_UPLOAD_BUFFERSIZE, sendBuffer);
  if (!detail::ApplyProxy(e, m_proxy)) {
    m_lastError = "unusable proxy setting";
    return false;
  }
  x.share = detail::CurrentShare();
  if (x.share->Handle() != nullptr) curl_easy_setopt(e, CURLOPT_SHARE, x.share->Handle());

  for (const auto& [name, value] : request.GetHeaders()) {
    // "Name;" is libcurl's way to send a header with an empty value.
    std::string line = value.empty() ? name + ";" : name + ": " + value;
    x.headers = curl_slist_append(x.headers, line.c_str());
  }
  // No "Expect: 100-continue" round trip before a body.
  x.headers = curl_slist_append(x.headers, "Expect:");
  curl_easy_setopt(e, CURLOPT_HTTPHEADER, x.headers);

  int64_t uploadBytes = 0;
  x.hasBody = request.IsMultipart() || request.HasPostContent() || request.GetMethod() == HTTP_POST;
  if (request.IsMultipart()) {
    x.mime = curl_mime_init(e);
    for (const auto& [name, value] : request.GetFields()) {
      curl_mimepart* part = curl_mime_addpart(x.mime);
      curl_mime_name(part, name.c_str());
      curl_mime_data(part, value.data(), value.size());
    }
    for (const auto& file : request.GetFiles()) {
      int64_t size = file.file->ParseFile();
      if (size < 0) {
        m_lastError = "file part \"" + file.name + "\" cannot be read";
        return false;
      }
      uploadBytes += size;
      Exchange::BodyReader* reader = x.AddReader(file.file.get(), size);
      curl_mimepart* part = curl_mime_addpart(x.mime);
      curl_mime_name(part, file.name.c_str());
      curl_mime_filename(part, file.name.c_str());
      curl_mime_type(part, "application/octet-stream");
      curl_mime_data_cb(part, size, &Exchange::BodyReader::Read, &Exchange::BodyReader::Seek, nullptr, reader);
    }
    curl_easy_setopt(e, CURLOPT_MIMEPOST, x.mime);
  } else if (request.HasPostContent() || request.GetMethod() == HTTP_POST) {
    const std::string& body = request.GetPostContent();
    if (!HasHeader(request, "Content-Type")) {
      // libcurl would call any body a form; say what it is instead.
      size_t first = body.find_first_not_of(" \t\r\n");
      bool json = first != std::string::npos && (body[first] == '{' || body[first] == '[');
      x.headers = curl_slist_append(x.headers, json ? "Content-Type: application/json; charset=utf-8"
                                                     : "Content-Type: application/octet-stream");
      curl_easy_setopt(e, CURLOPT_HTTPHEADER, x.headers);
    }
    // Read through a callback rather than handed over whole, so that the
    // upload limit holds for plain bodies too.
    x.content = std::make_unique<HttpDataStream>(body.data(), static_cast<int>(body.size()));
    uploadBytes = static_cast<int64_t>(body.size());
    Exchange::BodyReader* reader = x.AddReader(x.content.get(), static_cast<int64_t>(body.size()));
    curl_easy_setopt(e, CURLOPT_POST, 1L);
    curl_easy_setopt(e, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    curl_easy_setopt(e, CURLOPT_READFUNCTION, &Exchange::BodyReader::Read);
    curl_easy_setopt(e, CURLOPT_READDATA, reader);
    curl_easy_setopt(e, CURLOPT_SEEKFUNCTION, &Exchange::BodyReader::Seek);
    curl_easy_setopt(e, CURLOPT_SEEKDATA, reader);
  }
  // A body makes libcurl POST; a GET that carries one keeps its method.
  if (request.GetMethod() == HTTP_GET && (request.IsMultipart() || request.HasPostContent()))
    curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, "GET");

  if (request.HasRange()) {
    x.range = std::to_string(request.GetRangeStart()) + "-";
    if (request.GetRangeEnd() >= 0) x.range += std::to_string(request.GetRangeEnd());
    curl_easy_setopt(e, CURLOPT_RANGE, x.range.c_str());
  }

  const TransferLimits limits = CurrentLimits();
  // libcurl looks at the speed once a second while the idle check is on,
  // waking the thread each time; a long poll, which goes without bytes by
  // design, leaves a dead connection by its deadline instead.
  if (!m_longPoll || limits.deadlineMs <= 0) {
    curl_easy_setopt(e, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(e, CURLOPT_LOW_SPEED_TIME, static_cast<long>(m_idleSeconds));
  }
  x.maxBody = limits.maxBodyBytes;
  if (request.HasRange() && request.GetRangeEnd() >= 0) {
    const int64_t length = std::max<int64_t>(0, int64_t{request.GetRangeEnd()} - request.GetRangeStart() + 1);
    x.maxBody = x.maxBody < 0 ? length : std::min(x.maxBody, length);
  }
  // A body announced larger than the cap fails before any of it is read.
  if (x.maxBody >= 0) curl_easy_setopt(e, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(x.maxBody));
  if (limits.deadlineMs > 0) {
    // The speed limits hold the bytes back on purpose: the time they take
    // at the limit is added.
    int64_t deadline = limits.deadlineMs;
    if (int64_t up = detail::UploadSpeedLimit(); up > 0) deadline += uploadBytes * 1000 / up;
    if (int64_t down = detail::DownloadSpeedLimit(); down > 0 && x.maxBody > 0) deadline += x.maxBody * 1000 / down;
    curl_easy_setopt(e, CURLOPT_TIMEOUT_MS, static_cast<long>(std::min<int64_t>(deadline, LONG_MAX)));
  }

  curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, &Exchange::OnHeader);
  curl_easy_setopt(e, CURLOPT_HEADERDATA, &x);
  curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &Exchange::OnBody);
  curl_easy_setopt(e, CURLOPT_WRITEDATA, &x);
  curl_easy_setopt(e, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(e, CURLOPT_XFERINFOFUNCTION, &Exchange::OnProgress);
  curl_easy_setopt(e, CURLOPT_XFERINFODATA, &x);
  return true;
}

bool HttpTransport::Transport(HttpRequest& request, HttpResponse& response) {
  response.SetStatusCode(0);
  m_lastError.clear();
  if (m_bRestart.exchange(false)) m_stopped = false;
  bool ok = false;
  if (m_easy == nullptr) {
    m_lastError = "no libcurl handle";
  } else if (m_stopped) {
    m_lastError = "stopped";
  } else {
    Exchange x;
    if (Prepare(x, request, response)) {
      CURLcode rc = m_runner->Run(m_easy, m_stopped, [&x] { return x.BeforeWait(); });
      if (rc == CURLE_OK) {
        long status = 0;
        curl_easy_getinfo(m_easy, CURLINFO_RESPONSE_CODE, &status);
        response.SetStatusCode(static_cast<int>(status));
        ok = true;
      } else if (x.tooLarge || rc == CURLE_FILESIZE_EXCEEDED) {
        m_lastError = "the response body is larger than " + std::to_string(x.maxBody) + " bytes";
      } else if (x.redirectRefused) {
        m_lastError = "a redirect of a request with a body to another host was refused";
      } else if (x.writeFailed) {
        m_lastError = "the response body could not be stored";
      } else if (rc == CURLE_ABORTED_BY_CALLBACK) {
        m_lastError = "stopped";
      } else {
        m_lastError = curl_easy_strerror(rc);
      }
    }
    // Leave the share before it may go away.
    curl_easy_setopt(m_easy, CURLOPT_SHARE, nullptr);
  }
  response.EndBody();
  if (!ok) NET_TRACE(2, "HTTP exchange failed: " + m_lastError + " (" + request.GetUrl() + ")");
  return ok;
}

}  // namespace Net
