// Draws a few characters of several fonts with FreeType, 1 bit and grey, and
// writes them as a PNG with libpng, as the glyph library does; and each glyph's
// placement as text. Built twice, natively against Debian's shared FreeType and
// libpng and for Windows against the static ones built from Debian's sources, it
// must write the same bytes. Usage:
//   freetype_png_probe OUT.png OUT.txt (FONT FACE PIXELS mono|grey)...

#include <ft2build.h>
#include FT_FREETYPE_H
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Ideographs, Latin letters with descenders, a symbol some fonts leave empty.
constexpr char32_t kSample[] = U"中文骨直菜主gjpqyAW1℃";

struct Render {
  std::string font;
  int face = 0;
  int pixels = 0;
  bool mono = true;
};

struct Canvas {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> grey;  // 255 dark

  void Darken(int x, int y, std::uint8_t coverage) {
    if (x < 0 || y < 0 || x >= width || y >= height) return;
    auto& pixel = grey[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                       static_cast<std::size_t>(x)];
    pixel = static_cast<std::uint8_t>(std::min<int>(pixel, 255 - coverage));
  }
};

std::vector<std::uint8_t> ReadFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
  if (!in || bytes.empty()) throw std::runtime_error("cannot read " + name);
  return bytes;
}

void Check(FT_Error error, const char* what) {
  if (error) throw std::runtime_error(std::string(what) + " failed: " + std::to_string(error));
}

template <class... Values>
void Append(std::string& text, const char* format, Values... values) {
  char line[128];
  const int length = std::snprintf(line, sizeof line, format, values...);
  text.append(line, static_cast<std::size_t>(std::clamp(length, 0, int{sizeof line} - 1)));
}

std::uint8_t Coverage(const FT_Bitmap& bitmap, unsigned x, unsigned y) {
  const std::uint8_t* row = bitmap.buffer + static_cast<std::ptrdiff_t>(y) * bitmap.pitch;
  if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) return (row[x / 8] >> (7 - x % 8) & 1) ? 255 : 0;
  return row[x];
}

// One row of the picture: each character in a square cell twice the size wide.
void DrawRow(FT_Library library, const Render& render, int top, Canvas& canvas,
             std::string& placements) {
  const std::vector<std::uint8_t> bytes = ReadFile(render.font);
  FT_Face raw = nullptr;
  Check(FT_New_Memory_Face(library, bytes.data(), static_cast<FT_Long>(bytes.size()), render.face,
                           &raw),
        "FT_New_Memory_Face");
  const std::unique_ptr<FT_FaceRec_, decltype(&FT_Done_Face)> face(raw, &FT_Done_Face);
  Check(FT_Set_Pixel_Sizes(face.get(), 0, static_cast<FT_UInt>(render.pixels)),
        "FT_Set_Pixel_Sizes");
  const int cell = 2 * render.pixels;
  int left = 0;
  for (const char32_t character : std::u32string_view(kSample)) {
    const FT_UInt index = FT_Get_Char_Index(face.get(), character);
    Append(placements, "U+%04X glyph %u", static_cast<unsigned>(character), index);
    if (index != 0) {
      const FT_Int32 target = render.mono ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL;
      Check(FT_Load_Glyph(face.get(), index, FT_LOAD_RENDER | target), "FT_Load_Glyph");
      const FT_GlyphSlot slot = face->glyph;
      const FT_Bitmap& bitmap = slot->bitmap;
      Append(placements, " at %d,%d %ux%u mode %d advance %ld", slot->bitmap_left, slot->bitmap_top,
             bitmap.width, bitmap.rows, bitmap.pixel_mode, static_cast<long>(slot->advance.x));
      const int baseline = top + cell * 3 / 4;
      for (unsigned y = 0; y < bitmap.rows; ++y) {
        for (unsigned x = 0; x < bitmap.width; ++x) {
          canvas.Darken(left + render.pixels / 2 + slot->bitmap_left + static_cast<int>(x),
                        baseline - slot->bitmap_top + static_cast<int>(y), Coverage(bitmap, x, y));
        }
      }
    }
    placements += "\n";
    left += cell;
  }
}

std::vector<Render> ReadRenders(int argc, char** argv) {
  std::vector<Render> renders;
  for (int i = 3; i + 3 < argc; i += 4) {
    const std::string_view mode = argv[i + 3];
    if (mode != "mono" && mode != "grey") throw std::runtime_error("mode is mono or grey");
    renders.push_back({argv[i], std::stoi(argv[i + 1]), std::stoi(argv[i + 2]), mode == "mono"});
  }
  if (renders.empty() || (argc - 3) % 4 != 0) {
    throw std::runtime_error(
        "usage: freetype_png_probe OUT.png OUT.txt (FONT FACE PIXELS mono|grey)...");
  }
  return renders;
}

void Write(const std::string& name, const void* data, std::size_t size) {
  std::ofstream out(name, std::ios::binary);
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  if (!out.flush()) throw std::runtime_error("cannot write " + name);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const std::vector<Render> renders = ReadRenders(argc, argv);
    FT_Library raw = nullptr;
    Check(FT_Init_FreeType(&raw), "FT_Init_FreeType");
    const std::unique_ptr<FT_LibraryRec_, decltype(&FT_Done_FreeType)> library(raw,
                                                                               &FT_Done_FreeType);
    FT_Int major = 0, minor = 0, patch = 0;
    FT_Library_Version(library.get(), &major, &minor, &patch);
    std::string placements;
    Append(placements, "FreeType %d.%d.%d, libpng %s, zlib %s\n", major, minor, patch,
           png_get_libpng_ver(nullptr), zlibVersion());

    Canvas canvas;
    for (const Render& render : renders) {
      canvas.width =
          std::max(canvas.width, 2 * render.pixels * static_cast<int>(std::size(kSample) - 1));
      canvas.height += 2 * render.pixels;
    }
    canvas.grey.assign(static_cast<std::size_t>(canvas.width) * canvas.height, 255);
    int top = 0;
    for (const Render& render : renders) {
      const std::string file = render.font.substr(render.font.find_last_of("/\\") + 1);
      Append(placements, "%s face %d, %d px, %s\n", file.c_str(), render.face, render.pixels,
             render.mono ? "mono" : "grey");
      DrawRow(library.get(), render, top, canvas, placements);
      top += 2 * render.pixels;
    }

    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(canvas.width);
    png.height = static_cast<png_uint_32>(canvas.height);
    png.format = PNG_FORMAT_GRAY;
    std::vector<std::uint8_t> encoded(PNG_IMAGE_PNG_SIZE_MAX(png));
    png_alloc_size_t size = encoded.size();
    if (!png_image_write_to_memory(&png, encoded.data(), &size, 0, canvas.grey.data(), canvas.width,
                                   nullptr)) {
      throw std::runtime_error(std::string("libpng: ") + png.message);
    }
    Write(argv[1], encoded.data(), size);
    Write(argv[2], placements.data(), placements.size());
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "freetype_png_probe: %s\n", error.what());
    return 1;
  }
}
