// Block upload and ranged download of one large file through the request
// tasks, against the local cloud service, and the same bytes with the curl
// command line against the same service: curl sends the same 2 MiB blocks
// (multipart, with their MD5) and fetches the same 409,600-byte ranges, each
// run on one connection of its own. A single whole-file GET by curl is printed
// as well, for reference. Both clocks include reading the blocks and their MD5.
//
//   transfer_bench [MiB] [repeats]      (default 256 MiB, best of 3)
//
// Prints the throughputs of both and their ratio (tasks / curl).
//
//   transfer_bench --limit [KiB/s]      (default 100)
//
// The bandwidth limits as the settings window applies them: while an upload
// (a download) runs unlimited, the limit is saved into GlobalConfig and
// applied at once (ApplyBandwidthLimits, as the main form does on the
// window's message); the rest of the transfer is timed against the limit.
#include <stdlib.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <juce_cryptography/juce_cryptography.h>

#include "DevServer.h"
#include "TempDir.h"
#include "base/MyThreadsPool.h"
#include "client/core/GlobalConfig.h"
#include "client/core/account/AccountData.h"
#include "client/core/account/ProductInfo.h"
#include "client/core/context/ThreadsPools.h"
#include "client/core/db/LocalDatabases.h"
#include "client/core/login/LoginManager.h"
#include "client/core/protocol/RequestFrame.h"
#include "client/core/protocol/ServerList.h"
#include "client/core/tasks/FileTasks.h"
#include "client/core/transfer/FileBlockUpload.h"
#include "client/core/transfer/FileRangedDownload.h"
#include "net/ProxySocket.h"
#include "client/windows/MainForm.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

void Fail(const std::string& what) {
  std::fprintf(stderr, "transfer_bench: %s\n", what.c_str());
  std::exit(1);
}

void WriteRandomFile(const fs::path& path, int64_t size, uint64_t seed) {
  std::mt19937_64 generator(seed);
  std::vector<uint64_t> chunk(1 << 17);
  std::ofstream out(path, std::ios::binary);
  for (int64_t left = size; left > 0;) {
    for (uint64_t& word : chunk) word = generator();
    const int64_t n = std::min<int64_t>(left, static_cast<int64_t>(chunk.size() * sizeof(uint64_t)));
    out.write(reinterpret_cast<const char*>(chunk.data()), n);
    left -= n;
  }
  if (!out) Fail("cannot write " + path.string());
}

std::string Md5Of(const fs::path& path) { return juce::MD5(juce::File(path.string())).toHexString().toStdString(); }

std::string Md5Of(const std::string& bytes) {
  return juce::MD5(bytes.data(), bytes.size()).toHexString().toStdString();
}

template <class Task, class Request>
auto RunUp(const Request& request) {
  auto* task = new Task("Task", request);
  GetUpThreadsPool()->PostWorkTask(task, true);
  task->WaitExecuteFinishEvent();
  decltype(task->m_reply) reply;
  task->GetResult(reply);
  task->SignReleaseEvent();
  return reply;
}

// A curl config text value, quoted.
std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

double RunCurl(const fs::path& config) {
  const std::string command = "curl -s -S --fail -K " + config.string();
  const Clock::time_point start = Clock::now();
  if (std::system(command.c_str()) != 0) Fail("curl failed: " + command);
  return Seconds(Clock::now() - start);
}

struct Figures {
  double best = 1e30;
  void Add(double seconds) { best = std::min(best, seconds); }
};

double MiBps(int64_t size, double seconds) { return static_cast<double>(size) / (1024.0 * 1024.0) / seconds; }

class Bench {
 public:
  Bench(int64_t size, int repeats) : m_size(size), m_repeats(repeats) {}

