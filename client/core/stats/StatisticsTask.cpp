#include "client/core/stats/StatisticsTask.h"

#include "base/MyThreadsPool.h"
#include "client/core/GlobalConfig.h"
#include "client/core/context/ThreadsPools.h"
#include "client/core/protocol/HttpTransportHolder.h"
#include "client/core/protocol/QueryString.h"
#include "client/core/stats/ServiceAddress.h"
#include "common/NetworkInfo.h"
#include "net/HttpRequest.h"
#include "net/HttpResponse.h"

StatisticsTask::StatisticsTask(const std::string& category, const std::string& event)
    : _WORK_TASK("StatisticsTask"), m_sCategory(category), m_sEvent(event) {}

std::string StatisticsTask::BuildUrl() const {
  return ServiceAddress::StatisticsBase() + "/" + PercentEncode(Common::GetMacAddress()) + "/" +
         PercentEncode(m_sCategory) + "/" + PercentEncode(m_sEvent);
}

int StatisticsTask::ExecuteWorkTask() {
  Net::HttpRequest request(Net::HTTP_GET, BuildUrl());
  Net::HttpResponse response;
  HttpTransportHolder holder(false);
  holder.Exchange(GetGlobalConfig()->GetCurrentProxy(), request, response);
  return 0;
}

void ReportUsageEvent(const std::string& category, const std::string& event) {
  GetStatThreadsPool()->PostWorkTask(new StatisticsTask(category, event), true);
}
