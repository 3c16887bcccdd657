#pragma once
// The script put into every page before its own: window.external, whose members the
// host names. Each access asks the helper synchronously through a prompt carrying the
// page's secret token, which the helper answers from the host.
namespace webhost {

// The source with TOKEN in place of the token.
const char* ExternalScriptSource();

}  // namespace webhost
