#pragma once
// Where the usage statistics and the proxy test go. Both follow the service
// host of the server list (the host of app_server), so a client pointed at
// another service by server_list.xml sends them there too.
#include <string>

namespace ServiceAddress {

// The product's web root: "http://" + the service host (with its port when
// the URL names one) + "/".
std::string WebRoot();
// The web root followed by "stat.cloudstorage.pc".
std::string StatisticsBase();
// The service host and its port (80 when the URL names none).
std::string ServiceHost();
int ServicePort();

}  // namespace ServiceAddress
