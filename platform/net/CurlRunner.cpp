#include "net/CurlRunner.h"

#include <mutex>
#include <set>

#include "net/CurlGlobal.h"

namespace Net::detail {

namespace {
std::mutex g_runnersLock;
std::set<CurlRunner*> g_runners;

// The calling thread's multi handle, made on its first transfer and freed
// when the thread ends.
class ThreadMulti {
 public:
  ThreadMulti() {
    EnsureCurl();
    m_multi = curl_multi_init();
  }
  ~ThreadMulti() {
    if (m_multi != nullptr) curl_multi_cleanup(m_multi);
  }
  ThreadMulti(const ThreadMulti&) = delete;
  ThreadMulti& operator=(const ThreadMulti&) = delete;
  CURLM* Handle() const { return m_multi; }

 private:
  CURLM* m_multi;
};

CURLM* ThisThreadMulti() {
  thread_local ThreadMulti multi;
  return multi.Handle();
}

}  // namespace

CurlRunner::CurlRunner() {
  std::lock_guard<std::mutex> hold(g_runnersLock);
  g_runners.insert(this);
}

CurlRunner::~CurlRunner() {
  std::lock_guard<std::mutex> hold(g_runnersLock);
  g_runners.erase(this);
}

void CurlRunner::Wake() {
  std::lock_guard<std::mutex> hold(g_runnersLock);
  if (m_active != nullptr) curl_multi_wakeup(m_active);
}

void CurlRunner::WakeAll() {
  std::lock_guard<std::mutex> hold(g_runnersLock);
  for (CurlRunner* runner : g_runners)
    if (runner->m_active != nullptr) curl_multi_wakeup(runner->m_active);
}

CURLcode CurlRunner::Run(CURL* easy, const std::atomic<bool>& stop, const std::function<int64_t()>& beforeWait) {
  CURLM* multi = ThisThreadMulti();
  if (multi == nullptr) return CURLE_OUT_OF_MEMORY;
  const uint64_t generation = ConnectionGeneration();
  if (curl_multi_add_handle(multi, easy) != CURLM_OK) return CURLE_FAILED_INIT;
  {
    // Published before the first look at `stop`: a Stop that comes earlier
    // is seen there, one that comes later wakes the wait.
    std::lock_guard<std::mutex> hold(g_runnersLock);
    m_active = multi;
  }

  CURLcode result = CURLE_ABORTED_BY_CALLBACK;
  for (;;) {
    if (stop || ConnectionGeneration() != generation) {
      // A stopped transfer's connection is in an unknown state: never reuse it.
      curl_easy_setopt(easy, CURLOPT_FORBID_REUSE, 1L);
      break;
    }
    int running = 0;
    if (curl_multi_perform(multi, &running) != CURLM_OK) {
      result = CURLE_FAILED_INIT;
      break;
    }
    int queued = 0;
    bool done = false;
    while (CURLMsg* msg = curl_multi_info_read(multi, &queued)) {
      if (msg->msg == CURLMSG_DONE && msg->easy_handle == easy) {
        result = msg->data.result;
        done = true;
      }
    }
    if (done) break;
    // Waits for the network, a wake-up (a stop, closed connections) or
    // libcurl's own timers; the bound only guards against a wake-up missed.
    // An idle transfer (a long poll) then leaves its thread asleep.
    int64_t waitMs = 60000;
    if (beforeWait) {
      int64_t allowed = beforeWait();
      if (allowed >= 0 && allowed < waitMs) waitMs = allowed;
    }
    if (curl_multi_poll(multi, nullptr, 0, static_cast<int>(waitMs), nullptr) != CURLM_OK) {
      result = CURLE_FAILED_INIT;
      break;
    }
  }
  {
    std::lock_guard<std::mutex> hold(g_runnersLock);
    m_active = nullptr;
  }
  curl_multi_remove_handle(multi, easy);
  return result;
}

}  // namespace Net::detail
