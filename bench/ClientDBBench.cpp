// Inserts and looks up FileList rows through the managers, in a database of
// its own under a temporary application-data folder.
//
//   clientdb_bench [rows]        (default 100000)
//
// Prints the insert rate (one commit a row, as a lone change writes it; in the
// batches the engine makes of rows that come together: downloads side by side,
// and a listing's downloads one after another; and inside one transaction),
// the look-up times by path and by id, and the size of the database per row.
#include <sqlite3.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "client/core/context/GlobalContext.h"
#include "client/core/db/DBConnection.h"
#include "client/core/db/LocalDatabases.h"
#include "common/AppPaths.h"
#include "client/sync/pumps/DownTaskPumps.h"
#include "common/StringConvert.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

SyncFileData MakeRow(int i) {
  SyncFileData row;
  row.m_FileID = 100000000 + i;
  row.m_ParentID = 5000 + i / 100;
  row.m_FileName = "document_" + juce::String(i) + ".txt";
  row.m_FilePath = "/home/user/Dorv/projects/folder_" + juce::String(i / 100) + "/" + row.m_FileName;
  row.m_FileType = 1;
  row.m_UpdateTime = 1700000000000 + i;
  row.m_CreateTime = 1700000000000;
  row.m_OwnerID = 4242;
  row.m_OwnerAccount = "user@example.com";
  row.m_CreateID = 4242;
  row.m_CreatorAccount = "user@example.com";
  row.m_VersionValue = juce::String(i) + "|" + juce::String(i * 7);
  row.m_Md5 = juce::String::toHexString(static_cast<int>(i * 2654435761u)).paddedLeft('0', 8) +
              "d41d8cd98f00b204e9800998";
  row.m_FileSize = i * 13;
  return row;
}

}  // namespace

