#include "emit/header_options.h"

#include "emit/header_writer.h"
#include "i18n/messages.h"

namespace gbkhex {
namespace {

using i18n::Fill;
using i18n::Tr;

// An option's value that `problemOf` finds a problem with: refused with
// `refusal`, given the value and the problem.
void CheckText(const std::optional<std::string>& value, std::string (*problemOf)(std::string_view),
               std::string_view refusal) {
  if (!value) return;
  if (const std::string problem = problemOf(*value); !problem.empty()) {
    throw OptionError(Fill(refusal, {*value, problem}));
  }
}

// --source FILE.c, which includes the header of -o.
void CheckSource(const HeaderOptionValues& values, const IncludedNameOf& includedName) {
  const std::string& source = *values.source;
  if (source.empty()) throw OptionError(std::string(Tr("--source needs a file name")));
  if (source == "-") {
    throw OptionError(
        std::string(Tr("--source - cannot be: the definitions are a file that the "
                       "build compiles, not standard output")));
  }
  if (!values.output || *values.output == "-") {
    throw OptionError(
        Fill(Tr("--source needs -o FILE, a file for the header that %s includes"), {source}));
  }
  if (!values.writesNoArrays.empty()) {
    throw OptionError(Fill(Tr("--source cannot be combined with %s, which writes no arrays"),
                           {values.writesNoArrays}));
  }
  const std::string name = includedName(*values.output, source);
  if (const std::string problem = IncludeProblem("\"" + name + "\""); !problem.empty()) {
    // TRANSLATORS: the last %s is a reason such as "holds a comment".
    throw OptionError(Fill(Tr("-o '%s' cannot be included from %s: its name %s"),
                           {*values.output, source, problem}));
  }
}

}  // namespace

void CheckHeaderOptions(const HeaderOptionValues& values, const IncludedNameOf& includedName) {
  if (!values.declaringOption.empty() && values.hexadecimal) {
    throw OptionError(Fill(Tr("%s writes C constants or string literals; it cannot be combined "
                              "with --format hex"),
                           {values.declaringOption}));
  }
  CheckText(values.type, TypeProblem, Tr("--type '%s' %s"));
  CheckText(values.attribute, AttributeProblem, Tr("--attribute '%s' %s"));
  for (const std::string& include : values.includes) {
    CheckText(include, IncludeProblem, Tr("--include '%s' %s"));
  }
  if (values.output == "") throw OptionError(std::string(Tr("--output needs a file name")));
  if (values.source) CheckSource(values, includedName);
  if (values.wholeImage && values.source) {
    throw OptionError(std::string(
        Tr("--source has nothing to define: with --whole and --image, the header holds no array")));
  }
}

void CheckDistinctFiles(
    const std::vector<NamedFile>& outputs,
    const std::function<bool(const std::string&, const std::string&)>& sameFile) {
  for (auto first = outputs.begin(); first != outputs.end(); ++first) {
    for (auto second = first + 1; second != outputs.end(); ++second) {
      if (first->path && second->path && sameFile(*first->path, *second->path)) {
        throw OptionError(Fill(Tr("%s '%s' and %s '%s' name the same file"),
                               {first->option, *first->path, second->option, *second->path}));
      }
    }
  }
}

}  // namespace gbkhex
