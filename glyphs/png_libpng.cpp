// PNG files through libpng's simplified API, which reports failures as
// messages instead of long jumps.

#include <png.h>

#include "glyphs/preview.h"
#include "i18n/messages.h"

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
    throw PreviewError(i18n::Fill(i18n::Tr("cannot make the preview's PNG: %s"), {reason}));
  }
  bytes.resize(size);
  return bytes;
}

}  // namespace gbkhex::glyphs::detail

namespace gbkhex::glyphs::detail {
namespace {

// libpng reports a failure by a long jump out of the call that failed: the
// jump lands in Guarded, whose frame and the calls' hold nothing to destroy,
// and the failure goes on as an exception from there.
struct Failure {
  std::string message = "libpng failed";
};

[[noreturn]] void OnError(png_structp png, png_const_charp message) {
  static_cast<Failure*>(png_get_error_ptr(png))->message = message;
  png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void OnWrite(png_structp png, png_bytep data, png_size_t size) {
  static_cast<std::ostream*>(png_get_io_ptr(png))
      ->write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

void OnFlush(png_structp) {}

template <typename Call>
bool Guarded(png_structp png, const Call& call) {
  if (setjmp(png_jmpbuf(png)) != 0) return false;
  call();
  return true;
}

}  // namespace

struct PngRowWriter::State {
  Failure failure;
  png_structp png = nullptr;
  png_infop info = nullptr;

  ~State() { png_destroy_write_struct(&png, &info); }

  template <typename Call>
  void Run(const Call& call) {
    if (!Guarded(png, call))
      throw PreviewError(
          i18n::Fill(i18n::Tr("cannot make the preview's PNG: %s"), {failure.message}));
  }
};

PngRowWriter::PngRowWriter(int width, int height, std::ostream& out)
    : state_(std::make_unique<State>()) {
  State& state = *state_;
  state.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &state.failure, OnError, OnWarning);
  const auto outOfMemory = [] {
    return PreviewError(std::string(i18n::Tr("cannot make the preview's PNG: out of memory")));
  };
  if (state.png == nullptr) throw outOfMemory();
  state.info = png_create_info_struct(state.png);
  if (state.info == nullptr) throw outOfMemory();
  png_structp png = state.png;
  png_infop info = state.info;
  std::ostream* stream = &out;
  state.Run([=] {
    png_set_write_fn(png, stream, OnWrite, OnFlush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
  });
}

PngRowWriter::~PngRowWriter() = default;

void PngRowWriter::WriteRow(std::span<const std::uint8_t> row) {
  png_structp png = state_->png;
  const std::uint8_t* data = row.data();
  state_->Run([=] { png_write_row(png, data); });
}

void PngRowWriter::Finish() {
  png_structp png = state_->png;
  png_infop info = state_->info;
  state_->Run([=] { png_write_end(png, info); });
}

}  // namespace gbkhex::glyphs::detail
