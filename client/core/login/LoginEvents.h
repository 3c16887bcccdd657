#pragma once
// What a successful sign-in sets going in the sync engine: the link long poll
// starts again with the new client id. The engine's server-update filter
// installs it when it exists; while none is installed, nothing happens.
#include <functional>
#include <string>

namespace LoginEvents {

void SetRestartLinkService(std::function<void()> restart);

void RestartLinkService();

}  // namespace LoginEvents