int main(int argc, char** argv) {
  const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
  char folderTemplate[] = "/tmp/dorv-bench-XXXXXX";
  if (mkdtemp(folderTemplate) == nullptr) return 1;
  const std::filesystem::path home(folderTemplate);
  setenv("XDG_DATA_HOME", home.c_str(), 1);

  if (OpenMainDB() != SQLITE_OK) return 1;
  CreateDBLocks();
  if (OpenUserDB("bench@example.com") != SQLITE_OK) return 1;
  FileDBManager* files = GetGlobalContext()->m_pFileDBManager.get();
  if (files->CreateDBTable() != 0) return 1;

  std::vector<SyncFileData> data;
  data.reserve(rows);
  for (int i = 0; i < rows; ++i) data.push_back(MakeRow(i));

  // Each way of writing fills the table anew; the ways take turns for three
  // rounds, so that a busy moment of the disk hits them alike, and the best
  // round of each counts. The last one leaves the table full for the look-ups.
  enum class Way { OneCommitEach, GroupsOfFour, PumpBatch, OneTransaction };
  auto insertAll = [&](Way way) {
    if (files->DropDBTable() != 0 || files->CreateDBTable() != 0) return -1.0;
    const auto begin = Clock::now();
    // Rows in the engine's batches: a commit group of `size` rows at a time
    // (downloads side by side), or the down pump's rolling batch.
    auto grouped = [&](size_t size, size_t rowsPerCommit) {
      for (size_t first = 0; first < data.size(); first += size) {
        DBCommitGroup group(LocalDatabases::UserConnection(), rowsPerCommit);
        for (size_t i = first; i < std::min(data.size(), first + size); ++i)
          if (files->ReplaceFile(data[i]) != 0) return false;
      }
      return true;
    };
    bool ok = true;
    switch (way) {
      case Way::OneCommitEach:  // one statement, one commit per row: a change on its own
        for (const SyncFileData& row : data) ok = ok && files->ReplaceFile(row) == 0;
        break;
      case Way::GroupsOfFour: ok = grouped(4, 0); break;
      case Way::PumpBatch: ok = grouped(data.size(), DownNormalTaskPump::kRowsPerCommit); break;
      case Way::OneTransaction:  // what batching could reach
        DBManagerBase::ExecSQLUser(nullptr, nullptr, DBStatement("BEGIN"));
        for (const SyncFileData& row : data) ok = ok && files->ReplaceFile(row) == 0;
        ok = DBManagerBase::ExecSQLUser(nullptr, nullptr, DBStatement("COMMIT")) == 0 && ok;
        break;
    }
    return ok ? Seconds(Clock::now() - begin) : -1.0;
  };
  const Way ways[] = {Way::OneCommitEach, Way::GroupsOfFour, Way::PumpBatch, Way::OneTransaction};
  double best[4] = {1e30, 1e30, 1e30, 1e30};
  for (int round = 0; round < 3; ++round)
    for (int w = 0; w < 4; ++w) {
      const double seconds = insertAll(ways[w]);
      if (seconds < 0) return 2;
      best[w] = std::min(best[w], seconds);
    }
  const double insertSeconds = best[0], sideBySideSeconds = best[1], rollingSeconds = best[2], batchSeconds = best[3];

  std::mt19937 random(7);
  std::uniform_int_distribution<int> pick(0, rows - 1);
  const int lookups = rows < 20000 ? rows : 20000;

  auto start = Clock::now();
  int found = 0;
  for (int i = 0; i < lookups; ++i) {
    SyncFileData row;
    if (files->SelectFileByPath(data[pick(random)].m_FilePath, row) == 0 && row.m_FileID != -1) ++found;
  }
  const double pathSeconds = Seconds(Clock::now() - start);

  start = Clock::now();
  for (int i = 0; i < lookups; ++i) {
    SyncFileData row;
    if (files->SelectFileByID(data[pick(random)].m_FileID, row) == 0 && row.m_FileID != -1) ++found;
  }
  const double idSeconds = Seconds(Clock::now() - start);

  start = Clock::now();
  size_t listed = 0;
  const int folders = (rows + 99) / 100;
  for (int f = 0; f < folders; ++f) {
    std::vector<SyncFileData> list;
    files->SelectFilesByParentID(5000 + f, list);
    listed += list.size();
  }
  const double listSeconds = Seconds(Clock::now() - start);

  // Everything into the main file before it is measured.
  DBManagerBase::ExecSQLUser(nullptr, nullptr, DBStatement("PRAGMA wal_checkpoint(TRUNCATE)"));
  const juce::String dbPath = GetUserDBFilePath("bench@example.com");
  const auto bytes = std::filesystem::file_size(dbPath.toStdString());

  std::printf("rows inserted:           %d (best of 3 rounds)\n", rows);
  std::printf("insert (one commit each): %.0f rows/s (%.1f us/row)\n", rows / insertSeconds,
              insertSeconds * 1e6 / rows);
  std::printf("insert (one transaction): %.0f rows/s; one commit each / one transaction: %.2f\n",
              rows / batchSeconds, batchSeconds / insertSeconds);
  std::printf("insert (groups of 4):     %.0f rows/s; / one transaction: %.2f\n", rows / sideBySideSeconds,
              batchSeconds / sideBySideSeconds);
  std::printf("insert (batch, %zu a commit): %.0f rows/s; / one transaction: %.2f\n",
              DownNormalTaskPump::kRowsPerCommit, rows / rollingSeconds, batchSeconds / rollingSeconds);
  std::printf("look-up by path:         %.1f us (%d look-ups)\n", pathSeconds * 1e6 / lookups, lookups);
  std::printf("look-up by id:           %.1f us\n", idSeconds * 1e6 / lookups);
  std::printf("list by parent id:       %.1f us per folder of 100 rows\n",
              listSeconds * 1e6 / folders);
  std::printf("database size:           %llu bytes, %.0f bytes/row\n",
              static_cast<unsigned long long>(bytes), static_cast<double>(bytes) / rows);
  std::printf("found %d of %d, listed %zu\n", found, 2 * lookups, listed);

  CloseAllDB();
  DeleteGlobalContext();
  std::filesystem::remove_all(home);
  return found == 2 * lookups && listed == static_cast<size_t>(rows) ? 0 : 3;
}
