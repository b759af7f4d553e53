#include "window/model/form1_model.h"

#include <cwchar>

namespace gbkhex {

template <Utf16Unit In>
const Text2Update& Form1Model::Refresh(std::basic_string_view<In> text1, OutputFormat format) {
  next_.clear();
  CodeWriter(format, text2LineBreak_, text1LineBreak_).Append(text1, next_);
  const bool whole = !inSync_;
  const ChangedSpan span =
      whole ? ChangedSpan{0, shown_.size(), next_.size()} : FindChangedSpan<char>(shown_, next_);
  shown_.swap(next_);
  inSync_ = true;
  update_ = {whole, span, std::string_view(shown_).substr(span.start, span.inserted)};
  return update_;
}

template <Utf16Unit In, OutputUnit Out>
void Form1Model::FormatNameToMac(std::basic_string_view<In> val, OutputFormat format,
                                 std::basic_string<Out>& out) const {
  out.clear();
  CodeWriter(format, text2LineBreak_, text1LineBreak_).Append(val, out);
}

template const Text2Update& Form1Model::Refresh(std::u16string_view, OutputFormat);
template void Form1Model::FormatNameToMac(std::u16string_view, OutputFormat, std::u16string&) const;
template void Form1Model::FormatNameToMac(std::u16string_view, OutputFormat, std::string&) const;
#if WCHAR_MAX == 0xFFFF
template const Text2Update& Form1Model::Refresh(std::wstring_view, OutputFormat);
template void Form1Model::FormatNameToMac(std::wstring_view, OutputFormat, std::wstring&) const;
#endif

}  // namespace gbkhex
