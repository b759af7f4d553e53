#pragma once

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace gbkhex {

// A value that a front end was given for an option, refused: the message says
// what is wrong, in the command line's words (its options' long names).
class OptionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The options that shape a header and name its files, as a front end was
// given them (absent where not given), for the one check that every front end
// applies.
struct HeaderOptionValues {
  // The option whose output declares arrays ("--table", "--array"), or "" for
  // an output that declares none.
  std::string_view declaringOption;
  bool hexadecimal = false;  // --format hex
  std::optional<std::string> type;
  std::optional<std::string> attribute;
  std::vector<std::string> includes;
  // The header's file (-o); "-" for standard output.
  std::optional<std::string> output;
  std::optional<std::string> source;
  // The option of an output that writes no arrays ("--list", "--decode"), or "".
  std::string_view writesNoArrays;
  bool wholeImage = false;  // --whole with --image: the header holds no array
};

// The name by which the source (second) includes the header (first).
using IncludedNameOf = std::function<std::string(const std::string&, const std::string&)>;

// Throws OptionError for the first problem, in the order that the messages
// come: --format hex with a declaration, a --type, --attribute or --include
// that cannot compile, an empty -o, and a --source without a header file to
// include, that is standard output, that has nothing to define, or whose
// header's name cannot be included.
void CheckHeaderOptions(const HeaderOptionValues& values, const IncludedNameOf& includedName);

// One output file of a run, and the option that names it (absent for none).
struct NamedFile {
  std::string option;
  std::optional<std::string> path;
};

// Throws OptionError where two of a run's outputs name one file (as
// `sameFile` judges) and would overwrite each other.
void CheckDistinctFiles(
    const std::vector<NamedFile>& outputs,
    const std::function<bool(const std::string&, const std::string&)>& sameFile);

}  // namespace gbkhex
