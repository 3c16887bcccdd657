// The extractor's one export: the JPEG thumbnail stored in a photo's EXIF data
// written to a file, with the photo's own pixel size (from its JPEG header) and
// its EXIF orientation. Photos are the user's own files and may be damaged or
// crafted: libexif checks every offset against the data, only the start of a
// regular file is read, the header read allocates no pixels, and nothing is written unless the thumbnail is a JPEG.
#include <fcntl.h>

#include <cstdio>
// jpeglib.h needs FILE declared first.
#include <jpeglib.h>
#include <libexif/exif-data.h>
#include <unistd.h>

#include <csetjmp>
#include <memory>
#include <string>
#include <vector>

#include "image/ImageLimits.h"
#include "image/RegularFile.h"

namespace {

constexpr uint64_t kMaxPhotoBytes = ImageLimits::kMaxFileBytes;
constexpr uint64_t kHeadBytes = ImageLimits::kHeaderBytes;

// Wide text (UTF-32 here) as the UTF-8 bytes of a file name.
std::string Utf8(const wchar_t* text) {
  std::string out;
  for (; *text; ++text) {
    const auto c = static_cast<char32_t>(*text);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

struct JpegError {
  jpeg_error_mgr base;
  std::jmp_buf jump;
};

void OnJpegError(j_common_ptr info) { std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1); }
void OnJpegMessage(j_common_ptr) {}

// The pixel size from the JPEG header; false for anything that is not a readable JPEG.
bool JpegSize(const std::vector<uint8_t>& bytes, int* width, int* height) {
  jpeg_decompress_struct info{};
  JpegError error{};
  info.err = jpeg_std_error(&error.base);
  error.base.error_exit = OnJpegError;
  error.base.output_message = OnJpegMessage;
  bool ok = false;
  if (setjmp(error.jump) == 0) {
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    if (jpeg_read_header(&info, TRUE) == JPEG_HEADER_OK && info.image_width > 0 && info.image_height > 0) {
      *width = static_cast<int>(info.image_width);
      *height = static_cast<int>(info.image_height);
      ok = true;
    }
  }
  jpeg_destroy_decompress(&info);
  return ok;
}

int Orientation(ExifData* data) {
  ExifEntry* entry = exif_content_get_entry(data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
  if (!entry || entry->format != EXIF_FORMAT_SHORT || entry->components < 1 || entry->size < 2) return 1;
  const int value = exif_get_short(entry->data, exif_data_get_byte_order(data));
  return value >= 1 && value <= 8 ? value : 1;
}

bool WriteAll(const std::string& path, const unsigned char* bytes, unsigned size) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  unsigned done = 0;
  while (done < size) {
    const ssize_t n = ::write(fd, bytes + done, size - done);
    if (n <= 0) break;
    done += static_cast<unsigned>(n);
  }
  const bool ok = ::close(fd) == 0 && done == size;
  if (!ok) ::unlink(path.c_str());
  return ok;
}

struct ExifRelease {
  void operator()(ExifData* data) const { exif_data_unref(data); }
};

}  // namespace

// 0: the photo's embedded thumbnail was written to thumbPath and the outputs set;
// any other value: the photo has no usable thumbnail and nothing was written.
extern "C" __attribute__((visibility("default"))) int ExtraThumbFile(const wchar_t* photoPath,
                                                                     const wchar_t* thumbPath, int* width,
                                                                     int* height, int* orientation) {
  if (!photoPath || !thumbPath || !width || !height || !orientation) return 1;
  // The EXIF block and the frame header lie at the start of the file; the
  // photo itself is never read whole, and only as a regular file.
  std::vector<uint8_t> head;
  if (!RegularFile::Read(Utf8(photoPath), kMaxPhotoBytes, head, kHeadBytes)) return 6;
  int w = 0, h = 0;
  if (!JpegSize(head, &w, &h)) return 2;
  std::unique_ptr<ExifData, ExifRelease> data(
      exif_data_new_from_data(head.data(), static_cast<unsigned>(head.size())));
  if (!data) return 3;
  // A JPEG stream starts with SOI (FF D8); anything else is not a thumbnail we can show.
  if (!data->data || data->size < 4 || data->data[0] != 0xFF || data->data[1] != 0xD8) return 4;
  if (!WriteAll(Utf8(thumbPath), data->data, data->size)) return 5;
  *width = w;
  *height = h;
  *orientation = Orientation(data.get());
  return 0;
}
