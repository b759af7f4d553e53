#include "emit/glyph_header.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "convert/code_format.h"
#include "convert/code_space.h"
#include "gbkhex/product.h"
#include "i18n/messages.h"
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
    if (!settings_.ems.empty())
      comment.append(kBreak).append("   Drawn with ").append(settings_.ems).append(".");
    for (const std::string& face : settings_.faces)
      comment.append(kBreak).append("   ").append(face);
    comment.append(kBreak).append("   Wide cells ").append(Size(wideWidth));
    comment.append(", narrow cells ").append(Size(narrowWidth)).append(".");
    comment.append(kBreak).append("   ").append(ScanText(settings_.layout));
    comment.append(kBreak).append("   ").append(BitOrderText(settings_.layout));
    return comment.append(" */");
  }

 private:
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
    if (settings_.bitmapsInImage) AppendImagePlaces(wide, narrow);
  }

  // Where glyph i of each table lies in the image: the wide glyphs first.
  void AppendImagePlaces(const HeaderGlyphTable& wide, const HeaderGlyphTable& narrow) {
    const std::string& name = settings_.name;
    const std::uint64_t narrowOffset = wide.codes.size() * wide.bytesPerGlyph;
    text_->append(
        "/* The glyphs are in the image, each table's in the order of its codes: glyph i");
    text_->append(kBreak).append("   of the wide table at " + name + "_wide_offset + i * " + name);
    text_->append("_wide_bytes, of the narrow").append(kBreak).append("   table at " + name);
    text_->append("_narrow_offset + i * " + name + "_narrow_bytes. */").append(kBreak);
    header::AppendUnsignedMacro(*text_, name + "_wide_bytes", wide.bytesPerGlyph);
    header::AppendUnsignedMacro(*text_, name + "_narrow_bytes", narrow.bytesPerGlyph);
    header::AppendUnsignedMacro(*text_, name + "_wide_offset", 0);
    header::AppendUnsignedMacro(*text_, name + "_narrow_offset", narrowOffset);
    header::AppendUnsignedMacro(*text_, name + "_image_size",
                                narrowOffset + narrow.codes.size() * narrow.bytesPerGlyph);
  }

  // A table without glyphs keeps a placeholder, as AppendTable writes it.
  void AppendDeclarations(std::string_view table, const HeaderGlyphTable& glyphs) {
    const std::string prefix = settings_.name + "_" + std::string(table);
    const std::size_t count = std::max<std::size_t>(glyphs.codes.size(), 1);
    header::AppendExternDeclaration(*text_, codeStyle_, prefix + "_codes", count);
    if (settings_.bitmapsInImage) return;
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
      text_->append(settings_.bitmapsInImage ? "_count is 0, and the array holds one"
                                             : "_count is 0, and each array holds one");
      text_->append(kBreak).append("   placeholder, as C has no empty arrays. */");
      text_->append(kBreak);
      header::AppendDeclarationHead(*text_, linkage_, codeStyle_, prefix + "_codes");
      text_->append("0").append(kBreak).append("};").append(kBreak);
      if (!settings_.bitmapsInImage) {
        header::AppendDeclarationHead(*text_, linkage_, settings_.style, prefix + "_bitmaps",
                                      dimensions);
        text_->append("{0}").append(kBreak).append("};").append(kBreak);
      }
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
    if (settings_.bitmapsInImage) return;
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
    text_->append(" ").append(DescribeCharacter(entry.character));
    if (!entry.note.empty()) text_->append(", ").append(entry.note);
    text_->append(kBreak);
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
    return std::string(
        i18n::Tr("names no byte type that the glyphs can be declared with: write it with unsigned "
                 "char or uint8_t (words around it, such as const or code, stay)"));
  }
  if (!byteType->isUnsigned) {
    return std::string(
        i18n::Tr("names a byte type that is or may be signed, which cannot hold a glyph's bytes up "
                 "to 0XFF: use unsigned char or uint8_t"));
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

std::size_t FontImageGeometry::WideCells() const noexcept { return GridOf(charset).Cells(); }

std::uint64_t FontImageGeometry::NarrowOffset() const noexcept {
  return std::uint64_t{WideCells()} * wideBytes;
}

std::uint64_t FontImageGeometry::ImageSize() const noexcept {
  return NarrowOffset() + std::uint64_t{kNarrowCells} * narrowBytes;
}

namespace {

// "A1", as the comments write a byte, and "0xA1", as the code does.
std::string Hex(unsigned byte) { return NumToStrHex(static_cast<std::int32_t>(byte), 1); }
std::string HexByte(unsigned byte) { return "0x" + Hex(byte); }

// What the image holds, for the reader of the header.
std::string ImageComment(const std::string& name, Charset charset) {
  const CodeGrid grid = GridOf(charset);
  std::string text = charset == Charset::Gb2312
                         ? "/* A whole font image of GB 2312, its 94 zones x 94 positions: the "
                           "glyph of every code,"
                         : "/* A whole font image of GBK (code page 936): the glyph of every "
                           "two-byte code,";
  text.append(kBreak).append("   lead bytes ").append(Hex(grid.firstLead)).append(" to ");
  text.append(Hex(grid.LastLead())).append(" by trail bytes ");
  text.append(Hex(grid.firstTrail)).append(" to ").append(Hex(grid.LastTrail()));
  text.append(grid.skipsDelete ? " without 7F" : "").append(", in code order, ");
  text.append(name).append("_wide_bytes each").append(kBreak);
  text.append("   from ").append(name).append("_wide_offset; then those of 20 to 7E, ");
  text.append(name).append("_narrow_bytes each from ").append(name).append("_narrow_offset.");
  text.append(kBreak).append("   A code that reads no character, or whose character the font ");
  text.append("has no glyph for,").append(kBreak).append("   keeps its cell, all dark. */");
  return text.append(kBreak);
}

// NAME_offset: the lead byte's range and the trail byte's, in long arithmetic.
std::string OffsetFunction(const std::string& name, Charset charset) {
  const CodeGrid grid = GridOf(charset);
  const std::string lastLead = HexByte(grid.LastLead());
  const std::string lastTrail = HexByte(grid.LastTrail());
  std::string text = "/* The offset in the image of the glyph of the character that starts at s ";
  text.append("(two bytes").append(kBreak);
  text.append("   from a lead byte, else one), or -1 where s starts no code of ");
  text.append(charset == Charset::Gb2312 ? "GB 2312" : "GBK").append(". */").append(kBreak);
  // C90 compilers, Keil C51's among them, know no inline.
  text.append("#if defined(__cplusplus)").append(kBreak).append("inline").append(kBreak);
  text.append("#elif defined(__STDC_VERSION__) && __STDC_VERSION__ >= 199901L").append(kBreak);
  text.append("static inline").append(kBreak);
  text.append("#else").append(kBreak).append("static").append(kBreak);
  text.append("#endif").append(kBreak);
  text.append("long ").append(name).append("_offset(const unsigned char *s) {").append(kBreak);
  text.append("  const unsigned char lead = s[0];").append(kBreak);
  text.append("  if (lead >= 0x20 && lead <= 0x7E) {").append(kBreak);
  text.append("    return (long)").append(name).append("_narrow_offset + (long)(lead - 0x20) * ");
  text.append("(long)").append(name).append("_narrow_bytes;").append(kBreak);
  text.append("  }").append(kBreak);
  text.append("  if (lead >= ").append(HexByte(grid.firstLead)).append(" && lead <= ");
  text.append(lastLead).append(") {").append(kBreak);
  text.append("    const unsigned char trail = s[1];").append(kBreak);
  text.append("    if (trail < ").append(HexByte(grid.firstTrail)).append(" || trail > ");
  text.append(lastTrail).append(grid.skipsDelete ? " || trail == 0x7F" : "");
  text.append(") return -1;").append(kBreak);
  text.append("    return (long)").append(name).append("_wide_offset +").append(kBreak);
  text.append("           ((long)(lead - ").append(HexByte(grid.firstLead)).append(") * ");
  text.append(std::to_string(grid.columns)).append("L + (long)(trail - ");
  text.append(HexByte(grid.firstTrail)).append(grid.skipsDelete ? " - (trail > 0x7F)" : "");
  text.append(")) *").append(kBreak);
  text.append("               (long)").append(name).append("_wide_bytes;").append(kBreak);
  text.append("  }").append(kBreak).append("  return -1;").append(kBreak);
  text.append("}").append(kBreak);
  return text;
}

}  // namespace

FontImageHeader::FontImageHeader(const GlyphHeaderSettings& settings,
                                 const FontImageGeometry& geometry, bool holdsImage, TextSink& out,
                                 TextSink* source)
    : settings_(settings),
      geometry_(geometry),
      holdsImage_(holdsImage),
      out_(out),
      source_(holdsImage ? source : nullptr) {}

void FontImageHeader::Begin() {
  const std::string& name = settings_.name;
  std::string& text = out_.Gathering();
  const std::string comment =
      HeaderText(settings_, out_, nullptr).FirstComment(geometry_.wideWidth, geometry_.narrowWidth);
  text.append(header::Opening(comment, "GBKHEX_GLYPHS_" + name, settings_.style));
  text.append(ImageComment(name, geometry_.charset));
  const std::pair<std::string, std::uint64_t> macros[] = {
      {name + "_height", static_cast<std::uint64_t>(settings_.pixelSize)},
      {name + "_wide_width", static_cast<std::uint64_t>(geometry_.wideWidth)},
      {name + "_narrow_width", static_cast<std::uint64_t>(geometry_.narrowWidth)},
      {name + "_wide_bytes", geometry_.wideBytes},
      {name + "_narrow_bytes", geometry_.narrowBytes},
      {name + "_wide_offset", 0},
      {name + "_narrow_offset", geometry_.NarrowOffset()},
      {name + "_image_size", geometry_.ImageSize()},
  };
  for (const auto& [macro, value] : macros) header::AppendUnsignedMacro(text, macro, value);
  text.append(OffsetFunction(name, geometry_.charset));
  const std::string imageComment =
      std::string("/* The image, ").append(name).append("_image_size bytes. */");
  if (source_ != nullptr) {
    text.append(imageComment).append(kBreak).append(header::CLinkageOpening());
    header::AppendExternDeclaration(text, settings_.style, name + "_image", geometry_.ImageSize());
    text.append(header::CLinkageClosing()).append(header::Closing());
    out_.Gathered();
    std::string& definition = source_->Gathering();
    definition.append(
        header::SourceOpening("/* A whole font image written by " + std::string(product::kCliName) +
                                  ": the one definition of the array that its header declares. */",
                              settings_.headerName));
    header::AppendDeclarationHead(definition, "", settings_.style, name + "_image");
    source_->Gathered();
    return;
  }
  if (holdsImage_) {
    text.append(imageComment).append(kBreak);
    header::AppendDeclarationHead(text, header::LinkageLines(), settings_.style, name + "_image");
  }
  out_.Gathered();
}

void FontImageHeader::Append(std::span<const std::uint8_t> bytes) {
  TextSink& arrays = source_ != nullptr ? *source_ : out_;
  constants_.AppendBytes({reinterpret_cast<const char*>(bytes.data()), bytes.size()},
                         arrays.Gathering());
  arrays.Gathered();
}

void FontImageHeader::End() {
  TextSink& arrays = source_ != nullptr ? *source_ : out_;
  std::string& text = arrays.Gathering();
  if (holdsImage_) {
    header::AppendDeclarationTail(text, ValueForm::Constants, constants_.LineIsOpen());
  }
  if (source_ == nullptr) text.append(header::Closing());
  arrays.Gathered();
}

}  // namespace gbkhex
