#include "SimModel.h"

#include "SimTree.h"

namespace simtest {

void Model::Wrote(const std::string& bytes, const std::string& how) {
  if (!bytes.empty()) m_live[Md5Of(bytes)] = how;
}

void Model::Replaced(const std::string& bytes) {
  if (!bytes.empty()) m_live.erase(Md5Of(bytes));
}

}  // namespace simtest
