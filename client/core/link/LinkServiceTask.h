#pragma once
// The link long poll: a thread named "LinkServer" that sends LINK_BEATHEART
// requests back to back. The service holds each one until the account has
// news or its own time-out, so the answers come as changes happen elsewhere;
// each answer's code and change counter "t" go to the callback (the sync
// engine's server-update filter, which pulls when "t" grows).
//
// The thread slows down after repeated failures, and never polls faster than
// once a second, so a service that answers at once (a 403, a 200 without a
// hold, a dead port) cannot turn it into a busy loop. Every wait of the thread
// is on the process clock (win32/Clock.h) and ends early when the account is
// reset or the service stopped. Stopping aborts a waiting poll through the
// transport and joins the thread.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include <juce_core/juce_core.h>

class HttpTransportHolder;
namespace Net {
class HttpRequest;
}

// (user data, code, the account the poll was sent for, t). code: the reply's
// "code" (200 on success), 1000 when the body did not parse, -1 when no usable
// reply arrived; t: "result"."t", -1 when absent or unparsed.
typedef void (*LinkServiceCallBack)(void* userData, int code, const std::string& account, int64_t t);

class LinkServiceTask : public juce::Thread {
 public:
  // No two polls start closer together than this.
  static constexpr int kMinPollIntervalMs = 1000;

  LinkServiceTask(const std::string& account, const std::string& clientID, void* userData,
                  LinkServiceCallBack callback);
  // Stops the service (aborting a waiting poll) and joins the thread.
  ~LinkServiceTask() override;
  LinkServiceTask(const LinkServiceTask&) = delete;
  LinkServiceTask& operator=(const LinkServiceTask&) = delete;

  // Another account or client id (a new sign-in): a waiting poll returns at
  // once, a back-off wait ends, and the next poll carries the new values.
  void ResetAccount(const std::string& account, const std::string& clientID);
  // Ends the thread: aborts the poll in progress, ends a wait and joins. Safe
  // to call more than once; from the link thread itself (a callback) it only
  // asks the thread to end.
  void StopLinkService();

  void run() override;

  // One poll and its handling; returns the back-off the thread waits before
  // the next one (0 for none).
  int Ping();
  // Counts the answer's code into the back-off: 200 leaves the failure count;
  // 413 renews the client id and, like 403 and 408, clears the count; any
  // other code adds one. Returns the back-off in milliseconds: 4000 at 3 to 6
  // failures, 20000 at 7 to 9, 120000 above 9, else 0.
  int HandleResult(int code);

  int GetFailureCount() const { return m_nFailureCount.load(); }
  std::string GetAccount() const;
  std::string GetClientID() const;

  // The reply body's code and t (1000 and -1 when it does not parse).
  static void ParseResponse(const std::string& body, int& code, int64_t& t);

 private:
  void FillHttpRequest(Net::HttpRequest& request, std::string& account) const;
  // Waits up to ms of the process clock; ends early on a reset or a stop.
  void WaitBeforeNextPoll(int ms);
  void Wake();

  std::unique_ptr<HttpTransportHolder> m_pHolder;
  std::string m_sAccount;
  std::string m_sClientID;
  void* m_pUserData;
  LinkServiceCallBack m_pCallBack;
  std::atomic<bool> m_bStop{false};
  // Held while a request is built and sent, and while the account or client
  // id changes.
  juce::CriticalSection m_lock;
  // Guards the two texts alone, so that they can be read while a poll waits.
  mutable std::mutex m_valueLock;
  std::atomic<int> m_nFailureCount{0};

  std::mutex m_waitLock;
  std::condition_variable m_wake;
  bool m_bWake = false;
};
