// PNG files through libpng's simplified API, which reports failures as
// messages instead of long jumps.

#include <png.h>

#include "glyphs/preview.h"

namespace gbkhex::glyphs::detail {

std::vector<std::uint8_t> EncodePng(const PreviewImage& image) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.width);
  png.height = static_cast<png_uint_32>(image.height);
  png.format = PNG_FORMAT_GRAY;
  // The bound on the file's size lets one pass write it.
  std::vector<std::uint8_t> bytes(PNG_IMAGE_PNG_SIZE_MAX(png));
  png_alloc_size_t size = bytes.size();
  if (!png_image_write_to_memory(&png, bytes.data(), &size, 0, image.grey.data(), image.width,
                                 nullptr)) {
    const std::string reason = png.message;
    png_image_free(&png);
    throw PreviewError("cannot make the preview's PNG: " + reason);
  }
  bytes.resize(size);
  return bytes;
}

}  // namespace gbkhex::glyphs::detail
