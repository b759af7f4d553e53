#include "emit/glyph_header.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "convert/code_format.h"
#include "gbkhex/product.h"
#include "text/character_classes.h"
#include "text/characters.h"

namespace gbkhex {
namespace {

constexpr std::string_view kBreak = kHeaderLineBreak;

// The byte type in a type's words, and whether it is unsigned.
struct ByteType {
  std::size_t begin = 0;
  std::size_t end = 0;
  bool isUnsigned = false;
};

std::optional<ByteType> FindByteType(std::string_view type) {
  struct Word {
    std::size_t begin;
    std::string_view text;
  };
  std::vector<Word> words;
  for (std::size_t at = 0; at < type.size();) {
    if (!IsIdentifierCharacter(type[at])) {
      ++at;
      continue;
    }
    std::size_t end = at;
    while (end < type.size() && IsIdentifierCharacter(type[end])) ++end;
    words.push_back({at, type.substr(at, end - at)});
    at = end;
  }
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string_view word = words[i].text;
    const std::size_t begin = words[i].begin;
    const std::size_t end = begin + word.size();
    const bool charFollows =
        i + 1 < words.size() && words[i + 1].text == "char" &&
        type.substr(end, words[i + 1].begin - end).find_first_not_of(' ') == std::string_view::npos;
    if ((word == "unsigned" || word == "signed") && charFollows) {
      return ByteType{begin, words[i + 1].begin + 4, word == "unsigned"};
    }
    if (word == "char" || word == "int8_t" || word == "int_least8_t" || word == "int_fast8_t") {
      return ByteType{begin, end, false};
    }
    if (word == "uint8_t" || word == "uint_least8_t" || word == "uint_fast8_t") {
      return ByteType{begin, end, true};
    }
  }
  return std::nullopt;
}

// "0X" and the code's `digits` hexadecimal digits (4 or 2).
void AppendCode(std::string& out, std::uint16_t code, int digits) {
  out.append("0X").append(NumToStrHex(code, static_cast<std::int16_t>(digits / 2)));
}

// How the pixels are laid out, as the first comment says it.
std::string ScanText(const GlyphLayoutText& layout) {
  return "--scan " + std::string(layout.scan) + ": " + std::string(layout.scanOrder) + ".";
}

std::string BitOrderText(const GlyphLayoutText& layout) {
  std::string text = "--bit-order " + std::string(layout.bitOrder) + ": " + layout.bitOrderMeans;
  if (layout.bitsPerPixel == 1) {
    return text + (layout.invert ? "; lit pixels 0 (--invert)." : "; lit pixels 1.");
  }
  const std::string top = std::to_string((1 << layout.bitsPerPixel) - 1);
  text.append(".").append(kBreak).append("   ");
  return text + (layout.invert ? "Levels from " + top + ", dark, to 0, fully lit (--invert)."
                               : "Levels from 0, dark, to " + top + ", fully lit.");
}

// A name in double quotes, as nothing in it can end the comment it stands in.
void AppendQuoted(std::string& out, std::string_view text) {
  out.append("\"");
  header::AppendCommentText(out, text);
  out.append("\"");
}

class HeaderText {
 public:
  HeaderText(const GlyphHeaderSettings& settings, TextSink& out, TextSink* source)
      : settings_(settings),
        header_(out),
        arrays_(source != nullptr ? *source : out),
        text_(&out.Gathering()),
        codeStyle_{ValueForm::Constants, CodeType(settings.style.type), settings.style.attribute,
                   settings.style.includes},
        linkage_(source != nullptr ? "" : std::string(header::kLinkageMacro) + " ") {}

