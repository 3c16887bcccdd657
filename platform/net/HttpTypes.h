#pragma once
#include <functional>
#include <string>
#include <type_traits>

namespace Net {

enum HTTPMETHOD { HTTP_GET = 0, HTTP_POST = 1 };

// A progress callback: (URL, bytes so far, total bytes; 0 while unknown).
using TransportDelegate = std::function<void(const std::string&, int, int)>;

// Turns any callable delegate into a TransportDelegate. A delegate that can
// say it is empty (empty() or a false bool) stays empty, so it is not called.
template <class D>
TransportDelegate MakeTransportDelegate(const D& d) {
  if constexpr (std::is_same_v<D, TransportDelegate>) {
    return d;
  } else if constexpr (requires { d.empty(); }) {
    if (d.empty()) return {};
    return TransportDelegate(d);
  } else if constexpr (requires { static_cast<bool>(d); }) {
    if (!static_cast<bool>(d)) return {};
    return TransportDelegate(d);
  } else {
    return TransportDelegate(d);
  }
}

}  // namespace Net
