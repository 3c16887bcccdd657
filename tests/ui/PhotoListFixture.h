#pragma once
// A form with a photo list built from a small skin, filled with real photo
// files made in the program folder (JPEG, JPEG with an EXIF thumbnail, PNG and
// a damaged file), for the headless tests and the screenshot on a display.
#include <string>
#include <vector>

#include "ControlFixture.h"
#include "ui/photo/UIList.h"

namespace uitest {

// The skin and build file of the photo form; with `photoSkinCss` the theme's
// own, inside InProgramFolder. False in the parent process (see InProgramFolder).
bool InPhotoFolder();

class PhotoForm : public FixtureForm {
 public:
  PhotoForm();
  // Makes the window and finds the list; 0 when either failed.
  int Open(int width = 560, int height = 460, int x = 0, int y = 0);
  UI::CUIList* List() const { return m_list; }
  // Writes `count` photos of assorted kinds and adds them to the list.
  void AddPhotos(int count);
  // Pumps the UI thread until the list reported that its thumbnails are done.
  bool WaitForThumbnails();
  // The original paths of the records in data order, by file name.
  std::vector<std::string> Order();
  // The middle of the photo of the record at a data index, in client coordinates.
  CPoint PhotoCentre(int dataIndex);
  std::string ThumbFolder() const;

  int m_thumbsDone = 0;
  int m_photoCountEvents = 0;
  intptr_t m_lastPhotoCount = -1;
  unsigned long m_thumbsDoneThread = 0;

 private:
  int OnThumbsDone(UI::CUIControl*, void*);
  int OnPhotoCount(UI::CUIControl*, void* count);

  UI::CUIList* m_list = nullptr;
};

}  // namespace uitest
