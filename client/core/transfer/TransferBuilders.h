#pragma once
// The wire form of the content transfers: one block of an upload (uploadFile,
// a multipart POST to the upload service) and one byte range of a download
// (downloadFile, a GET to the download service), and the reading of the
// upload's answer. Both requests are authorised by the transport token alone:
// its docURL is the "file" query value, its context the "Authorization"
// header; the session id and the product header are not sent.
#include <string>

#include "client/core/protocol/TransferRecords.h"

namespace Net {
class HttpRequest;
class HttpResponse;
}  // namespace Net

// {"file": {"offset", "length", "checkSumType", "checkSumValue"}, "dataSize"},
// with "dataBlocks" only when the list is not empty.
std::string DataDescriptorText(const DataDescriptor& descriptor);

// The text field "dataDescriptor", then the file part "dataBlocks" over the
// record's data: the record must outlive the exchange. A null request does
// nothing.
void FillUploadFileContentRequest(const UploadFileContentRequest& record, Net::HttpRequest* request);

// "op", "a" when signed in, "userId", "file", "fileName" when not empty, and
// the range rangeStart..rangeEnd (both included). A null request does nothing.
void FillDownloadFileRequest(const DownloadFileRequest& record, Net::HttpRequest* request);

// Reads a response that arrived with HTTP status 200 (anything else leaves
// the reply as it was); a body that is not JSON or an unreadable member,
// "doc" included, gives code 1000.
void ParseUploadFileContentResponse(const Net::HttpResponse* response, UploadFileContentReply& reply);
void ReadUploadFileContentBody(const std::string& body, UploadFileContentReply& reply);
