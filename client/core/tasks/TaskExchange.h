#pragma once
// The exchange every request task runs: a transport of its own (request
// tasks pass false to the holder), the configuration's current proxy, one
// Transport.
class HttpTransportHolder;
namespace Net {
class HttpRequest;
class HttpResponse;
}  // namespace Net

enum class TransferFlag { Off, On };

// Sets the transfer flag (block upload and ranged download) and the
// configuration's current proxy on the holder's transport, then runs the
// exchange. True when an answer arrived, whatever its HTTP status.
bool RunTaskExchange(HttpTransportHolder& holder, Net::HttpRequest& request, Net::HttpResponse& response,
                     TransferFlag transfer = TransferFlag::Off);
