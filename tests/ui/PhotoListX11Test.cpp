// The photo list on a real X server (Xvfb): filled with photos whose
// thumbnails arrive from the worker, two of them picked by clicks through
// xdotool; its picture goes to build/screenshots/photo-list.png.
#include <gtest/gtest.h>

#include "../platform/display/X11Server.h"
#include "PhotoListFixture.h"
#include "display/Desktop.h"
#include "display/x11/X11Presenter.h"
#include "ui/photo/ListItemData.h"

namespace {

TEST(PhotoListX11Test, APhotoListWithThumbnailsAndASelection) {
  if (!uitest::InPhotoFolder()) return;
  auto server = x11test::X11Server::Start(800, 600);
  if (!server) GTEST_SKIP() << "Xvfb or xdotool is not installed";
  ASSERT_TRUE(x11test::Present(*server));
  {
    uitest::PhotoForm form;
    ASSERT_EQ(form.Open(560, 460, 20, 20), 1);
    form.AddPhotos(9);
    ASSERT_TRUE(form.WaitForThumbnails());
    for (int i : {1, 4}) {
      const CPoint p = form.PhotoCentre(i);
      ASSERT_EQ(server->Xdo("mousemove " + std::to_string(20 + p.x) + " " + std::to_string(20 + p.y) + " click 1"), 0);
      const int before = form.List()->GetSelectedCount();
      display::Desktop::Get().PumpUntil([&] { return form.List()->GetSelectedCount() > before; }, 10000);
    }
    EXPECT_EQ(form.List()->GetSelectedCount(), 2);
    form.Refresh(FALSE, nullptr);
    display::Desktop::Get().PumpUntilIdle();
    EXPECT_TRUE(server->Screen().WritePng(DORV_SCREENSHOTS "/photo-list.png"));
    form.DestroyWindow();
  }
  display::Desktop::Get().SetPresenter(nullptr);
}

}  // namespace
