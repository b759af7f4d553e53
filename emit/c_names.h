#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace gbkhex {

// A hash of a name, for the tables of names: FNV-1a, quick on names of a few
// letters. Its low bits, which a table's slot is taken from, depend on the
// low bits of the letters alone, which is enough for identifiers: ASCII
// letters and digits differ there, and names that differ in a digit or two
// land near one another, where the cache holds them.
constexpr std::uint64_t NameHash(std::string_view name) noexcept {
  std::uint64_t hash = 0xCBF29CE484222325u;
  for (const char c : name) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001B3u;
  return hash;
}

// True for a C identifier that is not a keyword, so that NAME[] and NAME_len
// both compile.
bool IsCIdentifier(std::string_view name);

// Why NAME cannot name the array, or "" when it can: the declaration of NAME[],
// NAME_len and its include guard must compile as C and C++ at file scope, so
// NAME must be a C identifier, no keyword of C23 or C++23 or of Keil C51, not
// reserved (no leading underscore at file scope, no "__" in C++, which NAME_len
// would also get from a trailing underscore), not `main`, not GBKHEX_... (the
// macros of the headers gbkhex-cli writes), no macro that compilers predefine
// (linux, unix, i386, ...), and no macro, type or function of <limits.h>,
// <stdint.h>, <stddef.h>, <stdio.h>, <stdlib.h> or <string.h>, which a file
// that includes the header may well include too.
std::string ArrayNameProblem(std::string_view name);

// The names of one standard header that a declaration of NAME[] cannot take
// once the header is included, each list blank-separated. A name that several
// headers declare (size_t, NULL) is listed under the first of them only.
struct StandardHeaderNames {
  std::string_view header;  // "stdio.h"
  std::string_view macros;
  std::string_view types;
  std::string_view functions;
};
std::span<const StandardHeaderNames> RefusedStandardHeaderNames() noexcept;

// Every list of names that ArrayNameProblem refuses, with what they are
// ("keywords of Keil C51"), in the order of its checks: for the man page,
// which must name what is refused and nothing else.
struct RefusedNameList {
  std::string what;
  std::string_view names;  // blank-separated
};
std::vector<RefusedNameList> RefusedNameLists();

// Whether `identifier` is one of the types of <stdint.h> (uint8_t, ...).
bool IsStdintType(std::string_view identifier);

// The length constant that the header declares beside NAME[]: NAME and this.
inline constexpr std::string_view kLengthSuffix = "_len";

// The name whose length constant `name` is ("title" for "title_len"), or ""
// when `name` does not end in "_len".
std::string_view LengthNameOwner(std::string_view name);

}  // namespace gbkhex