  // An upload and a download, each slowed to `kibps` while it runs.
  void RunLimit(int kibps) {
    StartClient();
    ApplyLimits(0, 0);
    // The first block goes unlimited; the limit comes with its end, and the
    // second block (512 KiB) is timed.
    const fs::path upFile = m_dir / "limited-up.bin";
    const int64_t upSize = FileBlockUpload::kBlockSize + 512 * 1024;
    WriteRandomFile(upFile, upSize, 7);
    int64_t id = 0;
    const TransportToken token = Announce(upFile, "limited-up", id, upSize);
    FileBlockUpload upload(m_header, token, juce::File(upFile.string()));
    Clock::time_point start = Clock::now(), limited{};
    double firstBlockSeconds = 0;
    int64_t sent = 0;
    upload.m_onBlockSent = [&](int length) {
      if (sent == 0) {
        firstBlockSeconds = Seconds(Clock::now() - start);
        ApplyLimits(kibps, 0);
        limited = Clock::now();
      }
      sent += length;
    };
    if (upload.Run(upSize) != TransferResult::Done) Fail("the limited upload failed");
    const double upSeconds = Seconds(Clock::now() - limited);
    Complete(id, upFile);
    ApplyLimits(0, 0);

    // The first range goes unlimited; the rest (300 KiB) is timed.
    const fs::path downFile = m_dir / "limited-down.bin";
    const int64_t downSize = FileRangedDownload::kRangeSize + 300 * 1024;
    WriteRandomFile(downFile, downSize, 8);
    const TransportToken upToken = Announce(downFile, "limited-down", id, downSize);
    FileBlockUpload put(m_header, upToken, juce::File(downFile.string()));
    if (put.Run(downSize) != TransferResult::Done) Fail("the upload of the file to download failed");
    Complete(id, downFile);
    const fs::path target = m_dir / "limited-down-copy.bin";
    FileRangedDownload download(m_header, DownloadToken(id, downSize), juce::File(target.string()));
    int64_t written = 0;
    double firstRangeSeconds = 0;
    start = Clock::now();
    download.m_onRangeWritten = [&](int length) {
      if (written == 0) {
        firstRangeSeconds = Seconds(Clock::now() - start);
        ApplyLimits(0, kibps);
        limited = Clock::now();
      }
      written += length;
    };
    if (download.Run(downSize) != TransferResult::Done) Fail("the limited download failed");
    const double downSeconds = Seconds(Clock::now() - limited);
    if (Md5Of(target) != Md5Of(downFile)) Fail("the limited download differs");
    ApplyLimits(0, 0);

    auto kib = [](int64_t bytes, double seconds) { return static_cast<double>(bytes) / 1024.0 / seconds; };
    std::printf("limit %d KiB/s, applied while the transfer runs\n", kibps);
    std::printf("upload    before %10.1f KiB/s   after %8.1f KiB/s (%.0f%% of the limit, %lld bytes in %.2f s)\n",
                kib(FileBlockUpload::kBlockSize, firstBlockSeconds), kib(upSize - FileBlockUpload::kBlockSize, upSeconds),
                100.0 * kib(upSize - FileBlockUpload::kBlockSize, upSeconds) / kibps,
                static_cast<long long>(upSize - FileBlockUpload::kBlockSize), upSeconds);
    std::printf("download  before %10.1f KiB/s   after %8.1f KiB/s (%.0f%% of the limit, %lld bytes in %.2f s)\n",
                kib(FileRangedDownload::kRangeSize, firstRangeSeconds),
                kib(downSize - FileRangedDownload::kRangeSize, downSeconds),
                100.0 * kib(downSize - FileRangedDownload::kRangeSize, downSeconds) / kibps,
                static_cast<long long>(downSize - FileRangedDownload::kRangeSize), downSeconds);
  }

  void Run() {
    StartClient();
    const fs::path tasksFile = m_dir / "tasks.bin";
    const fs::path curlFile = m_dir / "curl.bin";

    Figures tasksUp, curlUp, tasksDown, curlDown, curlWhole;
    int64_t tasksId = 0, curlId = 0;
    for (int i = 0; i < m_repeats; ++i) {
      // Fresh content each round: the service keeps content it has seen.
      WriteRandomFile(tasksFile, m_size, 1000 + i);
      WriteRandomFile(curlFile, m_size, 2000 + i);
      tasksUp.Add(UploadWithTasks(tasksFile, "tasks-" + std::to_string(i), tasksId));
      curlUp.Add(UploadWithCurl(curlFile, "curl-" + std::to_string(i), curlId));
      tasksDown.Add(DownloadWithTasks(tasksId, Md5Of(tasksFile)));
      curlDown.Add(DownloadWithCurl(curlId, Md5Of(curlFile), false));
      curlWhole.Add(DownloadWithCurl(curlId, Md5Of(curlFile), true));
    }
    std::printf("file: %lld bytes, blocks of %d, ranges of %d, best of %d\n", static_cast<long long>(m_size),
                FileBlockUpload::kBlockSize, FileRangedDownload::kRangeSize, m_repeats);
    Print("upload", tasksUp.best, curlUp.best);
    Print("download", tasksDown.best, curlDown.best);
    std::printf("download, curl one whole-file GET: %8.1f MiB/s (tasks / that: %.2f)\n", MiBps(m_size, curlWhole.best),
                curlWhole.best / tasksDown.best);
  }

 private:
  // What the settings window's apply does with the limits (0: none), then
  // what the main form does on its message.
  static void ApplyLimits(int upKibps, int downKibps) {
    GlobalConfig* config = GetGlobalConfig();
    config->m_bBandWidthLimit = upKibps > 0 || downKibps > 0 ? 1 : 0;
    config->m_nUploadLimit = upKibps > 0 ? upKibps : 9999;
    config->m_nDownloadLimit = downKibps > 0 ? downKibps : 9999;
    SaveGlobalConfig(*config);
    ApplyBandwidthLimits();
    // One direction limited: the other goes as fast as it can.
    if (upKibps <= 0) Net::ProxySocket::SetUploadSpeedLimit(-1);
    if (downKibps <= 0) Net::ProxySocket::SetDownloadSpeedLimit(-1);
  }

