#include "client/windows/ProgramImages.h"

#include <mutex>

void AddProgramImages() {
  static std::once_flag once;
  std::call_once(once, [] {
    HMODULE module = ::GetModuleHandleW(nullptr);
    for (unsigned long i = 0; i < kProgramImageCount; ++i) {
      const ProgramImage& image = kProgramImages[i];
      if (image.kind == ProgramImage::Kind::ICON)
        win32::AddIconResource(module, image.id, image.bytes, image.size);
      else
        win32::AddBitmapResource(module, image.id, image.bytes, image.size);
    }
  });
}
