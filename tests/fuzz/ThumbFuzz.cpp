// A photo as the photo list hands it to the thumbnail manager: from the file,
// through the EXIF thumbnail extractor or the image decoders, to the pixels of
// its thumbnail on the manager's own worker.
#include <condition_variable>
#include <filesystem>
#include <mutex>

#include "FuzzSupport.h"
#include "ui/thumb/ThumbManager.h"

namespace {

class Reported {
 public:
  void OnThumb(void*, CString, UINT, UINT) {
    std::lock_guard lock(m_mutex);
    m_done = true;
    m_changed.notify_all();
  }
  void Wait() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_done; });
    m_done = false;
  }

 private:
  std::mutex m_mutex;
  std::condition_variable m_changed;
  bool m_done = false;
};

// Made once; its worker waits on its event when the process ends.
UI::ThumbManager* Manager() {
  static UI::ThumbManager* manager = [] {
    UI::ThumbManager::InitInstance();
    const std::string folder = dorvfuzz::Home() + "/thumbs/";
    std::filesystem::create_directories(folder);
    UI::ThumbManager::SetTempPath(CString(std::wstring(folder.begin(), folder.end())));
    return new UI::ThumbManager;
  }();
  return manager;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Reported reported;
  UI::ThumbManager* manager = Manager();
  const std::string photo = dorvfuzz::WriteInput(data, size, "photo.jpg");
  auto* node = new UI::_ThumbNode;
  node->m_sPhotoPath = node->m_sOriPath = std::wstring(photo.begin(), photo.end());
  node->m_callback = UI::ThumbCallback(&reported, &Reported::OnThumb);
  manager->StartGenerateThumb(node);
  reported.Wait();
  // Gives the cache's file back, so the next input is made afresh.
  UI::ThumbManager::ReleaseThumbNode(node);
  return 0;
}
