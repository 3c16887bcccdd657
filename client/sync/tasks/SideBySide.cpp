#include "client/sync/tasks/SideBySide.h"

#include <optional>
#include <thread>
#include <vector>

#include "client/core/db/DBConnection.h"
#include "client/core/db/LocalDatabases.h"

void RunSideBySide(size_t count, const std::function<void(size_t)>& run) {
  if (count == 0) return;
  std::optional<DBCommitGroup> rows;
  if (count > 1) rows.emplace(LocalDatabases::UserConnection());
  std::vector<std::thread> beside;
  for (size_t n = 1; n < count; ++n)
    beside.emplace_back([&rows, &run, n] {
      DBCommitGroup::Member member(*rows);
      run(n);
    });
  run(0);
  for (std::thread& thread : beside) thread.join();
}
