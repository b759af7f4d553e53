#include "emit/c_names.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "i18n/messages.h"
#include "text/character_classes.h"

namespace gbkhex {
namespace {

// C (to C23) and C++ keywords, blank-separated: the declaration should compile
// in either language.
constexpr std::string_view kKeywords =
    "_Alignas _Alignof _Atomic _BitInt _Bool _Complex _Decimal128 _Decimal32 "
    "_Decimal64 _Generic _Imaginary _Noreturn _Static_assert _Thread_local alignas "
    "alignof and and_eq asm auto bitand bitor bool break case catch char char16_t "
    "char32_t char8_t class co_await co_return co_yield compl concept const "
    "const_cast consteval constexpr constinit continue decltype default delete do "
    "double dynamic_cast else enum explicit export extern false float for friend "
    "goto if inline int long mutable namespace new noexcept not not_eq nullptr "
    "operator or or_eq private protected public register reinterpret_cast requires "
    "restrict return short signed sizeof static static_assert static_cast struct "
    "switch template this thread_local throw true try typedef typeid typename typeof "
    "typeof_unqual union unsigned using virtual void volatile wchar_t while xor "
    "xor_eq";

// The memory types, memory models and function attributes of the 8051
// compiler that firmware for many display modules is built with.
constexpr std::string_view kKeilC51Keywords =
    "alien bdata bit code compact data far idata interrupt large pdata reentrant sbit sfr "
    "sfr16 small using xdata";

// Macros that compilers define without a leading underscore (in their GNU
// modes, the default): either turns the declaration into nonsense.
constexpr std::string_view kPredefinedMacros =
    "linux unix i386 sun sparc mips vax m68k mc68000 hppa PPC powerpc WIN32 WIN64 WINNT";
// Names of the other standard headers that firmware sources include.
constexpr std::string_view kOtherStandardMacros = "errno assert offsetof setjmp";

// Each name fails to compile as NAME[] or NAME_len once its header is
// included, in C or in C++ (tests/emit/c_names_oracle.sh holds every one to that):
// a macro expands into the declaration, a type or function clashes with it.
// Function-like macros (INT8_C, unreachable) are missing on purpose: a name
// not followed by "(" is not expanded, so an array may take it.
constexpr StandardHeaderNames kStandardHeaderNames[] = {
    {"limits.h",
     "CHAR_BIT SCHAR_MIN SCHAR_MAX UCHAR_MAX CHAR_MIN CHAR_MAX MB_LEN_MAX SHRT_MIN SHRT_MAX "
     "USHRT_MAX INT_MIN INT_MAX UINT_MAX LONG_MIN LONG_MAX ULONG_MAX LLONG_MIN LLONG_MAX "
     "ULLONG_MAX CHAR_WIDTH SCHAR_WIDTH UCHAR_WIDTH SHRT_WIDTH USHRT_WIDTH INT_WIDTH UINT_WIDTH "
     "LONG_WIDTH ULONG_WIDTH LLONG_WIDTH ULLONG_WIDTH BOOL_WIDTH BOOL_MAX BITINT_MAXWIDTH",
     "", ""},
    {"stdint.h",
     "INT8_MIN INT16_MIN INT32_MIN INT64_MIN INT8_MAX INT16_MAX INT32_MAX INT64_MAX UINT8_MAX "
     "UINT16_MAX UINT32_MAX UINT64_MAX INT_LEAST8_MIN INT_LEAST16_MIN INT_LEAST32_MIN "
     "INT_LEAST64_MIN INT_LEAST8_MAX INT_LEAST16_MAX INT_LEAST32_MAX INT_LEAST64_MAX "
     "UINT_LEAST8_MAX UINT_LEAST16_MAX UINT_LEAST32_MAX UINT_LEAST64_MAX INT_FAST8_MIN "
     "INT_FAST16_MIN INT_FAST32_MIN INT_FAST64_MIN INT_FAST8_MAX INT_FAST16_MAX INT_FAST32_MAX "
     "INT_FAST64_MAX UINT_FAST8_MAX UINT_FAST16_MAX UINT_FAST32_MAX UINT_FAST64_MAX INTPTR_MIN "
     "INTPTR_MAX UINTPTR_MAX INTMAX_MIN INTMAX_MAX UINTMAX_MAX PTRDIFF_MIN PTRDIFF_MAX "
     "SIG_ATOMIC_MIN SIG_ATOMIC_MAX SIZE_MAX WCHAR_MIN WCHAR_MAX WINT_MIN WINT_MAX INT8_WIDTH "
     "UINT8_WIDTH INT16_WIDTH UINT16_WIDTH INT32_WIDTH UINT32_WIDTH INT64_WIDTH UINT64_WIDTH "
     "INT_LEAST8_WIDTH UINT_LEAST8_WIDTH INT_LEAST16_WIDTH UINT_LEAST16_WIDTH INT_LEAST32_WIDTH "
     "UINT_LEAST32_WIDTH INT_LEAST64_WIDTH UINT_LEAST64_WIDTH INT_FAST8_WIDTH UINT_FAST8_WIDTH "
     "INT_FAST16_WIDTH UINT_FAST16_WIDTH INT_FAST32_WIDTH UINT_FAST32_WIDTH INT_FAST64_WIDTH "
     "UINT_FAST64_WIDTH INTPTR_WIDTH UINTPTR_WIDTH INTMAX_WIDTH UINTMAX_WIDTH PTRDIFF_WIDTH "
     "SIG_ATOMIC_WIDTH SIZE_WIDTH WCHAR_WIDTH WINT_WIDTH",
     "int8_t int16_t int32_t int64_t uint8_t uint16_t uint32_t uint64_t int_least8_t "
     "int_least16_t int_least32_t int_least64_t uint_least8_t uint_least16_t uint_least32_t "
     "uint_least64_t int_fast8_t int_fast16_t int_fast32_t int_fast64_t uint_fast8_t "
     "uint_fast16_t uint_fast32_t uint_fast64_t intptr_t uintptr_t intmax_t uintmax_t",
     ""},
    {"stddef.h", "NULL", "ptrdiff_t size_t max_align_t nullptr_t", ""},
    {"stdio.h",
     "BUFSIZ EOF FILENAME_MAX FOPEN_MAX L_tmpnam SEEK_CUR SEEK_END SEEK_SET TMP_MAX stderr "
     "stdin stdout",
     "FILE fpos_t",
     "remove rename tmpfile tmpnam fclose fflush fopen freopen setbuf setvbuf fprintf fscanf "
     "printf scanf snprintf sprintf sscanf vfprintf vfscanf vprintf vscanf vsnprintf vsprintf "
     "vsscanf fgetc fgets fputc fputs getc getchar gets putc putchar puts ungetc fread fwrite "
     "fgetpos fseek fsetpos ftell rewind clearerr feof ferror perror"},
    {"stdlib.h", "EXIT_FAILURE EXIT_SUCCESS MB_CUR_MAX RAND_MAX", "div_t ldiv_t lldiv_t",
     "atof atoi atol atoll strtod strtof strtold strtol strtoll strtoul strtoull strfromd "
     "strfromf strfroml rand srand aligned_alloc calloc free "
     "malloc realloc abort atexit at_quick_exit exit getenv quick_exit system bsearch qsort "
     "abs labs llabs div ldiv lldiv mblen mbtowc wctomb mbstowcs wcstombs"},
    {"string.h", "", "",
     "memcpy memccpy memmove strcpy strncpy strcat strncat memcmp strcmp strcoll strncmp "
     "strxfrm memchr strchr strcspn strpbrk strrchr strspn strstr strtok memset "
     "strerror strlen strdup strndup"},
};

// Calls `use` with each blank-separated word of `list`.
template <typename Use>
constexpr void ForEachWord(std::string_view list, Use use) {
  while (!list.empty()) {
    const std::size_t end = std::min(list.find(' '), list.size());
    if (end > 0) use(list.substr(0, end));
    list.remove_prefix(std::min(end + 1, list.size()));
  }
}

// What a refused name is, which says why it is refused.
enum class Refused : std::uint8_t {
  Keyword,
  KeilC51Keyword,
  PredefinedMacro,
  HeaderMacro,
  HeaderType,
  HeaderFunction,
  OtherStandardMacro,
};

struct RefusedList {
  std::string_view names;
  Refused kind = Refused::Keyword;
  std::string_view header;  // of the Header kinds
};

// Every list, in the order in which a name in two of them takes its reason
// from the first: a keyword of C++ that Keil C51 has too (using) is C++'s.
constexpr auto kRefusedLists = [] {
  std::array<RefusedList, 4 + 3 * std::size(kStandardHeaderNames)> lists{};
  std::size_t next = 0;
  lists[next++] = {kKeywords, Refused::Keyword, {}};
  lists[next++] = {kKeilC51Keywords, Refused::KeilC51Keyword, {}};
  lists[next++] = {kPredefinedMacros, Refused::PredefinedMacro, {}};
  for (const StandardHeaderNames& names : kStandardHeaderNames) {
    lists[next++] = {names.macros, Refused::HeaderMacro, names.header};
    lists[next++] = {names.types, Refused::HeaderType, names.header};
    lists[next++] = {names.functions, Refused::HeaderFunction, names.header};
  }
  lists[next++] = {kOtherStandardMacros, Refused::OtherStandardMacro, {}};
  return lists;
}();

// Every refused name, in an open-addressing table that the compiler fills: a
// string table asks it once an entry, and a name that is no refused one finds
// an empty slot at once, most often. A slot names its name by its place in
// its list, so that the table is 8 KB and stays in the cache.
struct RefusedSlot {
  std::uint16_t offset = 0;  // in the list's names
  std::uint8_t size = 0;
  std::uint8_t list = 0;  // index + 1 in kRefusedLists, 0 for an empty slot
};
constexpr std::size_t kRefusedSlots = 2048;

constexpr std::string_view NameOf(const RefusedSlot& slot) noexcept {
  return kRefusedLists[slot.list - 1].names.substr(slot.offset, slot.size);
}

constexpr auto kRefusedNames = [] {
  std::array<RefusedSlot, kRefusedSlots> slots{};
  for (std::size_t list = 0; list < kRefusedLists.size(); ++list) {
    const std::string_view names = kRefusedLists[list].names;
    ForEachWord(names, [&](std::string_view name) {
      std::size_t at = NameHash(name) % kRefusedSlots;
      while (slots[at].list != 0 && NameOf(slots[at]) != name) at = (at + 1) % kRefusedSlots;
      if (slots[at].list != 0) return;  // in an earlier list
      slots[at] = {static_cast<std::uint16_t>(name.data() - names.data()),
                   static_cast<std::uint8_t>(name.size()), static_cast<std::uint8_t>(list + 1)};
    });
  }
  return slots;
}();

const RefusedList* FindRefused(std::string_view name) noexcept {
  for (std::size_t at = NameHash(name) % kRefusedSlots;; at = (at + 1) % kRefusedSlots) {
    const RefusedSlot& slot = kRefusedNames[at];
    if (slot.list == 0) return nullptr;
    if (slot.size == name.size() && NameOf(slot) == name) return &kRefusedLists[slot.list - 1];
  }
}

std::string HeaderName(std::string_view header) {
  std::string text = "<";
  return text.append(header).append(">");
}

using i18n::Fill;
using i18n::Tr;

// "is a keyword of C or C++": why a name of `list` is refused, said of the
// name that comes before it.
std::string ReasonOf(const RefusedList& list) {
  switch (list.kind) {
    case Refused::Keyword:
      // TRANSLATORS: the reasons why a name is refused follow the name: "the name 'int' ...".
      return std::string(Tr("is a keyword of C or C++"));
    case Refused::KeilC51Keyword:
      return std::string(Tr("is a keyword of Keil C51, the 8051 compiler"));
    case Refused::PredefinedMacro:
      return std::string(Tr("is a macro that compilers predefine"));
    case Refused::HeaderMacro:
      return Fill(Tr("is a macro of %s, which would expand inside the declaration"),
                  {HeaderName(list.header)});
    case Refused::HeaderType:
      return Fill(Tr("is a type of %s, which a file that includes it cannot declare again"),
                  {HeaderName(list.header)});
    case Refused::HeaderFunction:
      return Fill(Tr("is a function of %s, which a file that includes it cannot declare again"),
                  {HeaderName(list.header)});
    case Refused::OtherStandardMacro:
      break;
  }
  return std::string(Tr("is a macro of the C standard headers"));
}

// "keywords of Keil C51, the 8051 compiler": what the names of `list` are.
std::string WhatOf(const RefusedList& list) {
  switch (list.kind) {
    case Refused::Keyword:
      return std::string(Tr("keywords of C (to C23) and C++ (to C++23)"));
    case Refused::KeilC51Keyword:
      return std::string(Tr("keywords of Keil C51, the 8051 compiler"));
    case Refused::PredefinedMacro:
      return std::string(Tr("macros that compilers predefine"));
    case Refused::HeaderMacro:
      return Fill(Tr("macros of %s"), {HeaderName(list.header)});
    case Refused::HeaderType:
      return Fill(Tr("types of %s"), {HeaderName(list.header)});
    case Refused::HeaderFunction:
      return Fill(Tr("functions of %s"), {HeaderName(list.header)});
    case Refused::OtherStandardMacro:
      break;
  }
  return std::string(Tr("macros of the other standard headers"));
}

bool IsKeyword(std::string_view name) {
  const RefusedList* refused = FindRefused(name);
  return refused != nullptr && refused->kind == Refused::Keyword;
}

bool IsIdentifierShape(std::string_view name) {
  return !name.empty() && IsIdentifierStart(name.front()) &&
         std::all_of(name.begin(), name.end(), IsIdentifierCharacter<char>);
}

constexpr std::string_view kOwnMacroPrefix = "GBKHEX_";

}  // namespace

bool IsCIdentifier(std::string_view name) { return IsIdentifierShape(name) && !IsKeyword(name); }

std::string ArrayNameProblem(std::string_view name) {
  const RefusedList* refused = FindRefused(name);
  if (refused != nullptr && refused->kind == Refused::Keyword) return ReasonOf(*refused);
  if (!IsIdentifierShape(name)) {
    return std::string(
        Tr("is not a C identifier (ASCII letters, digits and _, not starting with a digit)"));
  }
  if (name.starts_with('_')) {
    return std::string(
        Tr("is reserved: at file scope, names that start with _ belong to the compiler"));
  }
  // NAME_len holds "__" where NAME does or ends in "_".
  if (name.find("__") != std::string_view::npos || name.ends_with('_')) {
    return std::string(
        Tr("is reserved in C++, where names holding __ belong to the compiler (NAME_len gets one "
           "from a trailing _)"));
  }
  if (name == "main") return std::string(Tr("is the name of the program's entry point"));
  if (name.starts_with(kOwnMacroPrefix)) {
    return std::string(
        Tr("is reserved: the headers that gbkhex-cli writes name their macros GBKHEX_..."));
  }
  return refused == nullptr ? std::string() : ReasonOf(*refused);
}

std::span<const StandardHeaderNames> RefusedStandardHeaderNames() noexcept {
  return kStandardHeaderNames;
}

std::vector<RefusedNameList> RefusedNameLists() {
  std::vector<RefusedNameList> lists;
  for (const RefusedList& list : kRefusedLists) {
    if (!list.names.empty()) lists.push_back({WhatOf(list), list.names});
  }
  return lists;
}

bool IsStdintType(std::string_view identifier) {
  bool found = false;
  for (const StandardHeaderNames& names : kStandardHeaderNames) {
    if (names.header != "stdint.h") continue;
    ForEachWord(names.types, [&](std::string_view word) { found = found || word == identifier; });
  }
  return found;
}

std::string_view LengthNameOwner(std::string_view name) {
  if (!name.ends_with(kLengthSuffix)) return {};
  return name.substr(0, name.size() - kLengthSuffix.size());
}

}  // namespace gbkhex
