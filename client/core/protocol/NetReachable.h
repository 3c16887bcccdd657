#pragma once
// Whether the service's side of the network can be reached: directly, the
// portal test of the Common library; through the configured proxy, a
// connection to the portal host through that proxy.
bool CheckNetReachable();
