#pragma once
// What the users wrote and what they knowingly replaced. Every content a side
// wrote is live until a user who saw it overwrites, truncates or deletes it;
// a user can only replace what was at the path in front of them. At a quiet
// point every live content must be in some file (a conflict copy counts).
#include <map>
#include <string>

namespace simtest {

class Model {
 public:
  // A side now has these bytes at a path (empty content is not tracked: it
  // can't be told apart).
  void Wrote(const std::string& bytes, const std::string& how);
  // A user replaced or deleted the bytes they saw.
  void Replaced(const std::string& bytes);
  void ReplacedMd5(const std::string& md5) { m_live.erase(md5); }

  // md5 -> how it was written.
  const std::map<std::string, std::string>& live() const { return m_live; }

 private:
  std::map<std::string, std::string> m_live;
};

}  // namespace simtest
