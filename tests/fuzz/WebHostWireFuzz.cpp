// The stream between the web browser control and its helper, read by either side: bytes
// in uneven pieces through the frame reader, each message decoded, re-encoded and
// decoded again to the same message; and the wire values of a message as variants.
#include <cstring>

#include "FuzzSupport.h"
#include "webbrowser/WebHostWire.h"
#include "webbrowser/WireValues.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  webhost::FrameReader reader;
  size_t at = 0;
  size_t piece = size ? (data[0] % 7) + 1 : 1;
  while (at < size && !reader.Broken()) {
    const size_t n = size - at < piece ? size - at : piece;
    reader.Append(data + at, n);
    at += n;
    piece = piece * 3 % 4099 + 1;
    while (auto message = reader.Next()) {
      const std::string again = webhost::Encode(*message);
      if (again.size() < 4) __builtin_trap();
      auto twice = webhost::Decode(reinterpret_cast<const uint8_t*>(again.data()) + 4, again.size() - 4);
      if (!twice || twice->text != message->text || twice->values.size() != message->values.size()) __builtin_trap();
      for (const webhost::WireValue& v : message->values) {
        VARIANT variant;
        webbrowser::FromWire(v, &variant);
        webbrowser::ToWire(variant);
        VariantClear(&variant);
      }
    }
  }
  webhost::Decode(data, size);
  return 0;
}
