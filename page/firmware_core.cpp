// The firmware page's work, for its worker: a string table or a text's
// glyphs (or a whole font) from the page's fields, named as gbkhex-cli's long
// options, made by the libraries that gbkhex-cli runs, with the same checks;
// the files it would write kept in memory, and its messages as it words them,
// in the browser's language from the catalog that the module carries.

#include <cstddef>
#include <cstdint>
#include <exception>
#include <initializer_list>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "convert/charset.h"
#include "convert/glyph_layout_words.h"
#include "emit/convert_options.h"
#include "emit/header_options.h"
#include "emit/output_paths.h"
#include "emit/stream_converter.h"
#include "emit/text_sink.h"
#include "glyphs/font_source.h"
#include "glyphs/glyph_options.h"
#include "glyphs/glyph_run.h"
#include "i18n/language.h"
#include "i18n/messages.h"
#include "page/embedded_catalogs.h"
#include "table/table_run.h"
#include "text/fault_report.h"

namespace gbkhex::page {
namespace {

using i18n::Fill;
using i18n::Tr;

// The form's fields, by name; a field given many times (include) keeps each.
using Fields = std::multimap<std::string, std::string, std::less<>>;

// One file that a run offers, as it would be written.
struct OfferedFile {
  std::string role;  // output, source, image, preview
  std::string name;
  std::string bytes;
};

struct PageRun {
  Fields fields;
  std::vector<glyphs::FontSource> fonts;  // the `font` inputs, in order
  std::optional<glyphs::FontSource> narrowFont;
  std::vector<OfferedFile> files;
  std::string messages;
  std::string picture;  // the glyphs' preview for the canvas, offered or not
};

PageRun& State() {
  static PageRun run;
  return run;
}

// A field's value, absent where the form left it out (a checkbox unticked, a
// field disabled).
std::optional<std::string> Value(const Fields& fields, std::string_view name) {
  const auto found = fields.find(name);
  return found == fields.end() ? std::nullopt : std::optional(found->second);
}

// A field that names a file: absent when empty, as the command line leaves
// out an option.
std::optional<std::string> FileName(const Fields& fields, std::string_view name) {
  std::optional<std::string> value = Value(fields, name);
  return value && !value->empty() ? value : std::nullopt;
}

// A field that a number or a word goes in: absent when empty.
std::optional<std::string> Given(const Fields& fields, std::string_view name) {
  return FileName(fields, name);
}

bool Flag(const Fields& fields, std::string_view name) { return fields.contains(name); }

// `include`: one header a line.
std::vector<std::string> Includes(const Fields& fields) {
  std::vector<std::string> includes;
  const auto [first, last] = fields.equal_range("include");
  for (auto field = first; field != last; ++field) {
    std::istringstream lines(field->second);
    for (std::string line; std::getline(lines, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!line.empty()) includes.push_back(line);
    }
  }
  return includes;
}

// A select's word, as the option takes it; its default where the field is absent.
template <typename Enum, std::size_t N>
Enum Choice(const Fields& fields, std::string_view name, const ChoiceWord<Enum> (&words)[N],
            Enum otherwise) {
  const std::optional<std::string> value = Value(fields, name);
  if (!value || value->empty()) return otherwise;
  for (const ChoiceWord<Enum>& word : words) {
    if (word.word == *value) return word.value;
  }
  throw OptionError(Fill(Tr("unknown value '%s' for %s"), {*value, "--" + std::string(name)}));
}

// Two files of one name would be offered as one download.
void RefuseSharedNames(
    std::initializer_list<std::pair<const char*, std::optional<std::string>>> outputs) {
  std::vector<NamedFile> files;
  for (const auto& [option, path] : outputs) files.push_back({option, path});
  CheckDistinctFiles(files, [](const std::string& a, const std::string& b) { return a == b; });
}

// The faults of a run, as gbkhex-cli writes them to standard error.
class Messages {
 public:
  explicit Messages(std::string& text) : text_(text) {}
  FaultReport& Report() { return report_; }
  void Usage(const std::string& what) { text_.append(FaultLine(Fault{.what = what})).append("\n"); }
  void Finish() {
    report_.Finish();
    text_.append(stream_.str());
  }

