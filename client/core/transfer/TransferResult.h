#pragma once
// How a content transfer ended.
enum class TransferResult {
  Done,       // every byte moved
  Failed,     // the service refused, the network failed or the answers made no sense
  Cancelled,  // the caller's cancel flag was set
};
