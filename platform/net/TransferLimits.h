#pragma once
// How much a reply may hold and how long an exchange may take, by the kind of
// request, so that a broken or hostile server can neither hold a request
// forever nor fill memory or disk: past the cap or the deadline the exchange
// fails like any other broken exchange.
#include <cstdint>

namespace Net {

enum class RequestKind {
  Api,        // a call answered with a small JSON reply
  Listing,    // a call whose JSON reply lists a whole folder tree
  Transfer,   // file content: a block upload or a ranged download
  LongPoll,   // a request the server holds until it has news
  SmallFile,  // a small document fetched into a file
  LargeFile,  // a program-sized download into a file
};

struct TransferLimits {
  int64_t maxBodyBytes = -1;  // the most a reply body may hold; -1: no cap
  int64_t deadlineMs = 0;     // the longest the whole exchange may take; 0: none
};

// The limits of a kind. The environment variable DORV_NET_LIMITS replaces
// them for the kinds it names, as "kind=bytes:ms" joined by commas (kinds
// api, listing, transfer, longpoll, smallfile, largefile), so that a run or a
// test can make them short.
TransferLimits LimitsFor(RequestKind kind);

}  // namespace Net
