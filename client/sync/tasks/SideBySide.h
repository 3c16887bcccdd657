#pragma once
#include <cstddef>
#include <functional>

// Runs run(0) .. run(count - 1) at once: the first on the calling thread, each
// other on a thread of its own, and returns when all have ended. The rows they
// write share one commit of the user database, made before this returns, or,
// when the calling thread batches its rows already, the batch's next one.
void RunSideBySide(size_t count, const std::function<void(size_t)>& run);