  void Write(const HeaderGlyphTable& wide, const HeaderGlyphTable& narrow) {
    text_->append(header::Opening(FirstComment(wide.width, narrow.width),
                                  "GBKHEX_GLYPHS_" + settings_.name, settings_.style));
    if (&arrays_ == &header_) {
      text_->append(header::LinkageMacroDefinition());
      AppendSizes(wide, narrow);
      AppendTable("wide", wide, 4);
      AppendTable("narrow", narrow, 2);
      text_->append(header::LinkageMacroEnd()).append(header::Closing());
      header_.Gathered();
      return;
    }
    AppendSizes(wide, narrow);
    text_->append(header::CLinkageOpening());
    AppendDeclarations("wide", wide);
    AppendDeclarations("narrow", narrow);
    text_->append(header::CLinkageClosing()).append(header::Closing());
    header_.Gathered();
    text_ = &arrays_.Gathering();
    text_->append(header::SourceOpening(
        "/* Glyphs written by " + std::string(product::kCliName) +
            ": the one definition of each array that their header declares. */",
        settings_.headerName));
    AppendTable("wide", wide, 4);
    AppendTable("narrow", narrow, 2);
    arrays_.Gathered();
  }

 private:
  std::string FirstComment(int wideWidth, int narrowWidth) const {
    std::string comment =
        "/* Glyphs written by " + std::string(product::kCliName) + " from the font ";
    AppendQuoted(comment, settings_.fontName);
    comment.append(":").append(kBreak).append("   family ");
    AppendQuoted(comment, settings_.family);
    comment.append(", style ");
    AppendQuoted(comment, settings_.fontStyle);
    if (settings_.face) {
      comment.append(", face ")
          .append(std::to_string(*settings_.face))
          .append(" of the collection");
    }
    comment.append(", at ").append(std::to_string(settings_.pixelSize)).append(" px, ");
    const int bits = settings_.layout.bitsPerPixel;
    comment.append(std::to_string(bits)).append(bits == 1 ? " bit a pixel;" : " bits a pixel;");
    comment.append(kBreak).append("   baseline ").append(std::to_string(settings_.baseline));
    comment.append(" rows from the cell's top, ").append(settings_.baselineRule).append(".");
    comment.append(kBreak).append("   Wide cells ").append(Size(wideWidth));
    comment.append(", narrow cells ").append(Size(narrowWidth)).append(".");
    comment.append(kBreak).append("   ").append(ScanText(settings_.layout));
    comment.append(kBreak).append("   ").append(BitOrderText(settings_.layout));
    return comment.append(" */");
  }

  std::string Size(int width) const {
    return std::to_string(width) + " x " + std::to_string(settings_.pixelSize) + " pixels";
  }

  void AppendSizes(const HeaderGlyphTable& wide, const HeaderGlyphTable& narrow) {
    const std::string& name = settings_.name;
    const std::pair<std::string, std::size_t> constants[] = {
        {name + "_height", static_cast<std::size_t>(settings_.pixelSize)},
        {name + "_wide_width", static_cast<std::size_t>(wide.width)},
        {name + "_narrow_width", static_cast<std::size_t>(narrow.width)},
        {name + "_wide_count", wide.codes.size()},
        {name + "_narrow_count", narrow.codes.size()},
    };
    for (const auto& [constant, value] : constants) {
      header::AppendUnsignedMacro(*text_, constant, value);
    }
  }

  // A table without glyphs keeps a placeholder, as AppendTable writes it.
  void AppendDeclarations(std::string_view table, const HeaderGlyphTable& glyphs) {
    const std::string prefix = settings_.name + "_" + std::string(table);
    const std::size_t count = std::max<std::size_t>(glyphs.codes.size(), 1);
    header::AppendExternDeclaration(*text_, codeStyle_, prefix + "_codes", count);
    std::string dimensions = "[";
    dimensions.append(std::to_string(glyphs.bytesPerGlyph)).append("]");
    header::AppendExternDeclaration(*text_, settings_.style, prefix + "_bitmaps", count,
                                    dimensions);
  }

