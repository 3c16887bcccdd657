#include "SimActions.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <iterator>
#include <cctype>
#include <vector>

namespace fs = std::filesystem;

namespace simtest {

namespace {

const char* const kFileNames[] = {"a.txt", "b.txt", "notes 1.txt", "报告.docx", "😀 smile.md", "Report.TXT",
                                  "data.bin", "x", "说明 2.txt", "🎉.txt", "c.txt", "图片.png"};
const char* const kDirNames[] = {"P", "Q", "docs", "新建文件夹", "📁 box", "my folder", "R", "d"};
const char* const kFaults[] = {
    "op=*&http=500&times=3",          "op=uploadFile&drop=1&times=2",     "op=downloadFile&drop=1",
    "op=syncDir&code=500&times=2",    "op=*&delayMs=700&times=6",         "op=completeFile&http=502&afterOp=1",
    "op=createFile&drop=1&afterOp=1", "op=renameFile&drop=1&afterOp=1",   "op=LINK_BEATHEART&http=503&times=2",
    "op=moveFile&code=500",           "op=delDir&drop=1&afterOp=1",       "op=updateFileContent&http=500&times=2"};

std::string ParentOf(const std::string& rel) {
  const size_t slash = rel.rfind('/');
  return slash == std::string::npos ? std::string() : rel.substr(0, slash);
}
std::string NameOf(const std::string& rel) {
  const size_t slash = rel.rfind('/');
  return slash == std::string::npos ? rel : rel.substr(slash + 1);
}
std::string Join(const std::string& parent, const std::string& name) { return parent.empty() ? name : parent + "/" + name; }
int Depth(const std::string& rel) { return rel.empty() ? 0 : 1 + static_cast<int>(std::count(rel.begin(), rel.end(), '/')); }
bool Within(const std::string& rel, const std::string& folder) {
  return rel == folder || rel.rfind(folder + "/", 0) == 0;
}

// --- a device's user at its sync folder --------------------------------------

struct Local {
  World& world;
  Model& model;
  int side;
  int index;

  fs::path Full(const std::string& rel) const { return world.engine(side).root() / rel; }
  std::string How(const std::string& what, const std::string& rel) const {
    return std::string(SideName(side)) + " " + what + " \"" + rel + "\" at step " + std::to_string(index);
  }

  static std::string ReadFd(int fd) {
    std::string bytes;
    char buffer[65536];
    off_t at = 0;
    for (ssize_t got; (got = ::pread(fd, buffer, sizeof(buffer), at)) > 0; at += got) bytes.append(buffer, got);
    return bytes;
  }
  static bool WriteFd(int fd, const std::string& bytes, off_t at) {
    for (size_t done = 0; done < bytes.size();) {
      const ssize_t put = ::pwrite(fd, bytes.data() + done, bytes.size() - done, at + static_cast<off_t>(done));
      if (put <= 0) return false;
      done += static_cast<size_t>(put);
    }
    return true;
  }
  // The open file is still the one at the path: nothing replaced it meanwhile,
  // so what was read is what the user saw and what was written is theirs.
  static bool StillAt(int fd, const fs::path& full) {
    struct stat open {}, now {};
    return ::fstat(fd, &open) == 0 && ::lstat(full.c_str(), &now) == 0 && open.st_ino == now.st_ino &&
           open.st_dev == now.st_dev;
  }
  bool IsFile(const fs::path& full) const {
    struct stat info {};
    return ::lstat(full.c_str(), &info) == 0 && S_ISREG(info.st_mode);
  }
  bool Exists(const fs::path& full) const {
    struct stat info {};
    return ::lstat(full.c_str(), &info) == 0;
  }

  // Replaces the content of an existing file in place through one descriptor.
  template <class Change>
  void Edit(const std::string& rel, const char* what, Change change) {
    const fs::path full = Full(rel);
    if (!IsFile(full)) return;
    const int fd = ::open(full.c_str(), O_RDWR | O_NOFOLLOW);
    if (fd < 0) return;
    const std::string old = ReadFd(fd);
    std::string now;
    const bool done = change(fd, old, now);
    const bool mine = done && StillAt(fd, full);
    ::close(fd);
    if (!mine) return;
    model.Replaced(old);
    model.Wrote(now, How(what, rel));
  }

