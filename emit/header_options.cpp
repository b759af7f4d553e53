#include "emit/header_options.h"

#include "emit/header_writer.h"

namespace gbkhex {
namespace {

// An option's value that `problemOf` finds a problem with: refused.
void CheckText(const std::optional<std::string>& value, std::string (*problemOf)(std::string_view),
               const std::string& shownAs) {
  if (!value) return;
  if (const std::string problem = problemOf(*value); !problem.empty()) {
    throw OptionError(shownAs + " '" + *value + "' " + problem);
  }
}

// --source FILE.c, which includes the header of -o.
void CheckSource(const HeaderOptionValues& values, const IncludedNameOf& includedName) {
  const std::string& source = *values.source;
  const std::string option = "--source";
  if (source.empty()) throw OptionError(option + " needs a file name");
  if (source == "-") {
    throw OptionError(option +
                      " - cannot be: the definitions are a file that the build "
                      "compiles, not standard output");
  }
  if (!values.output || *values.output == "-") {
    throw OptionError(option + " needs -o FILE, a file for the header that " + source +
                      " includes");
  }
  if (!values.writesNoArrays.empty()) {
    throw OptionError(option + " cannot be combined with " + std::string(values.writesNoArrays) +
                      ", which writes no arrays");
  }
  const std::string name = includedName(*values.output, source);
  if (const std::string problem = IncludeProblem("\"" + name + "\""); !problem.empty()) {
    throw OptionError("-o '" + *values.output + "' cannot be included from " + source +
                      ": its name " + problem);
  }
}

}  // namespace

void CheckHeaderOptions(const HeaderOptionValues& values, const IncludedNameOf& includedName) {
  if (!values.declaringOption.empty() && values.hexadecimal) {
    throw OptionError(std::string(values.declaringOption) +
                      " writes C constants or string literals; it cannot be combined with "
                      "--format hex");
  }
  CheckText(values.type, TypeProblem, "--type");
  CheckText(values.attribute, AttributeProblem, "--attribute");
  for (const std::string& include : values.includes) {
    CheckText(include, IncludeProblem, "--include");
  }
  if (values.output == "") throw OptionError("--output needs a file name");
  if (values.source) CheckSource(values, includedName);
  if (values.wholeImage && values.source) {
    throw OptionError(
        "--source has nothing to define: with --whole and --image, the header holds "
        "no array");
  }
}

void CheckDistinctFiles(
    const std::vector<NamedFile>& outputs,
    const std::function<bool(const std::string&, const std::string&)>& sameFile) {
  for (auto first = outputs.begin(); first != outputs.end(); ++first) {
    for (auto second = first + 1; second != outputs.end(); ++second) {
      if (first->path && second->path && sameFile(*first->path, *second->path)) {
        throw OptionError(first->option + " '" + *first->path + "' and " + second->option + " '" +
                          *second->path + "' name the same file");
      }
    }
  }
}

}  // namespace gbkhex