  void AppendTable(std::string_view table, const HeaderGlyphTable& glyphs, int codeDigits) {
    const std::span<const std::uint16_t> codes = glyphs.codes;
    const std::string prefix = settings_.name + "_" + std::string(table);
    const std::size_t bytes = glyphs.bytesPerGlyph;
    std::string dimensions = "[";
    dimensions.append(std::to_string(bytes)).append("]");
    if (codes.empty()) {
      text_->append("/* No ").append(table).append(" glyphs: ").append(prefix);
      text_->append("_count is 0, and each array holds one").append(kBreak);
      text_->append("   placeholder, as C has no empty arrays. */");
      text_->append(kBreak);
      header::AppendDeclarationHead(*text_, linkage_, codeStyle_, prefix + "_codes");
      text_->append("0").append(kBreak).append("};").append(kBreak);
      header::AppendDeclarationHead(*text_, linkage_, settings_.style, prefix + "_bitmaps",
                                    dimensions);
      text_->append("{0}").append(kBreak).append("};").append(kBreak);
      return;
    }
    text_->append("/* The codes of the ").append(table).append(" glyphs, sorted: ");
    text_->append(codeDigits == 4 ? "lead byte * 256 + trail byte. */" : "the byte. */");
    text_->append(kBreak);
    header::AppendDeclarationHead(*text_, linkage_, codeStyle_, prefix + "_codes");
    const std::size_t perLine = codeDigits == 4 ? 10 : 16;
    for (std::size_t i = 0; i < codes.size(); ++i) {
      AppendCode(*text_, codes[i], codeDigits);
      text_->append(",");
      if ((i + 1) % perLine == 0 || i + 1 == codes.size()) text_->append(kBreak);
    }
    text_->append("};").append(kBreak);
    text_->append("/* Their glyphs, in the same order, ").append(std::to_string(bytes));
    text_->append(" bytes each. */").append(kBreak);
    header::AppendDeclarationHead(*text_, linkage_, settings_.style, prefix + "_bitmaps",
                                  dimensions);
    for (std::size_t i = 0; i < codes.size(); ++i) {
      AppendGlyph(codes[i], glyphs.glyph(i), codeDigits);
    }
    text_->append("};").append(kBreak);
  }

  void AppendGlyph(std::uint16_t code, const HeaderGlyph& entry, int codeDigits) {
    text_->append("/* ");
    AppendCode(*text_, code, codeDigits);
    text_->append(" ").append(DescribeCharacter(entry.character)).append(kBreak);
    for (std::string_view drawn = entry.drawn; !drawn.empty();) {
      const std::size_t end = drawn.find('\n');
      text_->append("   ").append(drawn.substr(0, end)).append(kBreak);
      drawn.remove_prefix(end == std::string_view::npos ? drawn.size() : end + 1);
    }
    text_->append("*/").append(kBreak).append("{").append(kBreak);
    CodeWriter constants(OutputFormat::C);
    constants.AppendBytes({reinterpret_cast<const char*>(entry.bytes.data()), entry.bytes.size()},
                          *text_);
    if (constants.LineIsOpen()) text_->append(kBreak);
    text_->append("},").append(kBreak);
    arrays_.Gathered();
  }

  const GlyphHeaderSettings& settings_;
  TextSink& header_;
  TextSink& arrays_;   // the header's sink, or the source file's
  std::string* text_;  // the gathering of the sink being written, written in place
  const DeclarationStyle codeStyle_;
  const std::string linkage_;
};

}  // namespace

std::string GlyphTypeProblem(std::string_view type) {
  if (std::string problem = TypeProblem(type); !problem.empty()) return problem;
  const std::optional<ByteType> byteType = FindByteType(type);
  if (!byteType) {
    return "names no byte type that the glyphs can be declared with: write it with unsigned "
           "char or uint8_t (words around it, such as const or code, stay)";
  }
  if (!byteType->isUnsigned) {
    return "names a byte type that is or may be signed, which cannot hold a glyph's bytes up "
           "to 0XFF: use unsigned char or uint8_t";
  }
  return "";
}

std::string CodeType(std::string_view type) {
  if (type.empty()) return "const unsigned short";
  const std::optional<ByteType> byteType = FindByteType(type);
  if (!byteType) return std::string(type);
  std::string codeType(type);
  return codeType.replace(byteType->begin, byteType->end - byteType->begin, "unsigned short");
}

void WriteGlyphHeader(const GlyphHeaderSettings& settings, const HeaderGlyphTable& wide,
                      const HeaderGlyphTable& narrow, TextSink& out, TextSink* source) {
  HeaderText(settings, out, source).Write(wide, narrow);
}

}  // namespace gbkhex