  void Print(const char* what, double tasks, double curl) {
    std::printf("%-8s tasks %8.1f MiB/s   curl %8.1f MiB/s   ratio %.2f\n", what, MiBps(m_size, tasks),
                MiBps(m_size, curl), curl / tasks);
  }

  void StartClient() {
    if (OpenMainDB() != 0) Fail("cannot open the main database");
    CreateDBLocks();
    InitUserTables();
    LoadProductInfo();
    dorvtest::WriteFile(m_dir / "server_list.xml", m_server.ServerListXml());
    ServerList::LoadInstance(juce::File((m_dir / "server_list.xml").string()));
    LoginManager manager;
    std::mutex lock;
    std::condition_variable done;
    bool ended = false;
    struct Waiter {
      std::mutex* lock;
      std::condition_variable* done;
      bool* ended;
    } waiter{&lock, &done, &ended};
    manager.SetAfterLoginCallBack(&waiter, [](void* context) {
      auto* w = static_cast<Waiter*>(context);
      std::lock_guard<std::mutex> hold(*w->lock);
      *w->ended = true;
      w->done->notify_all();
    });
    manager.Login("alice@example.com", "secret", true, false);
    std::unique_lock<std::mutex> hold(lock);
    done.wait(hold, [&] { return ended; });
    if (manager.GetResultCode() != LoginManager::kOk) Fail("sign-in failed");
    m_header = CurrentRequestHeader();
  }

  // createFile and the upload token of new content; the file's id.
  TransportToken Announce(const fs::path& file, const std::string& name, int64_t& id, int64_t size = -1) {
    if (size < 0) size = m_size;
    const FileReply created = RunUp<SyncUploadCreateTask>(
        CreateFileRequest(m_header, -1, m_header.userId, 0, Md5Of(file), static_cast<int>(size), -1, name, "", "",
                          false, 1, 0, true, true));
    if (created.code != 200 || created.type != 0) Fail("createFile: " + std::to_string(created.code));
    id = created.file.id;
    const TransportTokenReply token =
        RunUp<SyncUploadPZTask>(UploadFileControlRequest{m_header, id, id, m_header.userId});
    if (token.code != 200) Fail("uploadFileControl: " + std::to_string(token.code));
    return token.token;
  }

  void Complete(int64_t id, const fs::path& file) {
    const FileReply done = RunUp<UploadFileCompletedTask>(CompleteFileRequest{m_header, id, 1, 0, 1, true});
    if (done.code != 200 || done.type != 6 || done.file.doc.md5 != Md5Of(file))
      Fail("completeFile: " + std::to_string(done.code));
  }

  double UploadWithTasks(const fs::path& file, const std::string& name, int64_t& id) {
    const TransportToken token = Announce(file, name, id);
    FileBlockUpload upload(m_header, token, juce::File(file.string()));
    const Clock::time_point start = Clock::now();
    if (upload.Run(m_size) != TransferResult::Done) Fail("upload through the tasks failed");
    const double seconds = Seconds(Clock::now() - start);
    Complete(id, file);
    return seconds;
  }

  double UploadWithCurl(const fs::path& file, const std::string& name, int64_t& id) {
    const TransportToken token = Announce(file, name, id);
    const std::string url = m_server.BaseUrl() + "/dfs/service/?op=uploadFile&a=alice%40example.com&userId=" +
                            std::to_string(m_header.userId) + "&file=" + token.docURL;
    // The blocks and their MD5s are made before curl starts, but reading and
    // hashing them counts on curl's clock as it does on the tasks': both sides
    // pay for the same hashing.
    std::ifstream in(file, std::ios::binary);
    std::string config;
    std::string block(FileBlockUpload::kBlockSize, '\0');
    Clock::duration hashing{};
    for (int64_t offset = 0, n = 0; offset < m_size; offset += static_cast<int64_t>(block.size()), ++n) {
      const Clock::time_point readStart = Clock::now();
      block.resize(static_cast<size_t>(std::min<int64_t>(FileBlockUpload::kBlockSize, m_size - offset)));
      in.read(block.data(), static_cast<std::streamsize>(block.size()));
      const std::string md5 = Md5Of(block);
      hashing += Clock::now() - readStart;
      const fs::path part = m_dir / ("block-" + std::to_string(n));
      dorvtest::WriteFile(part, block);
      const std::string descriptor = "{\"file\":{\"offset\":" + std::to_string(offset) +
                                     ",\"length\":" + std::to_string(block.size()) +
                                     ",\"checkSumType\":17,\"checkSumValue\":\"" + md5 +
                                     "\"},\"dataSize\":" + std::to_string(block.size()) + "}";
      if (n > 0) config += "next\n";
      config += "url = " + Quoted(url) + "\n";
      config += "header = " + Quoted("Authorization: " + token.context) + "\n";
      config += "form-string = " + Quoted("dataDescriptor=" + descriptor) + "\n";
      config += "form = " + Quoted("dataBlocks=@" + part.string()) + "\n";
      config += "output = \"/dev/null\"\n";
    }
    dorvtest::WriteFile(m_dir / "upload.curl", config);
    const double seconds = RunCurl(m_dir / "upload.curl") + Seconds(hashing);
    Complete(id, file);
    for (int64_t n = 0; fs::remove(m_dir / ("block-" + std::to_string(n))); ++n) {
    }
    return seconds;
  }

