#pragma once
#include <curl/curl.h>

#include <atomic>
#include <cstdint>
#include <functional>

namespace Net::detail {

// Runs one libcurl transfer at a time on the calling thread through a multi
// handle, so that another thread can wake it at once to stop it.
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
  CURLM* m_multi;
};

}  // namespace Net::detail
