// The thumbnail manager on real photo files: the extractor "Quorvex.dll" for
// photos that carry an EXIF thumbnail, decoding the photo for the others, the
// cache shared between managers, withdrawn requests and the clean-up at exit.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "ImageFiles.h"
#include "PhotoFiles.h"
#include "TempDir.h"
#include "common/AppPaths.h"
#include "image/ImageLimits.h"
#include "mfc/AfxWin.h"
#include "ui/thumb/ThumbManager.h"

namespace {

namespace fs = std::filesystem;
using UI::_ThumbNode;
using UI::ThumbManager;

// The library's own application object bound the extractor as the library was
// loaded, before anything here asked for it; it is not the program's
// application object. (Each test runs in a process of its own under ctest, and
// this one comes first in the program.)
TEST(UILibraryAppTest, LoadingTheLibraryBindsTheExtractorAndItIsNotTheProgramsApplication) {
  EXPECT_TRUE(ThumbManager::HasExtractor());
  EXPECT_EQ(AfxGetApp(), nullptr);
}

struct Report {
  void* owner = nullptr;
  std::wstring path;
  unsigned width = 0, height = 0;
};

// Collects what the worker reports, for the test thread to wait on.
class Sink {
 public:
  void OnThumb(void* owner, CString path, UINT width, UINT height) {
    std::lock_guard lock(m_mutex);
    m_reports.push_back({owner, path.str(), width, height});
    m_changed.notify_all();
  }
  void OnCompleted() {
    std::lock_guard lock(m_mutex);
    ++m_completed;
    m_changed.notify_all();
  }
  // Waits (the worker is real) until the queue has been emptied `times` times.
  std::vector<Report> WaitCompleted(int times = 1) {
    std::unique_lock lock(m_mutex);
    EXPECT_TRUE(m_changed.wait_for(lock, std::chrono::seconds(30), [&] { return m_completed >= times; }));
    return m_reports;
  }

 private:
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::vector<Report> m_reports;
  int m_completed = 0;
};

class ThumbManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ThumbManager::SetTempPath(CString((m_cache.path() / "").wstring()));
    m_manager.SetCompletedCallback(fastdelegate::MakeDelegate(&m_sink, &Sink::OnCompleted));
  }
  void TearDown() override {
    m_manager.StopThread();
    ThumbManager::ExitInstance();
  }
  _ThumbNode* Node(const fs::path& photo) {
    auto* node = new _ThumbNode;
    node->m_sPhotoPath = node->m_sOriPath = photo.wstring();
    node->m_pOwner = node;
    node->m_callback = UI::ThumbCallback(&m_sink, &Sink::OnThumb);
    return node;
  }
  // Makes one thumbnail and waits for it.
  Report Make(_ThumbNode* node) {
    EXPECT_EQ(m_manager.StartGenerateThumb(node), 1);
    auto reports = m_sink.WaitCompleted(++m_rounds);
    EXPECT_FALSE(reports.empty());
    return reports.empty() ? Report{} : reports.back();
  }
  std::vector<fs::path> CacheFiles() {
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(m_cache.path())) files.push_back(e.path());
    return files;
  }

  dorvtest::TempDir m_photos{"dorv-photos"};
  dorvtest::TempDir m_cache{"dorv-thumbs"};
  Sink m_sink;
  ThumbManager m_manager;
  int m_rounds = 0;
};

TEST_F(ThumbManagerTest, DecodedPhotoGivesA160ThumbnailUnderTheSharedName) {
  const fs::path photo = m_photos.path() / "beach.jpg";
  uitest::WriteJpeg(photo, uitest::Quadrants(640, 480));
  _ThumbNode* node = Node(photo);
  const Report r = Make(node);
  EXPECT_EQ(r.owner, node);
  EXPECT_EQ(r.width, 640u);
  EXPECT_EQ(r.height, 480u);
  EXPECT_EQ(r.path, ThumbManager::MakeThumbPath((m_cache.path() / "").wstring(), photo.wstring()));
  EXPECT_EQ(node->m_uThumbWidth, 160u);
  EXPECT_EQ(node->m_uThumbHeight, 160u);
  EXPECT_TRUE(uitest::Near(uitest::PixelOf(r.path, 40, 50), juce::Colours::red));
  EXPECT_EQ(CacheFiles().size(), 1u);
  ThumbManager::ReleaseThumbNode(node);
  EXPECT_TRUE(CacheFiles().empty());
}