  TransportToken DownloadToken(int64_t id, int64_t size = -1) {
    if (size < 0) size = m_size;
    const TransportTokenReply token = RunUp<DownloadFileTokenTask>(
        DownloadFileControlRequest(m_header, id, m_header.userId, static_cast<int>(size), "", ""));
    if (token.code != 200) Fail("downloadFileControl: " + std::to_string(token.code));
    return token.token;
  }

  double DownloadWithTasks(int64_t id, const std::string& md5) {
    const fs::path target = m_dir / "down-tasks.bin";
    FileRangedDownload download(m_header, DownloadToken(id), juce::File(target.string()));
    const Clock::time_point start = Clock::now();
    if (download.Run(m_size) != TransferResult::Done) Fail("download through the tasks failed");
    const double seconds = Seconds(Clock::now() - start);
    if (Md5Of(target) != md5) Fail("the downloaded file differs");
    fs::remove(target);
    return seconds;
  }

  // Ranges into files of their own (curl cannot append ranges to one file),
  // or one whole-file GET.
  double DownloadWithCurl(int64_t id, const std::string& md5, bool whole) {
    const TransportToken token = DownloadToken(id);
    const std::string url = m_server.BaseUrl() + "/dfs/service/?op=downloadFile&a=alice%40example.com&userId=" +
                            std::to_string(m_header.userId) + "&file=" + token.docURL;
    std::string config;
    std::vector<fs::path> parts;
    const int64_t step = whole ? m_size : FileRangedDownload::kRangeSize;
    for (int64_t start = 0; start < m_size; start += step) {
      const int64_t end = std::min(start + step, m_size) - 1;
      parts.push_back(m_dir / ("range-" + std::to_string(parts.size())));
      if (start > 0) config += "next\n";
      config += "url = " + Quoted(url) + "\n";
      config += "header = " + Quoted("Authorization: " + token.context) + "\n";
      if (!whole) config += "range = " + Quoted(std::to_string(start) + "-" + std::to_string(end)) + "\n";
      config += "output = " + Quoted(parts.back().string()) + "\n";
    }
    dorvtest::WriteFile(m_dir / "download.curl", config);
    const double seconds = RunCurl(m_dir / "download.curl");
    juce::MD5 check;
    std::string all;
    for (const fs::path& part : parts) {
      all += dorvtest::ReadFile(part);
      fs::remove(part);
    }
    if (Md5Of(all) != md5) Fail("curl's download differs");
    return seconds;
  }

  int64_t m_size;
  int m_repeats;
  dorvtest::TempDir m_dir{"transfer-bench"};
  dorvtest::DevServer m_server;
  RequestHeader m_header;
};

}  // namespace

int main(int argc, char** argv) {
  const bool limit = argc > 1 && std::string(argv[1]) == "--limit";
  const int kibps = limit && argc > 2 ? std::atoi(argv[2]) : 100;
  if (limit && (kibps < 1 || kibps > 9999)) Fail("usage: transfer_bench --limit [KiB/s from 1 to 9999]");
  const int64_t mib = !limit && argc > 1 ? std::atoll(argv[1]) : 256;
  const int repeats = argc > 2 ? std::atoi(argv[2]) : 3;
  if (mib <= 0 || mib >= 2048 || repeats <= 0) Fail("usage: transfer_bench [MiB below 2048] [repeats]");
  // The program's folders (log, databases) in a temporary folder of their own.
  dorvtest::TempDir home("transfer-bench-home");
  for (const char* variable : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"})
    setenv(variable, home.path().c_str(), 1);
  {
    Bench bench(mib * 1024 * 1024, repeats);
    if (limit)
      bench.RunLimit(kibps);
    else
      bench.Run();
  }
  FreeThreadsPools();
  return 0;
}
