#pragma once

#include <string>

// The arithmetic of output files' names, apart from their writing: where a
// header sits beside the source file that includes it, for every front end.
namespace gbkhex {

// The folder part of `path` (UTF-8), its last separator included; "" for a
// bare name. On Windows '\' and a drive's ':' separate too.
std::string FolderPrefix(const std::string& path);

// Whether two paths (UTF-8) name one file: the same path once made absolute
// and normalised, symbolic links followed, or two names of one existing file.
bool NameOneFile(const std::string& a, const std::string& b);

// The name by which a file in `sourcePath`'s folder includes `headerPath`:
// its name alone when both are in one folder, else the path as given (with
// '/' for '\', which C leaves undefined in a header's name).
std::string IncludedName(const std::string& headerPath, const std::string& sourcePath);

}  // namespace gbkhex