 private:
  std::string& text_;
  std::ostringstream stream_;
  FaultReport report_{stream_};
};

HeaderOptionValues HeaderValues(const Fields& fields, std::string_view declaringOption) {
  return HeaderOptionValues{
      .declaringOption = declaringOption,
      .hexadecimal = Value(fields, "format") == "hex",
      .type = Given(fields, "type"),
      .attribute = Given(fields, "attribute"),
      .includes = Includes(fields),
      .output = FileName(fields, "output"),
      .source = FileName(fields, "source"),
      .wholeImage = Given(fields, "whole").has_value() && FileName(fields, "image").has_value()};
}

ConvertOptions ConvertOptionsOf(const Fields& fields, Output output) {
  ConvertOptions options;
  options.choice.output = output;
  options.table = output == Output::Table;
  const Format format = Choice(fields, "format", kFormatWords, Format::Hexadecimal);
  options.choice.format = format == Format::C ? OutputFormat::C : OutputFormat::Hexadecimal;
  options.choice.style.form = format == Format::String ? ValueForm::Literal : ValueForm::Constants;
  options.choice.style.type = Value(fields, "type").value_or("");
  options.choice.style.attribute = Value(fields, "attribute").value_or("");
  options.choice.style.includes = Includes(fields);
  options.choice.nul = Flag(fields, "nul");
  if (const std::optional<std::string> source = FileName(fields, "source")) {
    options.choice.headerName = IncludedName(*FileName(fields, "output"), *source);
  }
  options.charset = Choice(fields, "charset", kCharsetWords, Charset::Gbk);
  return options;
}

// The header, and the source where one is named, as files to offer.
void Offer(PageRun& run, const Fields& fields, const StringSink& header, const StringSink& source) {
  run.files.push_back({"output", FileName(fields, "output").value_or(""), header.Text()});
  if (const std::optional<std::string> name = FileName(fields, "source")) {
    run.files.push_back({"source", *name, source.Text()});
  }
}

int RunTablePart(PageRun& run, Messages& messages) {
  const Fields& fields = run.fields;
  CheckHeaderOptions(HeaderValues(fields, "--table"), IncludedName);
  RefuseSharedNames(
      {{"--output", FileName(fields, "output")}, {"--source", FileName(fields, "source")}});
  const ConvertOptions options = ConvertOptionsOf(fields, Output::Table);
  StringSink header;
  StringSink source;
  const std::string table = Value(fields, "table").value_or("");
  RunTable(
      options,
      [&table](TableReader& reader) {
        std::istringstream in(table);
        reader.Read(in, "table");
      },
      header, messages.Report(), nullptr, FileName(fields, "source") ? &source : nullptr);
  if (messages.Report().Errors() == 0) Offer(run, fields, header, source);
  return messages.Report().Errors() == 0 ? 0 : 1;
}

glyphs::GlyphOptionValues GlyphValuesOf(const Fields& fields) {
  const bool whole = Given(fields, "whole").has_value();
  return glyphs::GlyphOptionValues{
      .name = Value(fields, "glyphs").value_or(""),
      .size = Given(fields, "size"),
      .baseline = Given(fields, "baseline"),
      .face = Given(fields, "face"),
      .em = Given(fields, "em"),
      .narrowEm = Given(fields, "narrow-em"),
      .narrowFace = Given(fields, "narrow-face"),
      .preview = FileName(fields, "preview"),
      .image = FileName(fields, "image"),
      .type = Given(fields, "type"),
      .attribute = Given(fields, "attribute"),
      .scan = Choice(fields, "scan", glyphs::kScanWords, glyphs::Scan::Rows),
      .bitOrder = Choice(fields, "bit-order", glyphs::kBitOrderWords, glyphs::BitOrder::MsbFirst),
      .depth = Choice(fields, "bpp", glyphs::kDepthWords, glyphs::Depth::One),
      .invert = Flag(fields, "invert"),
      .clip = Flag(fields, "clip"),
      .fit = Flag(fields, "fit"),
      .narrowFont = State().narrowFont.has_value(),
      .whole = whole ? std::optional(Choice(fields, "whole", kCharsetWords, Charset::Gb2312))
                     : std::nullopt};
}

glyphs::FontRequest RequestOf(const glyphs::FontSource& font) { return {.font = font}; }

// The preview for the canvas: the run's own where it makes one, else one of
// a text's glyphs made for the canvas alone (a whole font's takes seconds).
std::string PreviewName(const glyphs::GlyphRunOptions& options) {
  if (!options.preview.empty() || options.whole) return options.preview;
  return "canvas.png";
}

// The rules of gbkhex-cli's options that the glyphs' fields can break (an
// option that needs another, or excludes one), in the order that it checks
// them and in its words. A font input stands for --font, the narrow font's for
// --narrow-font.
void CheckGlyphOptionRules(const PageRun& run) {
  const Fields& fields = run.fields;
  const auto refuse = [](std::string_view pattern, std::string_view option,
                         std::string_view other) {
    throw OptionError(Fill(pattern, {option, other}));
  };
  if (Given(fields, "face") && run.fonts.empty()) {
    refuse(Tr("%s goes only with %s"), "--face", "--font");
  }
  if (Given(fields, "narrow-face") && !run.narrowFont) {
    refuse(Tr("%s goes only with %s"), "--narrow-face", "--narrow-font");
  }
  if (Given(fields, "whole") && Value(fields, "charset")) {
    refuse(Tr("%s cannot be combined with %s"), "--whole", "--charset");
  }
}

int RunGlyphPart(PageRun& run, Messages& messages) {
  const Fields& fields = run.fields;
  CheckGlyphOptionRules(run);
  CheckHeaderOptions(HeaderValues(fields, ""), IncludedName);
  // The text is the input that the command line names `text`.
  if (Given(fields, "whole") && Value(fields, "text")) {
    throw OptionError(
        Fill(Tr("--whole draws every code of its charset and reads no input: leave out '%s'"),
             {"text"}));
  }
  glyphs::GlyphRunOptions options = glyphs::GlyphRunOptionsOf(GlyphValuesOf(fields));
  if (run.fonts.empty()) {
    throw OptionError(std::string(Tr("--font is required: the page has no font of its own")));
  }
  RefuseSharedNames({{"--output", FileName(fields, "output")},
                     {"--source", FileName(fields, "source")},
                     {"--preview", FileName(fields, "preview")},
                     {"--image", FileName(fields, "image")}});
  const ConvertOptions convert = ConvertOptionsOf(fields, Output::Glyphs);
  options.style.includes = convert.choice.style.includes;
  options.headerName = convert.choice.headerName;
  options.font.font = run.fonts.front();
  for (std::size_t i = 1; i < run.fonts.size(); ++i) {
    options.laterFonts.push_back(RequestOf(run.fonts[i]));
  }
  if (run.narrowFont) options.narrowFont->font = *run.narrowFont;
  const std::string offeredPreview = options.preview;
  options.preview = PreviewName(options);
  StringSink header;
  StringSink source;
  glyphs::GlyphStrings files;
  const std::string text = Value(fields, "text").value_or("");
  glyphs::RunGlyphs(options, convert.charset, header,
                    FileName(fields, "source") ? &source : nullptr, files, messages.Report(),
                    [&](CharacterTaker& taker, FaultSink& counted) {
                      StreamConverter converter(convert, header, counted, &taker);
                      std::istringstream in(text);
                      converter.Convert(in, "text");
                      converter.Finish();
                    });
  if (messages.Report().Errors() != 0) return 1;
  Offer(run, fields, header, source);
  if (const std::optional<std::string> image = files.ImageBytes()) {
    run.files.push_back({"image", options.image, *image});
  }
  if (const std::optional<std::string> picture = files.PictureBytes()) {
    run.picture = *picture;
    if (!offeredPreview.empty()) run.files.push_back({"preview", offeredPreview, *picture});
  }
  return 0;
}

// 0 made, 1 a fault of the input or the font, 2 a value the options refuse.
int Run(PageRun& run, bool glyphPart) {
  Messages messages(run.messages);
  int status = 0;
  try {
    status = glyphPart ? RunGlyphPart(run, messages) : RunTablePart(run, messages);
  } catch (const OptionError& error) {
    messages.Usage(error.what());
    status = 2;
  } catch (const FatalFault& fatal) {
    run.messages.append(FaultLine(fatal.fault())).append("\n");
    status = 1;
  } catch (const std::exception& error) {
    messages.Usage(error.what());
    status = 1;
  }
  messages.Finish();
  if (status != 0) {
    run.files.clear();
    run.picture.clear();
  }
  return status;
}

}  // namespace
}  // namespace gbkhex::page

