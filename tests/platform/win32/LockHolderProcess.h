#pragma once
// A real second process that holds a lock on a file, standing for a program
// that has the file open, until the object goes.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ChildProcess.h"

namespace wintest {

class LockHolderProcess {
 public:
  // mode: ofd-shared, ofd-exclusive, flock-shared or flock-exclusive.
  LockHolderProcess(const std::string& file, const std::string& mode)
      : m_child(std::make_unique<ChildProcess>(LOCK_HOLDER_PATH, std::vector<std::string>{file, mode})) {
    std::string said = m_child->ReadLine();
    EXPECT_EQ(said, "locked") << file << " " << mode;
  }
  // Ends the holder now; its lock goes with it.
  void Release() { m_child.reset(); }

 private:
  std::unique_ptr<ChildProcess> m_child;
};

}  // namespace wintest
