// Image files as the image library and the image cache decode them.
#include <juce_graphics/juce_graphics.h>

#include "FuzzSupport.h"
#include "ui/cximage/CxImage.h"
#include "ui/cximage/CxImageCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ImageHeader header;
  if (CxImageCodec::ReadHeader(data, size, header)) {
    CxImage image;
    CxImageCodec::Decode(data, size, header, image);
  }
  CxImageCodec::DecodeToJuceImage(data, size);
  return 0;
}