  void Write(const std::string& rel, const std::string& bytes) {
    const fs::path full = Full(rel);
    if (Exists(full)) {
      Edit(rel, "wrote", [&](int fd, const std::string&, std::string& now) {
        now = bytes;
        return ::ftruncate(fd, 0) == 0 && WriteFd(fd, bytes, 0);
      });
      return;
    }
    std::error_code error;
    fs::create_directories(full.parent_path(), error);
    if (error) return;
    const int fd = ::open(full.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0644);
    if (fd < 0) return;
    const bool written = WriteFd(fd, bytes, 0);
    ::close(fd);
    if (written) model.Wrote(bytes, How("created", rel));
  }

  void AtomicSave(const std::string& rel, const std::string& bytes) {
    const fs::path full = Full(rel);
    if (Exists(full) && !IsFile(full)) return;
    std::error_code error;
    fs::create_directories(full.parent_path(), error);
    const fs::path temp = full.parent_path() / ("~" + NameOf(rel) + ".tmp");
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0644);
    if (fd < 0) return;
    const bool written = WriteFd(fd, bytes, 0);
    ::close(fd);
    if (!written) {
      ::unlink(temp.c_str());
      return;
    }
    if (IsFile(full)) {
      const std::string old = ReadWhole(full);
      if (::rename(temp.c_str(), full.c_str()) != 0) {
        ::unlink(temp.c_str());
        return;
      }
      model.Replaced(old);
      model.Wrote(bytes, How("saved", rel));
    } else if (::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, full.c_str(), RENAME_NOREPLACE) == 0) {
      model.Wrote(bytes, How("saved", rel));
    } else {
      ::unlink(temp.c_str());
    }
  }

  void Rename(const std::string& from, const std::string& to) {
    ::renameat2(AT_FDCWD, Full(from).c_str(), AT_FDCWD, Full(to).c_str(), RENAME_NOREPLACE);
  }

  // Takes a file away by moving it out of the sync folder first, so that what
  // was deleted is exactly what the user had.
  void TakeFile(const fs::path& full, int n) {
    const fs::path trash = world.engine(side).home() / "trash" / (std::to_string(index) + "-" + std::to_string(n));
    if (::rename(full.c_str(), trash.c_str()) != 0) return;
    model.Replaced(ReadWhole(trash));
    ::unlink(trash.c_str());
  }

  void Delete(const std::string& rel, bool wholeFolder) {
    const fs::path full = Full(rel);
    struct stat info {};
    if (::lstat(full.c_str(), &info) != 0) return;
    if (!S_ISDIR(info.st_mode)) {
      TakeFile(full, 0);
      return;
    }
    if (wholeFolder) {
      // The folder leaves the sync folder in one move.
      const fs::path trash = world.engine(side).home() / "trash" / std::to_string(index);
      if (::rename(full.c_str(), trash.c_str()) != 0) return;
      std::error_code error;
      for (auto it = fs::recursive_directory_iterator(trash, error); !error && it != fs::recursive_directory_iterator();
           it.increment(error))
        if (it->is_regular_file(error)) model.Replaced(ReadWhole(it->path()));
      fs::remove_all(trash, error);
      return;
    }
    // As rm -r does: the files one by one, then the folders deepest first.
    std::vector<fs::path> entries;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(full, error); !error && it != fs::recursive_directory_iterator();
         it.increment(error))
      entries.push_back(it->path());
    std::sort(entries.begin(), entries.end(), [](const fs::path& a, const fs::path& b) {
      return std::distance(a.begin(), a.end()) > std::distance(b.begin(), b.end());
    });
    entries.push_back(full);
    int n = 0;
    for (const fs::path& entry : entries) {
      struct stat one {};
      if (::lstat(entry.c_str(), &one) != 0) continue;
      if (S_ISDIR(one.st_mode))
        ::rmdir(entry.c_str());
      else
        TakeFile(entry, n++);
    }
  }
};

// --- the other party, through the service's admin API ------------------------

struct Remote {
  World& world;
  Model& model;
  int index;

  std::string How(const std::string& what, const std::string& rel) const {
    return std::string("W ") + what + " \"" + rel + "\" at step " + std::to_string(index);
  }
  std::string Account() const { return std::string("account=") + World::kAccount; }

