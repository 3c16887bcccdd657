// A photo given to the thumbnail extractor Quorvex.dll, as the photo list gives
// it: the photo's path and the path its EXIF thumbnail is written to.
#include <string>

#include "FuzzSupport.h"

extern "C" int ExtraThumbFile(const wchar_t* photoPath, const wchar_t* thumbPath, int* width, int* height,
                              int* orientation);

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string photo = dorvfuzz::WriteInput(data, size, "photo.jpg");
  const std::string thumb = dorvfuzz::Home() + "/thumb.jpg";
  const std::wstring photoPath(photo.begin(), photo.end()), thumbPath(thumb.begin(), thumb.end());
  int width = 0, height = 0, orientation = 0;
  ExtraThumbFile(photoPath.c_str(), thumbPath.c_str(), &width, &height, &orientation);
  return 0;
}
