#include "client/core/stats/ServiceAddress.h"

#include <juce_core/juce_core.h>

#include "client/core/protocol/ServerList.h"

namespace {

juce::URL AppServer() { return juce::URL(juce::String::fromUTF8(ServerList::GetInstance()->GetAppServer().c_str())); }

}  // namespace

std::string ServiceAddress::ServiceHost() { return AppServer().getDomain().toStdString(); }

int ServiceAddress::ServicePort() {
  const int port = AppServer().getPort();
  return port > 0 ? port : 80;
}

std::string ServiceAddress::WebRoot() {
  const juce::URL url = AppServer();
  std::string root = "http://" + url.getDomain().toStdString();
  if (url.getPort() > 0) root += ":" + std::to_string(url.getPort());
  return root + "/";
}

std::string ServiceAddress::StatisticsBase() { return WebRoot() + "stat.cloudstorage.pc"; }
