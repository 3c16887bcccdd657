#pragma once
#include <curl/curl.h>

#include <atomic>
#include <cstdint>
#include <functional>

namespace Net::detail {

// Runs one libcurl transfer at a time on the calling thread, so that another
// thread can wake it at once to stop it. The multi handle that drives the
// transfer belongs to the calling thread and serves every runner on it: a
// request made with a new transport costs no multi handle of its own.
class CurlRunner {
 public:
  CurlRunner();
  ~CurlRunner();
  CurlRunner(const CurlRunner&) = delete;
  CurlRunner& operator=(const CurlRunner&) = delete;

  // Runs the transfer to its end. Stops early with CURLE_ABORTED_BY_CALLBACK
  // when `stop` becomes true or CloseAllConnect runs. `beforeWait` runs before
  // each wait for the network and returns the longest wait it allows in ms
  // (-1: no bound).
  CURLcode Run(CURL* easy, const std::atomic<bool>& stop, const std::function<int64_t()>& beforeWait = {});
  // Wakes a Run that waits for the network; safe from any thread.
  void Wake();
  static void WakeAll();

 private:
  // The thread's multi handle while Run drives a transfer; guarded by the
  // runners' lock so that Wake never touches a handle its thread has freed.
  CURLM* m_active = nullptr;
};

}  // namespace Net::detail
