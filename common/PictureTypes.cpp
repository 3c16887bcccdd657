#include "common/PictureTypes.h"

#include <iterator>

#include "common/PathText.h"

namespace Common {

namespace {

const wchar_t* const kUploadPictures[] = {L".jpg", L".jpeg", L".jpe", L".jfif", L".png"};

const wchar_t* const kPictures[] = {L".jpg", L".jpeg", L".jpe", L".jfif", L".bmp", L".gif", L".png", L".tif",
                                    L".tiff", L".psd", L".pdd", L".nef", L".crw", L".cr2", L".dcr", L".kdc",
                                    L".k25", L".mrw", L".arw", L".srf", L".sr2", L".orf", L".mos", L".raf",
                                    L".pxn", L".mef", L".raw", L".pef", L".dng"};
static_assert(std::size(kPictures) == 29);

// From the last '.' of the last path component; empty when it has none.
CString Extension(const CString& path) {
  int dot = path.ReverseFind(L'.');
  if (dot < 0 || path.ReverseFind(kPathSeparator) > dot) return CString();
  return path.Mid(dot);
}

template <size_t N>
int InList(const CString& path, const wchar_t* const (&list)[N]) {
  CString extension = Extension(path);
  if (extension.IsEmpty()) return 0;
  for (const wchar_t* entry : list)
    if (extension.CompareNoCase(entry) == 0) return 1;
  return 0;
}

}  // namespace

int IsUploadPicture(CString path) { return InList(path, kUploadPictures); }

int IsPicture(CString path) { return InList(path, kPictures); }

}  // namespace Common