TEST_F(ThumbManagerTest, PngPhotoGivesAPngThumbnailWithTheJpgName) {
  const fs::path photo = m_photos.path() / "icon.png";
  uitest::WritePng(photo, uitest::Quadrants(320, 160));
  _ThumbNode* node = Node(photo);
  const Report r = Make(node);
  ASSERT_FALSE(r.path.empty());
  EXPECT_EQ(fs::path(r.path).extension(), ".jpg");
  EXPECT_EQ(dorvtest::ReadFile(r.path).substr(1, 3), "PNG");
  ThumbManager::ReleaseThumbNode(node);
}

TEST_F(ThumbManagerTest, DamagedOrMissingPhotosReportAnEmptyPathAndLeaveNoFile) {
  const fs::path damaged = m_photos.path() / "damaged.jpg";
  std::string bytes = uitest::JpegBytes(uitest::Quadrants(200, 100));
  dorvtest::WriteFile(damaged, bytes.substr(0, bytes.size() / 3));
  for (const fs::path& photo : {damaged, m_photos.path() / "gone.jpg"}) {
    SCOPED_TRACE(photo.string());
    _ThumbNode* node = Node(photo);
    const Report r = Make(node);
    EXPECT_TRUE(r.path.empty());
    EXPECT_TRUE(CacheFiles().empty());
    ThumbManager::ReleaseThumbNode(node);
  }
}

// A GIF that claims a screen of 3072 × 17664 around a 2 × 2 picture is the
// 2 × 2 picture: the claimed screen is never allocated.
TEST_F(ThumbManagerTest, AGifIsAsLargeAsItsPictureNotTheScreenItClaims) {
  std::string gif = uitest::GifBytes();
  gif[6] = 0x00, gif[7] = 0x0C, gif[8] = 0x00, gif[9] = 0x45;  // 3072 × 17664
  const fs::path photo = m_photos.path() / "screen.gif";
  dorvtest::WriteFile(photo, gif);
  _ThumbNode* node = Node(photo);
  const Report r = Make(node);
  EXPECT_FALSE(r.path.empty());
  EXPECT_EQ(r.width, 2u);
  EXPECT_EQ(r.height, 2u);
  ThumbManager::ReleaseThumbNode(node);
}

TEST_F(ThumbManagerTest, RequestsAreQueuedOnceAndWithdrawnOnlyWhenQueued) {
  _ThumbNode* node = Node(m_photos.path() / "none.jpg");
  ThumbManager idle;  // a second manager whose worker we stop at once
  idle.StopThread();
  EXPECT_EQ(idle.StartGenerateThumb(node), 1);
  EXPECT_EQ(idle.StartGenerateThumb(node), 0);
  EXPECT_EQ(idle.StopGenerateThumb(node), 1);
  EXPECT_EQ(idle.StopGenerateThumb(node), 0);
  ThumbManager::ReleaseThumbNode(node);
}

TEST_F(ThumbManagerTest, TwoListsShareOneFileUntilTheLastReleasesIt) {
  const fs::path photo = m_photos.path() / "shared.jpg";
  uitest::WriteJpeg(photo, uitest::Quadrants(300, 200));
  _ThumbNode* first = Node(photo);
  const Report a = Make(first);
  Sink otherSink;
  ThumbManager other;
  other.SetCompletedCallback(fastdelegate::MakeDelegate(&otherSink, &Sink::OnCompleted));
  _ThumbNode* second = Node(photo);
  second->m_callback = UI::ThumbCallback(&otherSink, &Sink::OnThumb);
  ASSERT_EQ(other.StartGenerateThumb(second), 1);
  const auto reports = otherSink.WaitCompleted();
  other.StopThread();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].path, a.path);
  EXPECT_EQ(reports[0].width, 300u);
  EXPECT_EQ(ThumbManager::GetCacheRefCount(photo.wstring()), 2);
  EXPECT_EQ(CacheFiles().size(), 1u);

  // Asking again for a file it already shares does not count the node twice.
  Make(first);
  EXPECT_EQ(ThumbManager::GetCacheRefCount(photo.wstring()), 2);

  ThumbManager::ReleaseThumbNode(first);
  EXPECT_TRUE(fs::exists(a.path));
  ThumbManager::ReleaseThumbNode(second);
  EXPECT_FALSE(fs::exists(a.path));
  EXPECT_EQ(ThumbManager::GetCacheRefCount(photo.wstring()), 0);
}

