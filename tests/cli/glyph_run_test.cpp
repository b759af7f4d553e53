#include "glyphs/glyph_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "emit/stream_converter.h"

namespace gbkhex::cli {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class Faults final : public FaultSink {
 public:
  void Add(const Fault& fault) override { lines += fault.what + "\n"; }
  bool ListsNextError() const noexcept override { return true; }
  std::string lines;
};

// A front end without files (the browser page) fills the run's options,
// hands the font over as bytes and keeps every output in memory: what it gets
// is what gbkhex-cli writes into its files, byte for byte.
TEST(GlyphRun, InMemoryWithTheFontAsBytesEqualsTheCommandLinesFiles) {
  const fs::path folder = fs::path(testing::TempDir()) / "gbkhex_glyph_run_test";
  fs::create_directories(folder);
  const std::string header = (folder / "g.h").string();
  const std::string source = (folder / "g.c").string();
  const std::string image = (folder / "g.bin").string();
  const std::string picture = (folder / "g.png").string();
  const std::string text = "中文Ag，。\n";
  const std::vector<std::vector<std::string_view>> cases = {
      {"--glyphs", "g", "-o", header, "--source", source, "--image", image, "--preview", picture},
      {"--glyphs", "g", "-o", header, "--fit", "--em", "14", "--bpp", "2", "--preview", picture},
      {"--glyphs", "g", "-o", header, "--whole", "gb2312", "--size", "12", "--image", image},
  };
  for (const std::vector<std::string_view>& args : cases) {
    for (const std::string& file : {header, source, image, picture}) fs::remove(file);
    std::istringstream in(text);
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(cli::Run(args, in, out, err), kExitOk) << err.str();

    Invocation invocation = ParseArguments(args);
    glyphs::FontSource& font = invocation.glyphs.font.font;
    if (font.file.empty()) GTEST_SKIP() << "no default font installed";
    const std::string bytes = Read(font.file);
    font.bytes.assign(bytes.begin(), bytes.end());
    font.file.clear();
    StringSink headerText;
    StringSink sourceText;
    glyphs::GlyphStrings files;
    Faults faults;
    glyphs::RunGlyphs(invocation.glyphs, invocation.options.charset, headerText,
                      invocation.sourceFile ? &sourceText : nullptr, files, faults,
                      [&](CharacterTaker& taker, FaultSink& counted) {
                        std::istringstream textIn(text);
                        StreamConverter converter(invocation.options, headerText, counted, &taker);
                        converter.Convert(textIn, "text");
                        converter.Finish();
                      });
    const std::string shown = std::string(args[4]);
    ASSERT_NE(Read(header), "") << shown;
    EXPECT_EQ(headerText.Text(), Read(header)) << shown << faults.lines;
    EXPECT_EQ(sourceText.Text(), invocation.sourceFile ? Read(source) : "") << shown;
    EXPECT_EQ(files.ImageBytes().value_or(""), fs::exists(image) ? Read(image) : "") << shown;
    EXPECT_EQ(files.PictureBytes().value_or(""), fs::exists(picture) ? Read(picture) : "") << shown;
  }
  fs::remove_all(folder);
}

}  // namespace
}  // namespace gbkhex::cli
