#pragma once
// The records of the content transfers: one uploaded block with its
// description, one downloaded range, and the upload's reply.
#include <cstdint>
#include <string>
#include <vector>

#include "client/core/protocol/RequestHeader.h"
#include "client/core/protocol/TransportToken.h"
#include "client/core/protocol/UploadDocInfo.h"

// One entry of a block description's list.
struct DataBlockInfo {
  int64_t docId = 0;
  int offset = 0;
  int length = 0;
  int checkSumType = 0;
  std::string checkSumValue;
};

// The description of one uploaded block: where it lies in the file, its MD5
// (checksum type 17) and its size.
struct DataDescriptor {
  DataDescriptor(int offset, int length, const std::string& checkSumValue, int dataSize)
      : offset(offset), length(length), checkSumValue(checkSumValue), dataSize(dataSize) {}

  int offset = 0;
  int length = 0;
  int checkSumType = 17;
  std::string checkSumValue;
  int dataSize = 0;
  std::vector<DataBlockInfo> dataBlocks;
};

// uploadFile: one block of a file's content.
struct UploadFileContentRequest {
  UploadFileContentRequest(const RequestHeader& header, const DataDescriptor& descriptor, const TransportToken& token,
                           const std::string& data)
      : header(header), token(token), descriptor(descriptor), data(data) {}

  RequestHeader header;
  TransportToken token;
  DataDescriptor descriptor;
  std::string data;  // the block's bytes
};

// downloadFile: one byte range of a file's content.
struct DownloadFileRequest {
  DownloadFileRequest(const RequestHeader& header, const TransportToken& token, int rangeStart, int rangeEnd,
                      const std::string& fileName)
      : header(header), token(token), fileName(fileName), rangeStart(rangeStart), rangeEnd(rangeEnd) {}

  RequestHeader header;
  TransportToken token;
  std::string fileName;
  int rangeStart = 0;
  int rangeEnd = 0;
};

// The service's answer to one uploaded block.
struct UploadFileContentReply {
  int code = -1;
  std::string message;
  int64_t id = 0;
  int type = 0;
  UploadDocInfo doc;
};