  // The id of the folder at rel ("" is the service folder); 0 when there is none.
  std::int64_t FolderId(const Tree& tree, const std::string& rel) const {
    if (rel.empty()) return world.rootId();
    auto it = tree.find(rel);
    return it != tree.end() && it->second.isDir ? it->second.id : 0;
  }
  std::int64_t ItemId(const Tree& tree, const std::string& rel) const {
    auto it = tree.find(rel);
    return it == tree.end() ? 0 : it->second.id;
  }

  bool Put(const Tree& tree, const std::string& rel, const std::string& bytes, const char* what) {
    const std::int64_t parent = FolderId(tree, ParentOf(rel));
    if (parent == 0) return false;
    auto it = tree.find(rel);
    if (it != tree.end() && it->second.isDir) return false;
    const std::string old = it != tree.end() ? world.ServiceContent(it->second.id) : std::string();
    const Json::Value reply = world.Admin("put?" + Account() + "&parentId=" + std::to_string(parent) +
                                              "&name=" + Escape(NameOf(rel)),
                                          bytes);
    if (reply.isNull()) return false;
    model.Replaced(old);
    model.Wrote(bytes, How(what, rel));
    return true;
  }

  void Write(const std::string& rel, const std::string& bytes) { Put(world.ServiceTree(), rel, bytes, "put"); }

  template <class Change>
  void Edit(const std::string& rel, const char* what, Change change) {
    const Tree tree = world.ServiceTree();
    auto it = tree.find(rel);
    if (it == tree.end() || it->second.isDir) return;
    Put(tree, rel, change(world.ServiceContent(it->second.id)), what);
  }

  void Mkdir(const std::string& rel) {
    const Tree tree = world.ServiceTree();
    const std::int64_t parent = FolderId(tree, ParentOf(rel));
    if (parent == 0 || tree.count(rel)) return;
    world.Admin("mkdir?" + Account() + "&parentId=" + std::to_string(parent) + "&name=" + Escape(NameOf(rel)));
  }

  void Rename(const std::string& from, const std::string& to) {
    const Tree tree = world.ServiceTree();
    const std::int64_t id = ItemId(tree, from);
    if (id == 0 || tree.count(to)) return;
    if (ParentOf(from) == ParentOf(to)) {
      world.Admin("rename?" + Account() + "&id=" + std::to_string(id) + "&name=" + Escape(NameOf(to)));
      return;
    }
    const std::int64_t parent = FolderId(tree, ParentOf(to));
    if (parent != 0) world.Admin("move?" + Account() + "&id=" + std::to_string(id) + "&parentId=" + std::to_string(parent));
  }

  void Delete(const std::string& rel) {
    const Tree tree = world.ServiceTree();
    const std::int64_t id = ItemId(tree, rel);
    if (id == 0) return;
    if (world.Admin("delete?" + Account() + "&id=" + std::to_string(id)).isNull()) return;
    for (const auto& [path, entry] : tree)
      if (!entry.isDir && Within(path, rel)) model.ReplacedMd5(entry.md5);
  }
};

std::int64_t PickSize(std::mt19937_64& random) {
  const int roll = static_cast<int>(random() % 100);
  if (roll < 12) return 0;
  if (roll < 16) return 2 * 1024 * 1024 + static_cast<std::int64_t>(random() % (1536 * 1024));
  return kHeaderBytes + static_cast<std::int64_t>(random() % 4000);
}

std::string ToggleCase(const std::string& name) {
  std::string out = name;
  for (char& c : out)
    if (std::isalpha(static_cast<unsigned char>(c))) {
      c = std::isupper(static_cast<unsigned char>(c)) ? static_cast<char>(std::tolower(c))
                                                      : static_cast<char>(std::toupper(c));
      return out;
    }
  return {};
}

template <class T>
const T& Pick(std::mt19937_64& random, const std::vector<T>& from) {
  return from[random() % from.size()];
}

std::string FreeName(std::mt19937_64& random, const Tree& tree, const std::string& parent, bool folder) {
  for (int attempt = 0; attempt < 8; ++attempt) {
    const std::string name = folder ? kDirNames[random() % std::size(kDirNames)] : kFileNames[random() % std::size(kFileNames)];
    if (!tree.count(Join(parent, name))) return Join(parent, name);
  }
  return Join(parent, std::string(folder ? "folder " : "file ") + std::to_string(random() % 100000) + (folder ? "" : ".txt"));
}

}  // namespace