// The worker's open of the photo shows the test that the request is in hand;
// a large photo keeps it there while the test withdraws it.
TEST_F(ThumbManagerTest, WithdrawnWhileBeingMadeGetsNoCallbackAndLeavesNoFile) {
  const int watch = ::inotify_init1(IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  _ThumbNode* withdrawn = nullptr;
  std::vector<_ThumbNode*> made;
  for (int attempt = 0; attempt < 5 && !withdrawn; ++attempt) {
    const fs::path photo = m_photos.path() / ("large" + std::to_string(attempt) + ".jpg");
    uitest::WriteJpeg(photo, uitest::Quadrants(4000, 3000));
    ASSERT_GE(::inotify_add_watch(watch, photo.c_str(), IN_OPEN), 0);
    _ThumbNode* node = Node(photo);
    ASSERT_EQ(m_manager.StartGenerateThumb(node), 1);
    pollfd opened{watch, POLLIN, 0};
    ASSERT_EQ(::poll(&opened, 1, 30000), 1);
    char events[4096];
    ASSERT_GT(::read(watch, events, sizeof events), 0);
    // Rarely the worker is done before the withdrawal: then try again.
    if (m_manager.StopGenerateThumb(node) == 1) {
      withdrawn = node;
    } else {
      made.push_back(node);
    }
    m_sink.WaitCompleted(++m_rounds);
  }
  ::close(watch);
  ASSERT_NE(withdrawn, nullptr);
  EXPECT_EQ(m_sink.WaitCompleted(m_rounds).size(), made.size());
  for (_ThumbNode* node : made) ThumbManager::ReleaseThumbNode(node);
  EXPECT_TRUE(CacheFiles().empty());
  ThumbManager::ReleaseThumbNode(withdrawn);
}

// Photos are whatever a folder holds: a link is not followed, a FIFO or a huge
// file is not read, and the worker goes on (and can be stopped) after each.
TEST_F(ThumbManagerTest, OnlyRegularFilesWithinTheSizeCapAreRead) {
  const fs::path real = m_photos.path() / "real.jpg";
  uitest::WriteJpeg(real, uitest::Quadrants(200, 100));
  const fs::path link = m_photos.path() / "link.jpg";
  fs::create_symlink(real, link);
  const fs::path fifo = m_photos.path() / "fifo.jpg";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // A whole photo, then zeros up to one byte past the cap (a sparse file).
  const fs::path huge = m_photos.path() / "huge.jpg";
  fs::copy_file(real, huge);
  fs::resize_file(huge, ImageLimits::kMaxFileBytes + 1);
  for (const fs::path& photo : {link, fifo, huge}) {
    SCOPED_TRACE(photo.filename().string());
    _ThumbNode* node = Node(photo);
    const Report r = Make(node);
    EXPECT_TRUE(r.path.empty());
    EXPECT_EQ(r.width, 0u);
    // Should the worker be stuck on the FIFO, a writer that comes and goes frees it.
    const int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    if (writer >= 0) ::close(writer);
    ThumbManager::ReleaseThumbNode(node);
  }
  EXPECT_TRUE(CacheFiles().empty());
  _ThumbNode* node = Node(real);
  EXPECT_FALSE(Make(node).path.empty());  // the real photo itself is fine
  ThumbManager::ReleaseThumbNode(node);
}

// The manager's own folder (in the application-data folder) is swept of the
// files of its naming when it is set (a crashed run's) and at exit; other
// files stay, and a folder outside the application data is never swept.
TEST_F(ThumbManagerTest, OwnFolderIsSweptAtStartAndExitOfTheManagersFilesOnly) {
  CString appData;
  Common::GetAppDataPath(appData);
  const fs::path own = fs::path(appData.str()) / "thumbs";
  fs::create_directories(own);
  const fs::path stale = own / "~quickbuffer_0123456789abcdef.jpg", staleWork = own / "~quickbuffer_0a.77-1.tmp";
  const fs::path unrelated = own / "holiday.jpg", shared = m_cache.path() / "~quickbuffer_fedcba.jpg";
  for (const fs::path& file : {stale, staleWork, unrelated, shared}) dorvtest::WriteFile(file, "left over");

  ThumbManager::SetTempPath(CString(m_cache.path().wstring() + L"/"));
  EXPECT_TRUE(fs::exists(shared));
  ThumbManager::SetTempPath(CString((own / "").wstring()));
  EXPECT_FALSE(fs::exists(stale));
  EXPECT_FALSE(fs::exists(staleWork));
  EXPECT_TRUE(fs::exists(unrelated));

  const fs::path photo = m_photos.path() / "kept.jpg";
  uitest::WriteJpeg(photo, uitest::Quadrants(100, 100));
  _ThumbNode* node = Node(photo);
  const Report r = Make(node);
  ASSERT_EQ(fs::path(r.path).parent_path(), own);
  dorvtest::WriteFile(stale, "left by a crash meanwhile");
  ThumbManager::SetTempPath(CString((own / "").wstring()));  // set again: the file in use stays
  EXPECT_TRUE(fs::exists(r.path));
  EXPECT_FALSE(fs::exists(stale));
  dorvtest::WriteFile(stale, "left by a crash meanwhile");
  ThumbManager::ExitInstance();
  EXPECT_FALSE(fs::exists(r.path));
  EXPECT_FALSE(fs::exists(stale));
  EXPECT_TRUE(fs::exists(unrelated));
  EXPECT_TRUE(fs::exists(shared));
  ThumbManager::ReleaseThumbNode(node);  // after exit: no file of its own to delete
  EXPECT_TRUE(fs::exists(unrelated));
}

// --- the extractor ------------------------------------------------------------------------

class ExtractorTest : public ThumbManagerTest {
 protected:
  void SetUp() override {
    ThumbManager::InitInstance();
    ASSERT_TRUE(ThumbManager::HasExtractor());
    ThumbManagerTest::SetUp();
  }
};

TEST_F(ExtractorTest, LetterBoxBarsAreCutToThePhotosShape) {
  struct Row {
    const char* name;
    int photoW, photoH;
    unsigned thumbW, thumbH;
  } rows[] = {{"wide photo loses its bars", 320, 180, 160, 90}, {"4:3 photo kept whole", 320, 240, 160, 120}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const fs::path photo = m_photos.path() / (std::string(row.name) + ".jpg");
    // The camera's thumbnail is 160 × 120 whatever the photo's shape.
    uitest::WriteJpegWithExif(photo, uitest::Quadrants(row.photoW, row.photoH), uitest::Quadrants(160, 120), 1);
    _ThumbNode* node = Node(photo);
    const Report r = Make(node);
    EXPECT_EQ(r.width, static_cast<unsigned>(row.photoW));
    EXPECT_EQ(r.height, static_cast<unsigned>(row.photoH));
    EXPECT_EQ(node->m_uThumbWidth, row.thumbW);
    EXPECT_EQ(node->m_uThumbHeight, row.thumbH);
    ThumbManager::ReleaseThumbNode(node);
  }
}

// The camera's 160 × 120 thumbnail of a 16:9 photo: the picture between black
// bars 15 rows high. What is kept is the picture, every edge of it.
TEST_F(ExtractorTest, TheCutTakesTheBarsAndKeepsThePicture) {
  juce::Image barred(juce::Image::RGB, 160, 120, true);  // black
  {
    juce::Graphics g(barred);
    g.drawImageAt(uitest::Quadrants(160, 90), 0, 15);
  }
  const fs::path photo = m_photos.path() / "barred.jpg";
  uitest::WriteJpegWithExif(photo, uitest::Quadrants(320, 180), barred, 1);
  _ThumbNode* node = Node(photo);
  const Report r = Make(node);
  ASSERT_EQ(node->m_uThumbWidth, 160u);
  ASSERT_EQ(node->m_uThumbHeight, 90u);
  EXPECT_TRUE(uitest::Near(uitest::PixelOf(r.path, 4, 2), juce::Colours::red));
  EXPECT_TRUE(uitest::Near(uitest::PixelOf(r.path, 155, 2), juce::Colour(0xFF00FF00)));
  EXPECT_TRUE(uitest::Near(uitest::PixelOf(r.path, 4, 87), juce::Colours::blue));
  EXPECT_TRUE(uitest::Near(uitest::PixelOf(r.path, 155, 87), juce::Colours::white));
  ThumbManager::ReleaseThumbNode(node);
}

// A stored thumbnail larger than any camera's is no thumbnail: its pixels are
// never taken, and the photo is decoded instead.
TEST_F(ExtractorTest, AThumbnailLargerThanACamerasIsNotUsed) {
  const fs::path photo = m_photos.path() / "large-thumbnail.jpg";
  uitest::WriteJpegWithExif(photo, uitest::Quadrants(400, 300), uitest::Quadrants(1600, 1200), 1);
  _ThumbNode* node = Node(photo);
  const Report r = Make(node);
  EXPECT_FALSE(r.path.empty());
  EXPECT_EQ(node->m_uThumbWidth, 160u);
  EXPECT_EQ(node->m_uThumbHeight, 160u);  // the decoded route's canvas, not the stored 160 × 120
  ThumbManager::ReleaseThumbNode(node);
}

TEST_F(ExtractorTest, EachOrientationIsTurnedUpright) {
  // Where the stored image's red top-left and green top-right corners belong,
  // as the EXIF standard places row 0 and column 0 for each value.
  enum Corner { TL, TR, BL, BR };
  struct Row {
    int orientation;
    Corner red, green;
  } rows[] = {{1, TL, TR}, {2, TR, TL}, {3, BR, BL}, {4, BL, BR},
              {5, TL, BL}, {6, TR, BR}, {7, BR, TR}, {8, BL, TL}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.orientation);
    const fs::path photo = m_photos.path() / ("turned" + std::to_string(row.orientation) + ".jpg");
    uitest::WriteJpegWithExif(photo, uitest::Quadrants(640, 480), uitest::Quadrants(160, 120), row.orientation);
    _ThumbNode* node = Node(photo);
    const Report r = Make(node);
    const bool swapped = row.orientation >= 5;
    const unsigned w = swapped ? 120 : 160, h = swapped ? 160 : 120;
    EXPECT_EQ(node->m_uThumbWidth, w);
    EXPECT_EQ(node->m_uThumbHeight, h);
    auto at = [&](Corner c) {
      const int x = (c == TL || c == BL) ? 10 : static_cast<int>(w) - 10;
      const int y = (c == TL || c == TR) ? 10 : static_cast<int>(h) - 10;
      return uitest::PixelOf(r.path, x, y);
    };
    EXPECT_TRUE(uitest::Near(at(row.red), juce::Colours::red));
    EXPECT_TRUE(uitest::Near(at(row.green), juce::Colour(0xFF00FF00)));
    ThumbManager::ReleaseThumbNode(node);
  }
}

TEST_F(ExtractorTest, PhotoWithoutAnExifThumbnailIsDecodedInstead) {
  const fs::path photo = m_photos.path() / "plain.jpg";
  uitest::WriteJpeg(photo, uitest::Quadrants(400, 300));
  _ThumbNode* node = Node(photo);
  const Report r = Make(node);
  EXPECT_FALSE(r.path.empty());
  EXPECT_EQ(r.width, 400u);
  EXPECT_EQ(node->m_uThumbWidth, 160u);
  EXPECT_EQ(node->m_uThumbHeight, 160u);  // the decoded route centres on a 160 × 160 canvas
  ThumbManager::ReleaseThumbNode(node);
}

}  // namespace
