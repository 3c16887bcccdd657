// Block upload and ranged download through the request tasks against the
// local cloud service; the bytes on disk and the service's copy compared.
#include <gtest/gtest.h>

#include <httplib.h>
#include <juce_cryptography/juce_cryptography.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <random>
#include <thread>

#include "../login/ServiceFixture.h"
#include "TempDir.h"
#include "base/MyThreadsPool.h"
#include "client/core/account/AccountData.h"
#include "client/core/context/ThreadsPools.h"
#include "client/core/protocol/RequestFrame.h"
#include "client/core/protocol/ServerList.h"
#include "client/core/tasks/FileTasks.h"
#include "client/core/tasks/TransferTasks.h"
#include "client/core/transfer/FileBlockUpload.h"
#include "client/core/transfer/FileRangedDownload.h"
#include "net/ProxySocket.h"

using namespace signintest;

namespace {

constexpr int kMiB = 1024 * 1024;

std::string RandomBytes(size_t size, unsigned seed) {
  std::mt19937 generator(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(generator());
  return bytes;
}

std::string Md5(const std::string& bytes) {
  return juce::MD5(bytes.data(), bytes.size()).toHexString().toStdString();
}

class TransferTest : public ServiceTest {
 protected:
  void SetUp() override {
    ServiceTest::SetUp();
    ASSERT_EQ(SignIn(m_manager), LoginManager::kOk);
    m_header = CurrentRequestHeader();
  }

  // createFile of bytes named name in the root.
  FileReply CreateFile(const std::string& name, const std::string& bytes) {
    CreateFileRequest request(m_header, -1, m_header.userId, 0, Md5(bytes), static_cast<int>(bytes.size()), -1, name,
                              "", "", false, 1, 0, true, true);
    FileReply reply;
    PostAndWait(GetUpThreadsPool(), new SyncUploadCreateTask("SyncUploadCreateTask", request),
                [&](SyncUploadCreateTask& task) { task.GetResult(reply); });
    return reply;
  }

  TransportToken UploadToken(int64_t fileId) {
    UploadFileControlRequest request{m_header, fileId, fileId, m_header.userId};
    TransportTokenReply reply;
    EXPECT_TRUE(PostAndWait(GetUpThreadsPool(), new SyncUploadPZTask("SyncUploadPZTask", request),
                            [&](SyncUploadPZTask& task) { task.GetResult(reply); }));
    return reply.token;
  }

  FileReply Complete(int64_t fileId) {
    CompleteFileRequest request{m_header, fileId, 1, 0, 1, true};
    FileReply reply;
    PostAndWait(GetUpThreadsPool(), new UploadFileCompletedTask("UploadFileCompletedTask", request),
                [&](UploadFileCompletedTask& task) { task.GetResult(reply); });
    return reply;
  }

  // A file written by another device; its id.
  int64_t Put(const std::string& name, const std::string& bytes) {
    return Admin("put?account=" + std::string(kAccount) + "&parentId=-1&name=" + name, bytes)["file"]["id"].asInt64();
  }

  TransportToken DownloadToken(int64_t fileId, int size) {
    DownloadFileControlRequest request(m_header, fileId, m_header.userId, size, "", "");
    TransportTokenReply reply;
    EXPECT_TRUE(PostAndWait(GetUpThreadsPool(), new DownloadFileTokenTask("DownloadFileTokenTask", request),
                            [&](DownloadFileTokenTask& task) { task.GetResult(reply); }));
    return reply.token;
  }

  // The server list with one host (e.g. "upload_server") at url.
  void UseHost(const std::string& host, const std::string& url) {
    std::string xml = Server().ServerListXml();
    const std::string key = host + " url=\"";
    const size_t at = xml.find(key) + key.size();
    xml.replace(at, xml.find('"', at) - at, url);
    dorvtest::WriteFile(m_dir / "server_list.xml", xml);
    ServerList::LoadInstance(juce::File((m_dir / "server_list.xml").string()));
  }

  std::string ServiceCopy(int64_t fileId) {
    return AdminRaw("content?account=" + std::string(kAccount) + "&id=" + std::to_string(fileId));
  }

  LoginManager m_manager;
  RequestHeader m_header;
  dorvtest::TempDir m_dir;
};

TEST_F(TransferTest, FilesOfEverySizeArriveWhole) {
  struct Case {
    size_t size;
    int blocks;
  };
  for (const Case c : {Case{1, 1}, Case{2 * kMiB, 1}, Case{5 * kMiB + 1, 3}}) {
    SCOPED_TRACE(c.size);
    Admin("log/clear");
    const std::string bytes = RandomBytes(c.size, static_cast<unsigned>(c.size));
    const std::string name = "up-" + std::to_string(c.size) + ".bin";
    dorvtest::WriteFile(m_dir / name, bytes);

    const FileReply created = CreateFile(name, bytes);
    ASSERT_EQ(created.code, 200);
    ASSERT_EQ(created.type, 0) << "the content has to be sent";
    FileBlockUpload upload(m_header, UploadToken(created.file.id), juce::File((m_dir / name).string()));
    int sent = 0;
    upload.m_onBlockSent = [&](int length) { sent += length; };
    ASSERT_EQ(upload.Run(static_cast<int64_t>(c.size)), TransferResult::Done);
    EXPECT_EQ(sent, static_cast<int>(c.size));
    EXPECT_EQ(upload.GetReply().doc.position, static_cast<int>(c.size));
    EXPECT_EQ(Requests("uploadFile"), c.blocks);

    const FileReply completed = Complete(created.file.id);
    EXPECT_EQ(completed.code, 200);
    EXPECT_EQ(completed.type, 6);
    EXPECT_EQ(completed.file.doc.md5, Md5(bytes));
    EXPECT_TRUE(ServiceCopy(created.file.id) == bytes) << "the service's copy differs";
  }
}

TEST_F(TransferTest, AnEmptyFileSendsNoBlock) {
  dorvtest::WriteFile(m_dir / "empty", "");
  const FileReply created = CreateFile("empty", "");
  ASSERT_EQ(created.code, 200);
  EXPECT_EQ(created.type, 3) << "nothing to transfer";
  FileBlockUpload upload(m_header, TransportToken(), juce::File((m_dir / "empty").string()));
  EXPECT_EQ(upload.Run(0), TransferResult::Done);
  EXPECT_EQ(Requests("uploadFile"), 0);
  EXPECT_EQ(ServiceCopy(created.file.id), "");
}

TEST_F(TransferTest, ARejectedBlockIsSentAgain) {
  const std::string bytes = RandomBytes(5 * kMiB + 1, 7);
  dorvtest::WriteFile(m_dir / "f", bytes);
  const FileReply created = CreateFile("f", bytes);
  ASSERT_EQ(created.type, 0);
  FileBlockUpload upload(m_header, UploadToken(created.file.id), juce::File((m_dir / "f").string()));
  Fault("op=uploadFile&code=1005&skip=1");  // the second block, once
  ASSERT_EQ(upload.Run(static_cast<int64_t>(bytes.size())), TransferResult::Done);
  EXPECT_EQ(Requests("uploadFile"), 4);
  EXPECT_EQ(Complete(created.file.id).type, 6);
  EXPECT_TRUE(ServiceCopy(created.file.id) == bytes);
}

TEST_F(TransferTest, AnUploadRefusedElevenTimesFailsWithTheServiceCode) {
  const std::string bytes = RandomBytes(3 * kMiB, 8);
  dorvtest::WriteFile(m_dir / "f", bytes);
  const FileReply created = CreateFile("f", bytes);
  const TransportToken token = UploadToken(created.file.id);

  Fault("op=uploadFile&code=409");
  UploadFileContentReply reply;
  const std::string block = bytes.substr(0, 10);
  EXPECT_FALSE(PostAndWait(
      GetUpThreadsPool(),
      new UploadFileContentTask("UploadFileContentTask",
                                UploadFileContentRequest(m_header, DataDescriptor(0, 10, Md5(block), 10), token, block)),
      [&](UploadFileContentTask& task) { task.GetResult(reply); }));
  EXPECT_EQ(reply.code, 409) << "the service's code is kept";
  EXPECT_EQ(reply.doc.position, 0);

  Admin("log/clear");
  Fault("op=uploadFile&code=1005&times=0");
  FileBlockUpload upload(m_header, token, juce::File((m_dir / "f").string()));
  EXPECT_EQ(upload.Run(static_cast<int64_t>(bytes.size())), TransferResult::Failed);
  EXPECT_EQ(upload.GetServerCode(), 1005);
  EXPECT_EQ(Requests("uploadFile"), 11);
}

// A stand-in for one of the service's hosts on a loopback port: routes are
// set on m_server, then Start listens.
class LocalService {
 public:
  ~LocalService() {
    m_server.stop();
    if (m_thread.joinable()) m_thread.join();
  }
  std::string Base() const { return "http://127.0.0.1:" + std::to_string(m_port); }

 protected:
  void Start() {
    m_port = m_server.bind_to_any_port("127.0.0.1");
    m_thread = std::thread([this] { m_server.listen_after_bind(); });
  }
  httplib::Server m_server;

 private:
  std::thread m_thread;
  int m_port = 0;
};

// An upload service that answers every block with a fixed position.
class FixedPositionService : public LocalService {
 public:
  explicit FixedPositionService(int position) {
    m_server.set_keep_alive_max_count(1);  // no idle connection holds up stop()
    m_server.Post("/dfs/service/", [position](const httplib::Request&, httplib::Response& res) {
      res.set_content(R"({"code": 200, "result": {"id": 1, "message": "", "type": 0, "doc": {"position": )" +
                          std::to_string(position) + "}}}",
                      "application/json");
    });
    Start();
  }
};

TEST_F(TransferTest, APositionThatDoesNotAdvanceEndsTheUpload) {
  const std::string bytes = RandomBytes(5 * kMiB, 9);
  dorvtest::WriteFile(m_dir / "f", bytes);
  for (int position : {0, 5 * kMiB + 1, -1}) {
    SCOPED_TRACE(position);
    FixedPositionService service(position);
    UseHost("upload_server", service.Base() + "/dfs/service/");

    FileBlockUpload blocks(m_header, TransportToken(), juce::File((m_dir / "f").string()));
    int sent = 0;
    blocks.m_onBlockSent = [&](int) { ++sent; };
    EXPECT_EQ(blocks.Run(static_cast<int64_t>(bytes.size())), TransferResult::Failed);
    EXPECT_EQ(sent, 0);
  }
}

TEST_F(TransferTest, DownloadsOfEverySizeMatchTheService) {
  struct Case {
    size_t size;
    int ranges;
  };
  for (const Case c : {Case{1, 1}, Case{409600, 1}, Case{409601, 1}, Case{409602, 2}, Case{1000000, 3}}) {
    SCOPED_TRACE(c.size);
    Admin("log/clear");
    const std::string bytes = RandomBytes(c.size, static_cast<unsigned>(c.size) + 1);
    const int64_t id = Put("down-" + std::to_string(c.size), bytes);
    const juce::File target((m_dir / "down").string());
    FileRangedDownload download(m_header, DownloadToken(id, static_cast<int>(c.size)), target);
    int64_t written = 0;
    download.m_onRangeWritten = [&](int length) { written += length; };
    ASSERT_EQ(download.Run(static_cast<int64_t>(c.size)), TransferResult::Done);
    EXPECT_EQ(written, static_cast<int64_t>(c.size));
    EXPECT_EQ(Requests("downloadFile"), c.ranges);
    EXPECT_TRUE(dorvtest::ReadFile(m_dir / "down") == bytes) << "the file on disk differs";
  }
}

TEST_F(TransferTest, ABrokenRangeEndsTheDownloadWithOnlyContentWritten) {
  const std::string bytes = RandomBytes(1000000, 3);
  const int64_t id = Put("f", bytes);
  const TransportToken token = DownloadToken(id, static_cast<int>(bytes.size()));
  struct Case {
    std::string fault;
    int serverCode;
  };
  for (const Case& c : {Case{"drop=1", 0}, Case{"http=500", 500}, Case{"http=404", 404}}) {
    SCOPED_TRACE(c.fault);
    Fault("op=downloadFile&skip=1&" + c.fault);  // the second range
    FileRangedDownload download(m_header, token, juce::File((m_dir / "down").string()));
    EXPECT_EQ(download.Run(static_cast<int64_t>(bytes.size())), TransferResult::Failed);
    EXPECT_EQ(download.GetServerCode(), c.serverCode);
    // A range is 409,601 bytes (its end is inclusive).
    EXPECT_EQ(download.GetBytesWritten(), FileRangedDownload::kRangeSize + 1);
    EXPECT_TRUE(dorvtest::ReadFile(m_dir / "down") == bytes.substr(0, FileRangedDownload::kRangeSize + 1))
        << "only the first range's content is in the file";
  }
}

// A range held to a low speed limit takes minutes: an end asked for while it
// runs stops it at once instead of after its last byte.
TEST_F(TransferTest, AnEndAskedForWhileASpeedLimitedRangeRunsStopsItAtOnce) {
  const std::string bytes = RandomBytes(FileRangedDownload::kRangeSize, 4);
  const int64_t id = Put("slow", bytes);
  Net::ProxySocket::SetDownloadSpeedLimit(8 * 1024);
  FileRangedDownload download(m_header, DownloadToken(id, static_cast<int>(bytes.size())),
                              juce::File((m_dir / "down").string()));
  std::atomic<bool> end{false};
  // The end comes as the range is sent, so that it finds the range in flight.
  download.m_beforeRange = [&] { return !end.exchange(true); };
  const TransferResult result = download.Run(static_cast<int64_t>(bytes.size()), [&] { return end.load(); });
  Net::ProxySocket::SetDownloadSpeedLimit(-1);
  EXPECT_EQ(result, TransferResult::Cancelled);
  EXPECT_EQ(download.GetBytesWritten(), 0) << "the range ran to its end";
}

// A download service that answers the ranges starting at the given offsets
// with a third of what they ask, and notes where each range began.
class ShortRangeService : public LocalService {
 public:
  ShortRangeService(std::string content, std::vector<int> shortAt) : m_content(std::move(content)) {
    m_server.Get("/dfs/download/", [this, shortAt](const httplib::Request& req, httplib::Response& res) {
      const auto& range = req.ranges.at(0);
      const size_t start = static_cast<size_t>(range.first);
      size_t length = std::min<size_t>(static_cast<size_t>(range.second) + 1, m_content.size()) - start;
      if (std::find(shortAt.begin(), shortAt.end(), static_cast<int>(start)) != shortAt.end()) length /= 3;
      {
        std::lock_guard<std::mutex> hold(m_lock);
        m_starts.push_back(static_cast<int>(start));
      }
      // The server library cuts the asked range out of the body itself: a
      // body that ends early makes the answer short.
      res.set_content(m_content.substr(0, start + length), "application/octet-stream");
    });
    Start();
  }
  std::vector<int> Starts() {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_starts;
  }

 private:
  std::string m_content;
  std::mutex m_lock;
  std::vector<int> m_starts;
};

// Ranges that come back shorter than asked, early or late in the file: each
// next range is asked from where the bytes received end, never from where a
// whole range would have ended.
TEST_F(TransferTest, ARangeAnsweredShortIsFollowedFromWhereItEnded) {
  const std::string bytes = RandomBytes(1500000, 5);
  const int range = FileRangedDownload::kRangeSize + 1;
  for (const std::vector<int>& shortAt : {std::vector<int>{0}, std::vector<int>{range, 2 * range}}) {
    SCOPED_TRACE(shortAt.size());
    ShortRangeService service(bytes, shortAt);
    UseHost("download_server", service.Base() + "/dfs/download/");

    FileRangedDownload download(m_header, TransportToken(), juce::File((m_dir / "down").string()));
    ASSERT_EQ(download.Run(static_cast<int64_t>(bytes.size())), TransferResult::Done);
    EXPECT_TRUE(dorvtest::ReadFile(m_dir / "down") == bytes) << "the file on disk differs";
    EXPECT_EQ(download.GetMD5().toStdString(), Md5(bytes));
    std::vector<int> expected;
    for (int start = 0; start < static_cast<int>(bytes.size());) {
      expected.push_back(start);
      int length = std::min(range, static_cast<int>(bytes.size()) - start);
      if (std::find(shortAt.begin(), shortAt.end(), start) != shortAt.end()) length /= 3;
      start += length;
    }
    EXPECT_EQ(service.Starts(), expected);
  }
}

TEST_F(TransferTest, ARangePastTheEndIsAFailureWithItsStatus) {
  const int64_t id = Put("f", "abc");
  DownloadFileRequest request(m_header, DownloadToken(id, 3), 3, 10, "");
  int status = 0;
  EXPECT_FALSE(PostAndWait(GetDownThreadsPool(), new DownloadFileContentTask("DownloadFileContentTask", request),
                           [&](DownloadFileContentTask& task) {
                             status = task.m_response.GetStatusCode();
                             EXPECT_TRUE(task.m_bAnswered);
                           }));
  EXPECT_EQ(status, 416);
}

}  // namespace
