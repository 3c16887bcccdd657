#include "ui/cximage/JpegReader.h"

#include <csetjmp>
#include <cstdio>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

#include "image/ImageLimits.h"
#include "ui/cximage/CxImage.h"

namespace {

struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
  int warnings = 0;
  jpeg_progress_mgr progress;
};

// A progressive file of very many tiny scans takes time out of all proportion
// to its size; real files have a few dozen at most.
constexpr int kMaxScans = 1000;

void CountScans(j_common_ptr info) {
  auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
  if (decompress->input_scan_number > kMaxScans) ERREXIT(info, JERR_NOT_COMPILED);
}

[[noreturn]] void OnError(j_common_ptr info) { std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1); }

void OnMessage(j_common_ptr info, int level) {
  // Warnings include "premature end of data": a cut file is no whole image.
  if (level < 0) ++reinterpret_cast<ErrorManager*>(info->err)->warnings;
}

void Silent(j_common_ptr) {}

// Everything that must survive the longjmp lives outside the jumping frame.
bool Run(jpeg_decompress_struct& info, ErrorManager& errors, const uint8_t* data, size_t size, CxImage& result,
         std::vector<uint8_t>& line) {
  if (setjmp(errors.jump)) return false;
  jpeg_create_decompress(&info);
  info.progress = &errors.progress;  // after the creation, which clears it
  jpeg_mem_src(&info, const_cast<unsigned char*>(data), static_cast<unsigned long>(size));
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) return false;
  // The size a header claims is checked before the decoder allocates for it.
  if (!ImageLimits::Fits(info.image_width, info.image_height)) return false;
  info.mem->max_memory_to_use = ImageLimits::kMaxDecoderMemory;
  const bool grey = info.num_components == 1;
  info.out_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_start_decompress(&info);
  const DWORD width = info.output_width, height = info.output_height;
  if (!ImageLimits::Fits(width, height)) return false;
  result.Create(width, height, grey ? 8 : 24);
  line.resize(size_t(width) * info.output_components);
  while (info.output_scanline < height) {
    JSAMPROW row = line.data();
    const DWORD y = info.output_scanline;
    if (jpeg_read_scanlines(&info, &row, 1) != 1) return false;
    uint8_t* dst = result.GetBits(height - 1 - y);
    if (grey) {
      std::copy(line.begin(), line.end(), dst);
    } else {
      for (DWORD x = 0; x < width; ++x) {
        dst[x * 3] = line[x * 3 + 2];
        dst[x * 3 + 1] = line[x * 3 + 1];
        dst[x * 3 + 2] = line[x * 3];
      }
    }
  }
  jpeg_finish_decompress(&info);
  return errors.warnings == 0;
}

}  // namespace

bool DecodeJpeg(const uint8_t* data, size_t size, CxImage& image) {
  jpeg_decompress_struct info{};
  ErrorManager errors{};
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = OnError;
  errors.base.emit_message = OnMessage;
  errors.base.output_message = Silent;
  errors.progress.progress_monitor = CountScans;
  CxImage result(CXIMAGE_FORMAT_JPG);
  std::vector<uint8_t> line;
  const bool ok = Run(info, errors, data, size, result, line);
  jpeg_destroy_decompress(&info);
  if (!ok) return false;
  image = std::move(result);
  return true;
}