using gbkhex::page::State;

extern "C" {

// The browser's language, a BCP 47 tag (navigator.languages' first): the
// messages are in Simplified Chinese where it asks for them, as gbkhex-cli's
// under such a locale, else in English.
void gbkhex_fw_language(const char* tag) {
  const bool chinese =
      gbkhex::i18n::LanguageOfTag(tag) == gbkhex::i18n::Language::SimplifiedChinese;
  gbkhex::i18n::UseCatalog(
      chinese ? gbkhex::i18n::Catalog::FromMo(std::string(gbkhex::page::kSimplifiedChineseCatalog))
              : std::nullopt);
}

// A field of the form: its name (NUL-terminated) and its value (UTF-8).
void gbkhex_fw_field(const char* name, const char* value, std::size_t size) {
  State().fields.emplace(name, std::string(value, size));
}

// A font file that the user picked: `narrow` 1 for the narrow cells' font,
// else the next of the fonts in order.
void gbkhex_fw_font(const char* name, const std::uint8_t* bytes, std::size_t size, int narrow) {
  gbkhex::glyphs::FontSource font{.bytes = std::vector<std::uint8_t>(bytes, bytes + size),
                                  .shownAs = name};
  if (narrow != 0) {
    State().narrowFont = std::move(font);
  } else {
    State().fonts.push_back(std::move(font));
  }
}

// Runs a part (0 the string table, 1 the glyphs) with the fields and fonts
// given since the last run; returns its status.
int gbkhex_fw_run(int part) {
  gbkhex::page::PageRun& run = State();
  run.files.clear();
  run.messages.clear();
  run.picture.clear();
  const int status = gbkhex::page::Run(run, part == 1);
  run.fields.clear();
  run.fonts.clear();
  run.narrowFont.reset();
  return status;
}

// A run that stopped part-way (out of memory, say), told to the module that
// replaces the stopped one: its message, in the browser's language, with the
// browser's `reason`.
void gbkhex_fw_stopped(const char* reason) {
  gbkhex::page::PageRun& run = State();
  run.messages =
      gbkhex::FaultLine(gbkhex::Fault{
          .what = gbkhex::i18n::Fill(
              gbkhex::i18n::Tr("the page stopped part-way through the run (%s); nothing was made"),
              {reason})}) +
      "\n";
}

std::size_t gbkhex_fw_file_count() { return State().files.size(); }
const char* gbkhex_fw_file_role(std::size_t i) { return State().files[i].role.c_str(); }
const char* gbkhex_fw_file_name(std::size_t i) { return State().files[i].name.c_str(); }
const char* gbkhex_fw_file_data(std::size_t i) { return State().files[i].bytes.data(); }
std::size_t gbkhex_fw_file_size(std::size_t i) { return State().files[i].bytes.size(); }
const char* gbkhex_fw_messages() { return State().messages.data(); }
std::size_t gbkhex_fw_messages_size() { return State().messages.size(); }
const char* gbkhex_fw_picture() { return State().picture.data(); }
std::size_t gbkhex_fw_picture_size() { return State().picture.size(); }
}
