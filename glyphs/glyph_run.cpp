#include "glyphs/glyph_run.h"

#include <cstdint>
#include <optional>

#include "glyphs/em_fit.h"
#include "glyphs/font.h"
#include "glyphs/glyph_output.h"
#include "glyphs/glyph_set.h"
#include "glyphs/preview.h"

namespace gbkhex::glyphs {
namespace {

// The faults of a run, counted on their way to the front end's sink: a run
// that found an error writes nothing.
class CountedFaults final : public FaultSink {
 public:
  explicit CountedFaults(FaultSink& to) : to_(to) {}
  void Add(const Fault& fault) override {
    if (fault.severity == Severity::Error) ++errors_;
    to_.Add(fault);
  }
  bool ListsNextError() const noexcept override { return to_.ListsNextError(); }
  std::uint64_t Errors() const noexcept { return errors_; }

 private:
  FaultSink& to_;
  std::uint64_t errors_ = 0;
};

Fault OpenFault(const FontError& error) {
  return Fault{.kind = FaultKind::Open, .what = error.what()};
}

// A picture or an image that could not be written.
Fault OutputFault(const std::string& input, const std::string& what) {
  return Fault{.kind = FaultKind::Output, .input = input, .what = what};
}

FontSource OpenedSource(const FontRequest& request) {
  FontSource source = request.family.empty() ? request.font : FindInstalledFont(request.family);
  if (request.face) source.faceIndex = *request.face;
  return source;
}

GlyphHeaderSettings HeaderSettings(const GlyphRunOptions& options, const CellFonts& fonts) {
  GlyphHeaderSettings settings;
  settings.name = options.name;
  settings.style = options.style;
  settings.layout = LayoutText(options.layout, options.bitsPerPixel);
  settings.headerName = options.headerName;
  settings.bitmapsInImage = !options.image.empty();
  DescribeFaces(fonts, options.narrowFont.has_value(), settings);
  return settings;
}

FacePlan Plan(const GlyphRunOptions& options) {
  FacePlan plan;
  plan.fonts.push_back(OpenedSource(options.font));
  for (const FontRequest& later : options.laterFonts) plan.fonts.push_back(OpenedSource(later));
  if (options.narrowFont) plan.narrowFont = OpenedSource(*options.narrowFont);
  plan.options = {.pixelSize = options.pixelSize,
                  .bitsPerPixel = options.bitsPerPixel,
                  .moveIntoCell = true,
                  .baseline = options.baseline};
  plan.em = options.em;
  plan.narrowEm = options.narrowEm;
  plan.fit = options.fit;
  return plan;
}

// The faces opened, with a whole charset fitted to its characters; else at
// the largest ems that open, for a text's fit to draw first.
std::optional<OpenedFonts> OpenedFontsOf(const FacePlan& plan, std::optional<Charset> whole,
                                         FaultSink& faults) {
  try {
    if (!whole) return OpenFonts(plan, {}, {});
    return OpenFonts(plan, CharsetCharacters(*whole, Cell::Wide),
                     CharsetCharacters(*whole, Cell::Narrow));
  } catch (const FontError& error) {
    faults.Add(OpenFault(error));
    return std::nullopt;
  }
}

void FlushBoth(TextSink& out, TextSink* source) {
  out.Flush();
  if (source != nullptr) source->Flush();
}

// Every cell of the charset's image drawn in code order and written as it is
// drawn, into the image or the header's NAME_image, and into the picture.
void RunWholeFont(const GlyphRunOptions& options, CellJudge& judge,
                  const GlyphHeaderSettings& settings, TextSink& out, TextSink* source,
                  GlyphFiles& files, FaultSink& faults) {
  const Font& font = judge.fonts().wide.First();
  const FontImageGeometry geometry = WholeImageGeometry(*options.whole, font, options.layout);
  FontImageHeader header(settings, geometry, options.image.empty(), out, source);
  std::optional<WholeFontWriter> writer;
  try {
    std::ostream* image = options.image.empty() ? nullptr : &files.Image(options.image);
    std::ostream* picture = options.preview.empty() ? nullptr : &files.Picture(options.preview);
    writer.emplace(header, geometry, font.PixelSize(), image, picture);
  } catch (const GlyphFileError& error) {
    faults.Add(OutputFault("", error.what()));
    return;
  } catch (const PreviewError& error) {
    faults.Add(OutputFault(options.preview, error.what()));
    return;
  }

  header.Begin();
  CharsetCells cells(judge, *options.whole, options.layout);
  try {
    cells.Draw(*writer, faults);
  } catch (const PreviewError& error) {
    faults.Add(OutputFault(options.preview, error.what()));
    return;
  }
  header.End();
  FlushBoth(out, source);
  cells.Report(faults);
}

// The picture and the image of a text's glyphs, made before its header.
bool WriteTextFiles(const GlyphRunOptions& options, const TextGlyphs::Tables& tables,
                    GlyphFiles& files, FaultSink& faults) {
  try {
    if (!options.preview.empty()) {
      WriteTextGlyphsPreview(tables, !options.image.empty(), files.Picture(options.preview));
    }
    if (!options.image.empty()) {
      WriteTextGlyphsImage(tables, options.layout, files.Image(options.image));
    }
  } catch (const PreviewError& error) {
    faults.Add(OutputFault(options.preview, error.what()));
    return false;
  } catch (const GlyphFileError& error) {
    faults.Add(OutputFault("", error.what()));
    return false;
  }
  return true;
}

void RunTextGlyphs(const GlyphRunOptions& options, const FacePlan& plan, OpenedFonts opened,
                   Charset charset, TextSink& out, TextSink* source, GlyphFiles& files,
                   CountedFaults& faults, const GlyphInputs& inputs) {
  // A text's glyphs are fitted once the text is read: drawn first at the
  // largest em that opens, then again at the ems that the fit finds.
  std::optional<CellJudge> judge(std::in_place, opened.fonts, options.clip, options.fit);
  TextGlyphs set(*judge, charset);
  inputs(set, faults);
  if (faults.Errors() != 0) return;
  if (options.fit) {
    try {
      opened = OpenFonts(plan, set.Characters(Cell::Wide), set.Characters(Cell::Narrow));
    } catch (const FontError& error) {
      faults.Add(OpenFault(error));
      return;
    }
    ReportFit(opened, faults);
    judge.emplace(opened.fonts, options.clip);
    set.Redraw(*judge, faults);
    if (faults.Errors() != 0) return;
  }
  const GlyphHeaderSettings settings = HeaderSettings(options, opened.fonts);
  const TextGlyphs::Tables tables = set.Sorted();
  if (!WriteTextFiles(options, tables, files, faults)) return;
  WriteTextGlyphsHeader(settings, tables, opened.fonts.wide.First(), options.layout, out, source);
  FlushBoth(out, source);
  if (judge->Clipped().glyphs != 0) faults.Add(ClipWarning(judge->Clipped()));
  if (judge->Moved() != 0) faults.Add(MovedNote(judge->Moved(), options.image.empty()));
}

}  // namespace

void RunGlyphs(const GlyphRunOptions& options, Charset charset, TextSink& out, TextSink* source,
               GlyphFiles& files, FaultSink& faults, const GlyphInputs& inputs) {
  CountedFaults counted(faults);
  FacePlan plan;
  try {
    plan = Plan(options);
  } catch (const FontError& error) {
    counted.Add(OpenFault(error));
    return;
  }
  std::optional<OpenedFonts> opened = OpenedFontsOf(plan, options.whole, counted);
  if (!opened) return;
  if (!options.whole) {
    return RunTextGlyphs(options, plan, std::move(*opened), charset, out, source, files, counted,
                         inputs);
  }
  ReportFit(*opened, counted);
  CellJudge judge(opened->fonts, options.clip);
  RunWholeFont(options, judge, HeaderSettings(options, opened->fonts), out, source, files, counted);
}

}  // namespace gbkhex::glyphs