Step ChooseStep(World& world, std::mt19937_64& random, std::uint64_t tag) {
  Step step;
  step.tag = tag;
  const int pause = static_cast<int>(random() % 100);
  step.pauseMs = pause < 60 ? static_cast<int>(random() % 50) : pause < 90 ? 50 + static_cast<int>(random() % 350)
                                                                           : 400 + static_cast<int>(random() % 1100);

  // Weights of the steps, in the order of Op up to ServiceRestart.
  static const int weights[] = {20, 6, 4, 8, 6, 8, 6, 3, 7, 3, 2, 2, 2, 3, 1};
  int roll = static_cast<int>(random() % 81);
  int op = 0;
  while (roll >= weights[op]) roll -= weights[op++];
  step.op = static_cast<Op>(op);

  if (step.op == Op::Kill || step.op == Op::Restart) {
    step.side = static_cast<int>(random() % 2);
    if (world.engine(step.side).running() != (step.op == Op::Kill)) step.op = Op::Write;
  }
  if (step.op == Op::Fault || step.op == Op::ServiceRestart) {
    step.side = kService;
    if (step.op == Op::Fault) step.text = kFaults[random() % std::size(kFaults)];
    return step;
  }
  if (step.op == Op::Kill || step.op == Op::Restart) return step;

  const int sideRoll = static_cast<int>(random() % 10);
  step.side = sideRoll < 4 ? kA : sideRoll < 8 ? kB : kW;
  const Tree tree = step.side == kW ? world.ServiceTree() : ReadLocalTree(world.engine(step.side).root(), false);
  std::vector<std::string> folders = {""}, files, entries;
  for (const auto& [path, entry] : tree) {
    // Temporary files, ours and the engine's (hidden), are no user's to touch.
    if (path.find("/~") != std::string::npos || path.rfind('~', 0) == 0 || path.find("/.") != std::string::npos ||
        path.rfind('.', 0) == 0)
      continue;
    entries.push_back(path);
    if (entry.isDir && Depth(path) < 3) folders.push_back(path);
    if (!entry.isDir) files.push_back(path);
  }
  const bool needsFile = step.op == Op::Append || step.op == Op::Truncate;
  const bool needsEntry = step.op == Op::Rename || step.op == Op::Move || step.op == Op::CaseRename ||
                          step.op == Op::Delete || step.op == Op::Swap;
  if ((needsFile && files.empty()) || (needsEntry && entries.empty())) step.op = Op::Write;

  switch (step.op) {
    case Op::Write:
    case Op::AtomicSave:
      step.size = PickSize(random);
      step.path = !files.empty() && random() % 10 < 6 ? Pick(random, files)
                                                      : FreeName(random, tree, Pick(random, folders), false);
      break;
    case Op::Append:
      step.path = Pick(random, files);
      step.size = PickSize(random) % 3000 + kHeaderBytes;
      break;
    case Op::Truncate: {
      step.path = Pick(random, files);
      const std::int64_t size = tree.at(step.path).size;
      step.size = size > kHeaderBytes + 1 && random() % 3 ? kHeaderBytes + static_cast<std::int64_t>(random() % (size - kHeaderBytes)) : 0;
      break;
    }
    case Op::Mkdir:
      step.path = FreeName(random, tree, Pick(random, folders), true);
      break;
    case Op::Rename:
      step.path = Pick(random, entries);
      step.to = FreeName(random, tree, ParentOf(step.path), tree.at(step.path).isDir);
      break;
    case Op::Move: {
      step.path = Pick(random, entries);
      const std::string target = Pick(random, folders);
      step.to = Join(target, NameOf(step.path));
      if (target == ParentOf(step.path) || Within(target, step.path) || tree.count(step.to)) step.to.clear();
      break;
    }
    case Op::CaseRename:
      step.path = Pick(random, entries);
      step.to = Join(ParentOf(step.path), ToggleCase(NameOf(step.path)));
      if (ToggleCase(NameOf(step.path)).empty() || tree.count(step.to)) step.to.clear();
      break;
    case Op::Delete:
      step.path = Pick(random, entries);
      step.size = static_cast<std::int64_t>(random() % 2);  // 1: the folder leaves in one move
      break;
    case Op::Swap:
      step.path = Pick(random, entries);
      step.size = PickSize(random);
      break;
    case Op::Burst:
      step.path = Join(Pick(random, folders), "burst " + std::to_string(tag % 100000));
      step.size = 10 + static_cast<std::int64_t>(random() % 30);
      break;
    default:
      break;
  }
  // A move or case change with nowhere to go would be no step at all: a new file instead.
  if ((step.op == Op::Move || step.op == Op::CaseRename) && step.to.empty()) {
    step.op = Op::Write;
    step.size = PickSize(random);
    step.path = FreeName(random, tree, Pick(random, folders), false);
  }
  return step;
}

