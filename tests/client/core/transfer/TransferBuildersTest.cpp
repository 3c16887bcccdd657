// The wire form of one uploaded block and one downloaded range, and the
// reading of the upload's answer.
#include <gtest/gtest.h>

#include <json/reader.h>

#include "../protocol/ProtocolFixture.h"
#include "client/core/transfer/TransferBuilders.h"
#include "net/HttpRequest.h"

using namespace protocoltest;

namespace {

class TransferBuildersTest : public testing::Test {
 protected:
  void SetUp() override {
    UseServerList(ServerListXml("http://up.example"));
    SetAccount("a@b.c", SignedIn::Yes);
  }
  void TearDown() override { ServerList::DeleteInstance(); }

  RequestHeader m_header{"dorv", 42, "sid-1"};
};

TEST_F(TransferBuildersTest, ABlockCarriesItsDescriptorAndBytesWithTheTokenAlone) {
  TransportToken token;
  token.docURL = "d0c";
  token.context = "ctx";
  DataDescriptor descriptor(4, 3, "900150983cd24fb0d6963f7d28e17f72", 3);
  UploadFileContentRequest record(m_header, descriptor, token, "abc");
  Net::HttpRequest request;
  FillUploadFileContentRequest(record, &request);
  EXPECT_EQ(request.GetMethod(), Net::HTTP_POST);
  EXPECT_EQ(request.GetUrl(), "http://up.example/dfs/upload/?op=uploadFile&a=a%40b.c&userId=42&file=d0c");
  ASSERT_EQ(request.GetHeaders().size(), 1u) << "no session id, no product header";
  EXPECT_EQ(request.GetHeaders()[0], std::make_pair(std::string("Authorization"), std::string("ctx")));
  ASSERT_EQ(request.GetFields().size(), 1u);
  EXPECT_EQ(request.GetFields()[0].first, "dataDescriptor");
  Json::Value sent;
  ASSERT_TRUE(Json::Reader().parse(request.GetFields()[0].second, sent));
  EXPECT_EQ(sent["file"]["offset"].asInt(), 4);
  EXPECT_EQ(sent["file"]["length"].asInt(), 3);
  EXPECT_EQ(sent["file"]["checkSumType"].asInt(), 17);
  EXPECT_EQ(sent["file"]["checkSumValue"].asString(), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(sent["dataSize"].asInt(), 3);
  EXPECT_FALSE(sent.isMember("dataBlocks")) << "an empty block list is left out";
  ASSERT_EQ(request.GetFiles().size(), 1u);
  EXPECT_EQ(request.GetFiles()[0].name, "dataBlocks");
  EXPECT_EQ(request.GetFiles()[0].file->ParseFile(), 3);

  descriptor.dataBlocks.push_back(DataBlockInfo{7, 0, 3, 17, "x"});
  Json::Value withBlocks;
  ASSERT_TRUE(Json::Reader().parse(DataDescriptorText(descriptor), withBlocks));
  ASSERT_EQ(withBlocks["dataBlocks"].size(), 1u);
  EXPECT_EQ(withBlocks["dataBlocks"][0]["docId"].asInt64(), 7);
  EXPECT_EQ(withBlocks["dataBlocks"][0]["checkSumValue"].asString(), "x");

  Net::HttpRequest noDoc;
  FillUploadFileContentRequest(UploadFileContentRequest(m_header, descriptor, TransportToken(), "abc"), &noDoc);
  EXPECT_EQ(noDoc.GetUrl(), "http://up.example/dfs/upload/?op=uploadFile&a=a%40b.c&userId=42")
      << "an empty docURL sends no file pair";
}

TEST_F(TransferBuildersTest, ARangeAsksForItsBytes) {
  TransportToken token;
  token.docURL = "d0c";
  token.context = "ctx";
  Net::HttpRequest request;
  FillDownloadFileRequest(DownloadFileRequest(m_header, token, 409600, 819199, ""), &request);
  EXPECT_EQ(request.GetMethod(), Net::HTTP_GET);
  EXPECT_EQ(request.GetUrl(), "http://up.example/dfs/download/?op=downloadFile&a=a%40b.c&userId=42&file=d0c");
  ASSERT_EQ(request.GetHeaders().size(), 1u);
  EXPECT_EQ(request.GetHeaders()[0].second, "ctx");
  EXPECT_EQ(request.GetRangeStart(), 409600);
  EXPECT_EQ(request.GetRangeEnd(), 819199);

  Net::HttpRequest named;
  FillDownloadFileRequest(DownloadFileRequest(m_header, token, 0, 0, "a b"), &named);
  EXPECT_EQ(named.GetUrl(), "http://up.example/dfs/download/?op=downloadFile&a=a%40b.c&userId=42&file=d0c&fileName=a%20b");
  FillDownloadFileRequest(DownloadFileRequest(m_header, token, 0, 0, ""), nullptr);
}

TEST_F(TransferBuildersTest, TheUploadAnswerIsReadOrMarkedUnreadable) {
  struct Case {
    std::string body;
    int code;
    int position;
  };
  const std::vector<Case> cases = {
      {R"({"code":200,"result":{"id":5,"type":0,"doc":{"position":2097152,"size":3000000,"completed":false}}})", 200,
       2097152},
      {R"({"code":1005,"result":{"message":"bad block"}})", 1005, 0},
      {R"({"code":200,"result":{"doc":{"position":"12"}}})", 1000, 0},
      {"<html>error</html>", 1000, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    UploadFileContentReply reply;
    ReadUploadFileContentBody(c.body, reply);
    EXPECT_EQ(reply.code, c.code);
    EXPECT_EQ(reply.doc.position, c.position);
  }
}

}  // namespace
