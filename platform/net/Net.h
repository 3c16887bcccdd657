#pragma once
// The network library: HTTP exchanges and proxy connections.
#include "net/HttpDataStream.h"
#include "net/HttpRequest.h"
#include "net/HttpResponse.h"
#include "net/HttpTransport.h"
#include "net/HttpTypes.h"
#include "net/IHttpFile.h"
#include "net/NetInit.h"
#include "net/NetTrace.h"
#include "net/ProxyCfg.h"
#include "net/ProxySocket.h"
#include "net/TransferLimits.h"