void ApplyStep(World& world, Model& model, const Step& step, int index) {
  switch (step.op) {
    case Op::Kill:
      world.engine(step.side).Kill();
      return;
    case Op::Restart:
      world.StartEngine(step.side);
      return;
    case Op::Fault:
      world.Admin("fault?" + step.text);
      return;
    case Op::ServiceRestart:
      world.RestartService();
      return;
    case Op::Quiesce:
      return;
    default:
      break;
  }
  const std::string bytes = Content(step.tag, step.size);

  if (step.side == kW) {
    Remote w{world, model, index};
    switch (step.op) {
      case Op::Write:
      case Op::AtomicSave:
        w.Write(step.path, bytes);
        break;
      case Op::Append:
        w.Edit(step.path, "appended", [&](const std::string& old) { return old + Content(step.tag, step.size); });
        break;
      case Op::Truncate:
        w.Edit(step.path, "truncated", [&](const std::string& old) { return old.substr(0, std::min<size_t>(old.size(), step.size)); });
        break;
      case Op::Mkdir:
        w.Mkdir(step.path);
        break;
      case Op::Rename:
      case Op::Move:
      case Op::CaseRename:
        if (!step.to.empty()) w.Rename(step.path, step.to);
        break;
      case Op::Delete:
        w.Delete(step.path);
        break;
      case Op::Swap: {
        const Tree tree = world.ServiceTree();
        auto it = tree.find(step.path);
        if (it == tree.end()) break;
        const bool wasFolder = it->second.isDir;
        w.Delete(step.path);
        if (wasFolder) {
          w.Write(step.path, bytes);
        } else {
          w.Mkdir(step.path);
          w.Write(step.path + "/inner.txt", bytes);
        }
        break;
      }
      case Op::Burst:
        w.Mkdir(step.path);
        for (int i = 0; i < step.size; ++i)
          w.Write(step.path + "/f" + std::to_string(i) + ".txt", Content(step.tag + 1 + i, 64 + i));
        break;
      default:
        break;
    }
    return;
  }

  Local user{world, model, step.side, index};
  switch (step.op) {
    case Op::Write:
      user.Write(step.path, bytes);
      break;
    case Op::Append:
      user.Edit(step.path, "appended", [&](int fd, const std::string& old, std::string& now) {
        now = old + bytes;
        return Local::WriteFd(fd, bytes, static_cast<off_t>(old.size()));
      });
      break;
    case Op::Truncate:
      user.Edit(step.path, "truncated", [&](int fd, const std::string& old, std::string& now) {
        if (static_cast<std::int64_t>(old.size()) <= step.size) return false;
        now = old.substr(0, static_cast<size_t>(step.size));
        return ::ftruncate(fd, step.size) == 0;
      });
      break;
    case Op::AtomicSave:
      user.AtomicSave(step.path, bytes);
      break;
    case Op::Mkdir: {
      std::error_code error;
      fs::create_directories(user.Full(step.path), error);
      break;
    }
    case Op::Rename:
    case Op::Move:
    case Op::CaseRename:
      if (!step.to.empty()) user.Rename(step.path, step.to);
      break;
    case Op::Delete:
      user.Delete(step.path, step.size == 1);
      break;
    case Op::Swap: {
      const fs::path full = user.Full(step.path);
      if (!user.Exists(full)) break;
      const bool wasFolder = fs::is_directory(fs::symlink_status(full));
      user.Delete(step.path, (step.tag & 1) != 0);
      if (user.Exists(full)) break;  // something new arrived in the folder meanwhile
      if (wasFolder) {
        user.Write(step.path, bytes);
      } else {
        std::error_code error;
        fs::create_directory(full, error);
        user.Write(step.path + "/inner.txt", bytes);
      }
      break;
    }
    case Op::Burst:
      for (int i = 0; i < step.size; ++i)
        user.Write(step.path + "/f" + std::to_string(i) + ".txt", Content(step.tag + 1 + i, 64 + i));
      break;
    default:
      break;
  }
}

}  // namespace simtest
