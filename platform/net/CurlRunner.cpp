#include "net/CurlRunner.h"

#include <mutex>
#include <set>

#include "net/CurlGlobal.h"

namespace Net::detail {

namespace {
std::mutex g_runnersLock;
std::set<CurlRunner*> g_runners;

}  // namespace

CurlRunner::CurlRunner() {
  EnsureCurl();
  m_multi = curl_multi_init();
  std::lock_guard<std::mutex> hold(g_runnersLock);
  g_runners.insert(this);
}

CurlRunner::~CurlRunner() {
  {
    std::lock_guard<std::mutex> hold(g_runnersLock);
    g_runners.erase(this);
  }
  if (m_multi != nullptr) curl_multi_cleanup(m_multi);
}

void CurlRunner::Wake() {
  if (m_multi != nullptr) curl_multi_wakeup(m_multi);
}

void CurlRunner::WakeAll() {
  std::lock_guard<std::mutex> hold(g_runnersLock);
  for (CurlRunner* runner : g_runners) runner->Wake();
}

CURLcode CurlRunner::Run(CURL* easy, const std::atomic<bool>& stop, const std::function<int64_t()>& beforeWait) {
  if (m_multi == nullptr) return CURLE_OUT_OF_MEMORY;
  const uint64_t generation = ConnectionGeneration();
  if (curl_multi_add_handle(m_multi, easy) != CURLM_OK) return CURLE_FAILED_INIT;

  CURLcode result = CURLE_ABORTED_BY_CALLBACK;
  for (;;) {
    if (stop || ConnectionGeneration() != generation) {
      // A stopped transfer's connection is in an unknown state: never reuse it.
      curl_easy_setopt(easy, CURLOPT_FORBID_REUSE, 1L);
      break;
    }
    int running = 0;
    if (curl_multi_perform(m_multi, &running) != CURLM_OK) {
      result = CURLE_FAILED_INIT;
      break;
    }
    int queued = 0;
    bool done = false;
    while (CURLMsg* msg = curl_multi_info_read(m_multi, &queued)) {
      if (msg->msg == CURLMSG_DONE && msg->easy_handle == easy) {
        result = msg->data.result;
        done = true;
      }
    }
    if (done) break;
    // Waits for the network, a wake-up, libcurl's own timers, or at most a
    // second.
    int64_t waitMs = 1000;
    if (beforeWait) {
      int64_t allowed = beforeWait();
      if (allowed >= 0 && allowed < waitMs) waitMs = allowed;
    }
    if (curl_multi_poll(m_multi, nullptr, 0, static_cast<int>(waitMs), nullptr) != CURLM_OK) {
      result = CURLE_FAILED_INIT;
      break;
    }
  }
  curl_multi_remove_handle(m_multi, easy);
  return result;
}

}  // namespace Net::detail

