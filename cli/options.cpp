#include "cli/options.h"

#include <algorithm>
#include <initializer_list>
#include <type_traits>

#include "i18n/messages.h"

namespace gbkhex::cli {
namespace {

using i18n::Fill;
using i18n::Marked;
using i18n::Tr;

OptionSet Set(std::initializer_list<Option> options) {
  OptionSet set;
  for (const Option option : options) set.set(static_cast<std::size_t>(option));
  return set;
}

const OptionRow kOptionRows[] = {
    {
        .option = Option::Format,
        .name = "format",
        .kind = ValueKind::Choice,
        .choice = Word(kFormatWords, Format::Hexadecimal),
        .summary = Marked("every byte as two digits and a blank: \"CA AE \" (the default)"),
        .isDefault = true,
    },
    {
        .option = Option::Format,
        .name = "format",
        .kind = ValueKind::Choice,
        .choice = Word(kFormatWords, Format::C),
        .summary =
            Marked("every byte as a C constant and a comma, 16 to a line of 80 characters, lines "
                   "ending in CR LF: \"0XCA,0XAE,\""),
    },
    {
        .option = Option::Format,
        .name = "format",
        .kind = ValueKind::Choice,
        .choice = Word(kFormatWords, Format::String),
        .summary = Marked("C string literals, in lines of at most 80 characters that join into one "
                          "string: \"\\xCA\\xAE\\xC1\\xF9\"; with --array or --table, const char "
                          "arrays"),
        .details = Marked(
            "Printable ASCII stands as itself, but for \" and \\, which are escaped, and a ? "
            "after a ?, written \\?, so that no trigraph can form; 0A, 0D and 09 are \\n, \\r "
            "and \\t, and every other byte is \\x and two digits. Where a hexadecimal digit "
            "would follow a \\x escape, the literal is closed and a new one begins: "
            "\"\\xB5\" \"A\". Each line is made of whole literals, ready to paste into a call "
            "such as LCD_ShowString(0, 0, ...). A declaration's terminating NUL is the literal's "
            "own, so --nul adds none.\n\n"
            "A literal of more than 4095 bytes draws a warning: C99 and C11 promise no longer "
            "one, and GCC and Clang say so with -pedantic (-Woverlength-strings). --format c "
            "writes constants of any length."),
    },
    {
        .option = Option::Array,
        .name = "array",
        .kind = ValueKind::Text,
        .placeholder = "NAME",
        .summary =
            Marked("the bytes as a header to include from any number of C and C++ files: "
                   "\"const unsigned char NAME[] = {\" ... \"};\" (or a literal) and NAME_len, "
                   "the number of bytes, inside an include guard"),
        .details = Marked(
            "The header may be included from any number of C and C++ files of one program, and "
            "twice in one file. In C++17 and later the program holds one copy of the bytes (an "
            "inline variable); in C, and in C++ before 17, each file that uses the array holds "
            "one. With --format string the array is a const char NAME[] that a string literal "
            "initialises. An input without a single byte is an error for constants, since no C "
            "array can be empty, unless --nul gives it one.\n\n"
            "NAME must compile: a name that cannot is refused with the reason (see NAMES)."),
    },
    {
        .option = Option::Table,
        .name = "table",
        .summary =
            Marked("read the input as a string table, a NAME = text line for each string, and "
                   "write one header that holds an array (or a literal) and NAME_len for each"),
        .details = Marked(
            "Blank lines, and lines whose first non-blank character is #, are ignored. Every "
            "other line is NAME = text: NAME follows the rules of --array names; the blanks "
            "around = are not part of the text, nor are the blanks that end the line. A text in "
            "double quotes is exactly what stands between them, with the escapes \\\", \\\\, "
            "\\n, \\r and \\t and no others. A line of any other shape, a name that cannot "
            "compile, a name given twice, and a name that is another entry's NAME_len are "
            "errors at their line and column, and so is every character of every text that the "
            "charset lacks.\n\n"
            "For each entry, in table order, the header holds a comment that shows the text, "
            "the declaration, and NAME_len, the number of bytes without any terminator; the "
            "linkage is as --array's. An empty text needs --nul or --format string. The include "
            "guard is a hash of the options and of the whole input, so that two different "
            "tables of one program never share it: the input is read twice, and standard input "
            "or a pipe is held in memory for that. Several inputs are one table."),
        .conflicts = Set({Option::Array}),
    },
    {
        .option = Option::Nul,
        .name = "nul",
        .summary =
            Marked("a 00 byte after the text (after each entry's, with --table), which NAME_len "
                   "does not count"),
        .details =
            Marked("With the hexadecimal and C formats and with arrays of constants the 00 byte "
                   "is written; a string literal ends in its own, which --nul accepts and adds "
                   "nothing to."),
    },
    {
        .option = Option::Type,
        .name = "type",
        .kind = ValueKind::Text,
        .placeholder = "TEXT",
        .summary =
            Marked("the words before each array's name, in place of const unsigned char (const "
                   "char for a literal): const uint8_t, const unsigned char code (Keil C51's "
                   "ROM), const unsigned char __code (SDCC), __flash const unsigned char (IAR "
                   "AVR)"),
        .details = Marked(
            "TEXT is refused, with exit status 2 and the reason, if it could break the header "
            "out of the declaration: if it is empty or holds ;, {, }, =, #, a comment, a line "
            "break or another control character, a backslash, a trigraph or digraph that reads "
            "as one of those, an unterminated quote or unbalanced parentheses. A type that names "
            "a type of <stdint.h> (uint8_t and the others) makes the header include <stdint.h>, "
            "so that it compiles on its own.\n\n"
            "With --glyphs the bitmaps take TEXT, which must then name an unsigned byte type "
            "(unsigned char, uint8_t, uint_least8_t or uint_fast8_t), and the codes the same "
            "words with unsigned short in its place: const unsigned char code gives const "
            "unsigned short code."),
        .requiresAnyOf = Set({Option::Array, Option::Table, Option::Glyphs}),
    },
    {
        .option = Option::Attribute,
        .name = "attribute",
        .kind = ValueKind::Text,
        .placeholder = "TEXT",
        .summary = Marked("the words after each array's [], such as PROGMEM or "
                          "__attribute__((section(\".rodata.lcd\")))"),
        .details =
            Marked("TEXT is refused as --type's is, but may be empty. With --glyphs every array "
                   "of the header takes it. With --source, the declarations and the definitions "
                   "take --type and --attribute alike, as the compilers of small MCUs need "
                   "(SDCC's __code, IAR's __flash, PROGMEM)."),
        .requiresAnyOf = Set({Option::Array, Option::Table, Option::Glyphs}),
    },
    {
        .option = Option::Include,
        .name = "include",
        .kind = ValueKind::Text,
        .placeholder = "HEADER",
        .summary = Marked("#include <HEADER> at the top of the header, or #include \"HEADER\" when "
                          "HEADER is given in double quotes, for what --type and --attribute need: "
                          "--include avr/pgmspace.h for PROGMEM; may be given many times"),
        .details =
            Marked("The headers are included after the include guard, in the order given. "
                   "HEADER is refused, with exit status 2 and the reason, if it is empty or "
                   "holds a line break or another control character, a comment, a backslash, a "
                   "quote, two question marks in a row, or what would end the name early: > (or "
                   "\" inside the quotes)."),
        .requiresAnyOf = Set({Option::Array, Option::Table, Option::Glyphs}),
        .repeatable = true,
    },
    {
        .option = Option::Source,
        .name = "source",
        .kind = ValueKind::Text,
        .placeholder = "FILE.c",
        .summary =
            Marked("the arrays defined once, in FILE.c, which includes the header of -o; the "
                   "header then only declares them (extern, with their sizes, with C linkage "
                   "for C++), so that a program holds one copy of each whatever number of files "
                   "include it: what C on a small MCU needs"),
        .details = Marked(
            "Without --source the header stands alone and defines its arrays: static in C, so "
            "that every C file that includes it holds a copy of all of them (an 8051 program "
            "of two C files holds the table twice), and inline in C++17 and later. With "
            "--source the header declares each array as extern TYPE NAME[SIZE] ATTRIBUTE, the "
            "size included so that sizeof works, inside extern \"C\" for C++ (an Arduino "
            "sketch among them), and keeps NAME_len; FILE.c includes the header by the name "
            "-o gives it (without its folder when both files are in one folder) and defines "
            "each array once. Compile FILE.c as C and link it with the program.\n\n"
            "--source needs -o FILE, the header to include. Both files are written only when "
            "the whole run succeeds, and then both together: after a failure both are as they "
            "were."),
        .requiresAnyOf = Set({Option::Array, Option::Table, Option::Glyphs}),
    },
    {
        .option = Option::Charset,
        .name = "charset",
        .kind = ValueKind::Choice,
        .choice = Word(kCharsetWords, Charset::Gbk),
        .summary = Marked("every character must have an exact code in GBK (the default)"),
        .details =
            Marked("A character is written only if decoding its bytes gives the same character "
                   "back: one that code page 936 lacks, or holds only as a best fit of another "
                   "character (the micro sign would become the bytes of mu), is an error. The "
                   "euro sign (80) and the user-defined area U+E000 to U+E765 are exact."),
        .isDefault = true,
    },
    {
        .option = Option::Charset,
        .name = "charset",
        .kind = ValueKind::Choice,
        .choice = Word(kCharsetWords, Charset::Gb2312),
        .summary =
            Marked("every character must be ASCII or a GB 2312 character, as a display's font ROM "
                   "with only GB 2312 needs"),
        .details =
            Marked("GB 2312's own readings of A1 AA and A1 A4 hold here: U+2015 and U+30FB are "
                   "written as A1 AA and A1 A4, the bytes of U+2014 and U+00B7, which code page "
                   "936 reads there."),
    },
    {
        .option = Option::From,
        .name = "from",
        .kind = ValueKind::Choice,
        .choice = Word(kInputTextWords, InputText::Utf8),
        .summary =
            Marked("the input is UTF-8, or UTF-16 where it starts with a byte-order mark (the "
                   "default)"),
        .details =
            Marked("A UTF-8 byte-order mark at the start of an input is skipped. UTF-16 with a "
                   "byte-order mark, little- or big-endian (what Windows Notepad saves as "
                   "\"Unicode\"), gives the same output as the same text in UTF-8, and its faults "
                   "are placed in characters as for UTF-8."),
        .isDefault = true,
    },
    {
        .option = Option::From,
        .name = "from",
        .kind = ValueKind::Choice,
        .choice = Word(kInputTextWords, InputText::CodePage936),
        .summary =
            Marked("the input is already in code page 936 (GBK); every byte sequence in it must "
                   "be one that code page 936 defines, and the output is its bytes"),
        .details =
            Marked("What Notepad on Chinese Windows saves as \"ANSI\". --charset and --lossy "
                   "apply to the characters that the bytes encode."),
    },
    {
        .option = Option::Lossy,
        .name = "lossy",
        .summary =
            Marked("write a character that the charset lacks as the gbkhex window does (a best "
                   "fit, '?', or its GBK code), and say on standard error how many there were "
                   "and where the first is"),
        .details =
            Marked("Windows' best-fit bytes where there are some, else 3F (?), 3F 3F for a "
                   "character above U+FFFF, and with --charset gb2312 the GBK code of a character "
                   "that GB 2312 lacks. The exit status is 0. Ill-formed input and U+0000 are "
                   "errors all the same."),
    },
    {
        .option = Option::List,
        .name = "list",
        .summary =
            Marked("instead of the bytes, the distinct characters of the input (with --table, of "
                   "its texts) in order of first appearance, one tab-separated line each: the "
                   "character, U+XXXX, its UTF-8 bytes, its GBK bytes, its GB 2312 zone and "
                   "position (quwei code) and its count"),
        .details = Marked(
            "The first line names the fields: char unicode utf8 gbk quwei count. A character "
            "that would break the line or not show is written as \\n, \\r, \\t, or \\u and "
            "four digits; the quwei field is empty for a character outside GB 2312. The charset's "
            "checks apply as for the bytes (--lossy lists the bytes it writes), and the list is "
            "written only when the input has no fault: it is what a display's font must hold."),
        .conflicts =
            Set({Option::Format, Option::Array, Option::Nul, Option::Type, Option::Attribute}),
    },
    {
        .option = Option::Output,
        .name = "output",
        .shortName = 'o',
        .kind = ValueKind::Text,
        .placeholder = "FILE",
        .summary =
            Marked("write the output to FILE, only when the whole run succeeds: into a new file "
                   "in FILE's folder, renamed over FILE at the end; after any error FILE is as "
                   "it was"),
        .details = Marked(
            "The bytes are exactly those that standard output gets otherwise (without the line "
            "break that ends the output on a terminal). A FILE that exists and is no regular "
            "file (/dev/null, a pipe, NUL on Windows) is written directly. On POSIX systems the "
            "new file gets FILE's permissions, and a symbolic link is followed. Builds should "
            "use it rather than a shell's >, which leaves a half-written header behind when a "
            "run fails (and in Windows PowerShell 5.1 writes UTF-16). FILE - is standard "
            "output.\n\n"
            "Two outputs of one run (-o, --source, --preview, --image) that name the same file, by "
            "the "
            "same path or by two names of one existing file, are refused with exit status 2."),
        .usage = Usage::Any,
    },
    {
        .option = Option::Decode,
        .name = "decode",
        .summary =
            Marked("read hexadecimal pairs (\"CA AE\"), C constants (\"0XCA,0XAE,\"), C string "
                   "literals (\"\\xCA\\xAE\") or a C array declaration (of --array, --table or "
                   "xxd -i) and write the UTF-8 text that those code page 936 bytes encode"),
        .details = Marked(
            "Blanks between pairs are optional and either case is read; in a declaration of "
            "constants only the numbers inside the braces count, and comments count nowhere. "
            "String literals may follow one another with blanks, line breaks and comments "
            "between them, as a C compiler joins them; they take C's simple escapes, octal "
            "escapes and \\x, and in a declaration the literals after each = count. A header "
            "of several arrays gives their bytes one after another. The bytes 0D 0A come out "
            "as CR LF. A byte sequence that code page 936 does not define, a malformed number or "
            "literal is an error with the input's name, line, column and byte offset. Each "
            "input is read whole and decoded on its own."),
        .usage = Usage::Decode,
        .conflicts =
            Set({Option::Format, Option::Array, Option::Table, Option::Nul, Option::Type,
                 Option::Attribute, Option::Charset, Option::From, Option::Lossy, Option::List}),
    },
    {
        .option = Option::Glyphs,
        .name = "glyphs",
        .kind = ValueKind::Text,
        .placeholder = "NAME",
        .summary =
            Marked("instead of the bytes, a C header with the glyphs of the text's distinct "
                   "characters, drawn from a font (--font): for the characters of two-byte codes "
                   "NAME_wide_codes, NAME_wide_bitmaps and NAME_wide_count, the same three for "
                   "those of one-byte codes (narrow), and NAME_height, NAME_wide_width and "
                   "NAME_narrow_width"),
        .details = Marked(
            "Each table is sorted by code, for a binary search: a wide code is lead byte * 256 + "
            "trail byte, a narrow one the byte itself. Each bitmap follows a comment that shows "
            "its character, its code and the glyph drawn in text, a line a row, # for a lit "
            "pixel and . for a dark one (with --bpp above 1, its levels). The sizes and counts are "
            "the constants of an enum, so "
            "that they are constant expressions in C too. A table without glyphs has a count of "
            "0 and arrays of one placeholder, so that the header compiles in C and C++ whatever "
            "the text holds. Linkage and names as for --array.\n\n"
            "The characters pass the same checks as for the bytes (--charset, --from, --lossy). "
            "Line breaks are left out; any other control character is an error, and so is a "
            "character that the font has no glyph for, or whose glyph is empty, or would lose "
            "lit pixels outside its cell (unless --clip), each at its FILE:LINE:COLUMN. A glyph "
            "belongs to a code and shows the character that code page 936 reads there: with "
            "--lossy, the substitute that the bytes would hold. Nothing is written unless every "
            "character has its glyph.\n\n"
            "A font's licence governs the bitmaps made from it. GNU Unifont's is the GNU GPL, "
            "version 2 or later, with its font embedding exception, which lets a program carry "
            "the glyphs under a licence of its own."),
        .usage = Usage::Glyphs,
        .conflicts =
            Set({Option::Format, Option::Array, Option::Nul, Option::List, Option::Decode}),
    },
    {
        .option = Option::Font,
        .name = "font",
        .kind = ValueKind::Text,
        .placeholder = "FONT",
        .summary =
            Marked("the font of --glyphs: a TrueType, OpenType, TTC, BDF or PCF file, or the "
                   "family name of an installed font (--font \"Noto Sans CJK SC\"); by default "
                   "GNU Unifont, where it is installed. The one option that may be given "
                   "several times: a character is drawn from the first font that has a glyph "
                   "for it, so a later font fills in what the earlier ones lack; a later one "
                   "names a face of a collection as FONT#N (--face is the first font's)"),
        .details = Marked(
            "FONT is a file when such a file exists, when it holds a / (or on Windows a \\), or "
            "when it ends in .ttf, .otf, .ttc, .otc, .bdf, .pcf or .pcf.gz; else it is the "
            "family name of an installed font, on Linux as fontconfig reads it (style words "
            "after a colon: \"Noto Sans CJK SC:style=Bold\"), on Windows among the installed "
            "fonts. A family that is not installed is an error that names the nearest ones "
            "that are: no other font stands in for it. The default is the file that Debian's "
            "package fonts-unifont installs, /usr/share/fonts/opentype/unifont/unifont.otf, or "
            "on Windows an installed font named Unifont; where it is missing, --font is "
            "required.\n\n"
            "FreeType draws the glyphs on every system, so one font file gives the same bytes "
            "on Linux and Windows. A scalable font is drawn at --size pixels to the em into "
            "cells --size pixels high: wide cells as wide, narrow cells half as wide, rounded "
            "up. One baseline serves every glyph of a font (see --baseline). A glyph that would "
            "lose lit pixels outside its cell is an error at its place in the text, unless "
            "--clip accepts the cut. A character other than a blank whose glyph is empty is an "
            "error too. The header's first comment names the font (a file by its name, without "
            "its folder), its family and style, the face, the size, the bits a pixel and the "
            "baseline with the rule that placed it.\n\n"
            "A later --font names a face of a collection by a # and its number after the "
            "file or family (--font ukai.ttc#1); --face applies to the first font only. The "
            "header's first comment names every face and which glyphs it drew; the warnings "
            "count the characters that no font has."),
        .usage = Usage::Glyphs,
        .requiresAnyOf = Set({Option::Glyphs}),
        .repeatable = true,
    },
    {
        .option = Option::Face,
        .name = "face",
        .kind = ValueKind::Text,
        .placeholder = "N",
        .summary =
            Marked("face N, from 0, of a font collection (a TTC file holds several), instead of "
                   "its first or the one that a family name finds"),
        .usage = Usage::Glyphs,
        .requiresAnyOf = Set({Option::Font}),
    },
    {
        .option = Option::NarrowFont,
        .name = "narrow-font",
        .kind = ValueKind::Text,
        .placeholder = "FONT",
        .summary =
            Marked("draw the characters of one-byte codes (the narrow cells) from FONT, a file or "
                   "an installed family as for --font, before the fonts of --font"),
        .details =
            Marked("A Chinese font's Latin letters are proportional and often wider than half "
                   "the em, so that they do not fit a narrow cell; a monospaced or bitmap face "
                   "made for such cells does (--narrow-font unifont.otf after --font \"Noto Sans "
                   "CJK SC\"). The narrow face has its own baseline rule and em (--narrow-em; "
                   "--fit fits it to the narrow cell). What it lacks, the fonts of --font draw."),
        .usage = Usage::Glyphs,
        .requiresAnyOf = Set({Option::Glyphs}),
    },
    {
        .option = Option::NarrowFace,
        .name = "narrow-face",
        .kind = ValueKind::Text,
        .placeholder = "N",
        .summary = Marked("face N, from 0, of --narrow-font's collection"),
        .usage = Usage::Glyphs,
        .requiresAnyOf = Set({Option::NarrowFont}),
    },
    {
        .option = Option::Size,
        .name = "size",
        .kind = ValueKind::Text,
        .placeholder = "PX",
        .summary =
            Marked("the cells' height in pixels, 1 to 256 (16 by default), and the em unless "
                   "--em or --fit says otherwise; a bitmap font must have that size"),
        .usage = Usage::Glyphs,
        .requiresAnyOf = Set({Option::Glyphs}),
    },
    {
        .option = Option::Em,
        .name = "em",
        .kind = ValueKind::Text,
        .placeholder = "PX",
        .summary =
            Marked("draw the glyphs of the wide cells at PX pixels to the em, 1 to --size, in "
                   "cells still --size high"),
        .details =
            Marked("The em box's top lies (size - em) / 2 rows below the cell's top, rounded "
                   "down, and the font's baseline rule applies inside it. A bitmap font has only "
                   "its own sizes: PX must be one of them. Where an em differs from --size, the "
                   "header's first comment states both ems, the wide glyphs' first."),
        .usage = Usage::Glyphs,
        .requiresAnyOf = Set({Option::Glyphs}),
    },
    {
        .option = Option::NarrowEm,
        .name = "narrow-em",
        .kind = ValueKind::Text,
        .placeholder = "PX",
        .summary =
            Marked("draw the glyphs of the narrow cells at PX pixels to the em, 1 to --size"),
        .usage = Usage::Glyphs,
        .requiresAnyOf = Set({Option::Glyphs}),
    },
    {
        .option = Option::Fit,
        .name = "fit",
        .summary =
            Marked("pick the largest em, in whole pixels, at which no glyph of the run is larger "
                   "than its cell, for the wide cells and apart from it for the narrow ones, "
                   "where --em and --narrow-em do not give one"),
        .details =
            Marked("The run is the text's characters, or with --whole the charset's. Standard "
                   "error names the glyphs that set each em, to weigh --em and --clip against. "
                   "A bitmap font's em is one of its sizes. Box-drawing characters (U+2500 to "
                   "U+257F) do not count: fonts draw them past the em so that lines join, and "
                   "their cells cut them without a fault. --fit costs about twice a run at "
                   "the ems it picks."),
        .usage = Usage::Glyphs,
        .requiresAnyOf = Set({Option::Glyphs}),
    },
    {
        .option = Option::BitsPerPixel,
        .name = "bpp",
        .kind = ValueKind::Choice,
        .choice = Word(glyphs::kDepthWords, glyphs::Depth::One),
        .summary =
            Marked("1 bit a pixel, each pixel lit or dark, hinted for monochrome displays (the "
                   "default)"),
        .usage = Usage::Glyphs,
        .isDefault = true,
        .requiresAnyOf = Set({Option::Glyphs}),
    },
    {
        .option = Option::BitsPerPixel,
        .name = "bpp",
        .kind = ValueKind::Choice,
        .choice = Word(glyphs::kDepthWords, glyphs::Depth::Two),
        .summary = Marked("2 bits a pixel: 4 grey levels, 4 pixels a byte"),
        .usage = Usage::Glyphs,
    },
    {
        .option = Option::BitsPerPixel,
        .name = "bpp",
        .kind = ValueKind::Choice,
        .choice = Word(glyphs::kDepthWords, glyphs::Depth::Four),
        .summary =
            Marked("4 bits a pixel: 16 grey levels, 2 pixels a byte, as colour TFT and grey OLED "
                   "displays blend them"),
        .usage = Usage::Glyphs,
    },
    {
        .option = Option::BitsPerPixel,
        .name = "bpp",
        .kind = ValueKind::Choice,
        .choice = Word(glyphs::kDepthWords, glyphs::Depth::Eight),
        .summary = Marked("8 bits a pixel: 256 grey levels, a pixel a byte"),
        .details =
            Marked("Grey levels are FreeType's anti-aliased coverage scaled to the levels and "
                   "rounded to the nearest: 0 is dark, the top level fully lit (--invert swaps "
                   "them). A byte holds 8 / bpp pixels, the first in its high bits with "
                   "--bit-order msb and in its low bits with lsb; each row (--scan rows) or "
                   "column (--scan columns) starts on a byte. --scan pages and tiles hold 1 bit "
                   "a pixel only. The comment before each bitmap draws its levels with "
                   "\" .,:-=+*#%@\", dark to fully lit, and --preview shows them in grey."),
        .usage = Usage::Glyphs,
    },
    {
        .option = Option::Baseline,
        .name = "baseline",
        .kind = ValueKind::Text,
        .placeholder = "PX",
        .summary =
            Marked("the baseline PX rows below the cell's top, 0 to --size, instead of where the "
                   "font's own rule puts it"),
        .details = Marked(
            "By default the cell is placed so that the font's ideographs fill it as they fill "
            "the em: where the font states its ideographic em box (a BASE table, as Noto Sans "
            "CJK has) on that box, else on the extent of the font's own ideographs, else, in a "
            "font without ideographs, on its ascender and descender. The baseline lies a whole "
            "number of rows below the cell's top, the same for every glyph; the header's first "
            "comment says where and by which rule."),
        .usage = Usage::Glyphs,
        .requiresAnyOf = Set({Option::Glyphs}),
    },
    {
        .option = Option::Clip,
        .name = "clip",
        .summary =
            Marked("accept glyphs larger than their cells, cut at the cell's edges, and say on "
                   "standard error how many glyphs lost how many pixels, naming the first ten"),
        .details =
            Marked("A face's glyphs share one place in the cell: one baseline and one pen "
                   "position. A glyph whose ink would fall partly outside the cell there, but "
                   "which is no larger than the cell, moves by the fewest whole pixels that "
                   "bring all its ink inside: it is never scaled or cut, its comment in the header "
                   "says so and one line on standard error counts the glyphs moved. Only a glyph "
                   "larger than its cell is an error at its place in the text, as a missing "
                   "glyph is: a descender or an accent cut off can change what a character "
                   "reads as. The message says by how much, and the ways out: --fit or --em, "
                   "--narrow-font for a narrow glyph, or --clip."),
        .usage = Usage::Glyphs,
        .requiresAnyOf = Set({Option::Glyphs}),
    },
    {
        .option = Option::Scan,
        .name = "scan",
        .kind = ValueKind::Choice,
        .choice = Word(glyphs::kScanWords, glyphs::Scan::Rows),
        .summary =
            Marked("a glyph's bytes in the order that the display controller reads them: each "
                   "row from the top, in it bytes of 8 pixels from the left (the default)"),
        .details =
            Marked("In every order, a row or column that does not fill its last byte is padded "
                   "with dark pixels."),
        .usage = Usage::Glyphs,
        .isDefault = true,
        .requiresAnyOf = Set({Option::Glyphs}),
    },
    {
        .option = Option::Scan,
        .name = "scan",
        .kind = ValueKind::Choice,
        .choice = Word(glyphs::kScanWords, glyphs::Scan::Columns),
        .summary = Marked("each column from the left, in it bytes of 8 pixels from the top"),
        .usage = Usage::Glyphs,
    },
    {
        .option = Option::Scan,
        .name = "scan",
        .kind = ValueKind::Choice,
        .choice = Word(glyphs::kScanWords, glyphs::Scan::Pages),
        .summary =
            Marked("each band of 8 rows from the top, in it one byte a column from the left, as "
                   "the page memory of ST7565 and SSD1306 controllers holds it"),
        .usage = Usage::Glyphs,
    },
    {
        .option = Option::Scan,
        .name = "scan",
        .kind = ValueKind::Choice,
        .choice = Word(glyphs::kScanWords, glyphs::Scan::Tiles),
        .summary =
            Marked("each band of 8 columns from the left, in it one byte a row from the top"),
        .usage = Usage::Glyphs,
    },
    {
        .option = Option::BitOrder,
        .name = "bit-order",
        .kind = ValueKind::Choice,
        .choice = Word(glyphs::kBitOrderWords, glyphs::BitOrder::MsbFirst),
        .summary =
            Marked("the first pixel of a byte (the leftmost, or in columns and pages the topmost) "
                   "is its high bit (the default)"),
        .usage = Usage::Glyphs,
        .isDefault = true,
        .requiresAnyOf = Set({Option::Glyphs}),
    },
    {
        .option = Option::BitOrder,
        .name = "bit-order",
        .kind = ValueKind::Choice,
        .choice = Word(glyphs::kBitOrderWords, glyphs::BitOrder::LsbFirst),
        .summary = Marked("the first pixel of a byte is its low bit"),
        .usage = Usage::Glyphs,
    },
    {
        .option = Option::Invert,
        .name = "invert",
        .summary = Marked("lit pixels are 0 bits and dark ones 1, the padding included"),
        .usage = Usage::Glyphs,
        .requiresAnyOf = Set({Option::Glyphs}),
    },
    {
        .option = Option::Whole,
        .name = "whole",
        .kind = ValueKind::Choice,
        .choice = Word(kCharsetWords, Charset::Gb2312),
        .summary =
            Marked("read no input and draw a whole font image instead: a glyph for every code of "
                   "GB 2312's 94 zones x 94 positions, the cell of zone Q and position W at "
                   "((Q - 1) x 94 + (W - 1)) x NAME_wide_bytes, then the 95 narrow cells of 20 "
                   "to 7E"),
        .details = Marked(
            "Each cell holds the character that GB 2312 assigns there (as --charset gb2312 reads "
            "it). With --image the glyphs go to FILE and the header holds no bitmaps, only what "
            "firmware needs to find them: NAME_height, NAME_wide_width, NAME_narrow_width, "
            "NAME_wide_bytes, NAME_narrow_bytes, NAME_wide_offset, NAME_narrow_offset and "
            "NAME_image_size as macros, and long NAME_offset(const unsigned char *s), the offset "
            "in the image of the glyph of the character that starts at s (two bytes from a lead "
            "byte, else one), or -1 where s starts no code of the set. Without --image the header "
            "holds the image as NAME_image[] too, or, with --source, declares it for FILE.c to "
            "define once.\n\n"
            "A code that reads no character, or whose character the font has no glyph for or "
            "only a blank one, keeps its cell, all dark (with --invert all lit); standard error "
            "counts them, a line for each reason, and the run succeeds. A glyph that would lose "
            "lit pixels outside its cell is an error, unless --clip accepts the cut."),
        .usage = Usage::Glyphs,
        .conflicts = Set({Option::Table, Option::Charset, Option::From, Option::Lossy}),
        .requiresAnyOf = Set({Option::Glyphs}),
    },
    {
        .option = Option::Whole,
        .name = "whole",
        .kind = ValueKind::Choice,
        .choice = Word(kCharsetWords, Charset::Gbk),
        .summary =
            Marked("the same for GBK: 126 lead bytes 81 to FE x 190 trail bytes 40 to FE without "
                   "7F, the cell of lead L and trail T at ((L - 0x81) x 190 + (T - 0x40 - (T > "
                   "0x7F))) x NAME_wide_bytes, each the character that code page 936 reads there"),
        .usage = Usage::Glyphs,
    },
    {
        .option = Option::Image,
        .name = "image",
        .kind = ValueKind::Text,
        .placeholder = "FILE",
        .summary =
            Marked("the glyphs' bytes into FILE, raw, as firmware reads them from external flash, "
                   "instead of the header's arrays"),
        .details = Marked(
            "FILE is written as the glyphs are drawn, and put in place with the header and the "
            "picture, only when the whole run succeeds. With --whole, FILE is the whole font "
            "image. Without it, FILE holds the text's glyphs in the header's order, wide then "
            "narrow, and the header keeps the sorted codes with NAME_wide_bytes, "
            "NAME_narrow_bytes, NAME_wide_offset, NAME_narrow_offset and NAME_image_size: the "
            "glyph of index i of a table lies at its offset + i x its bytes."),
        .usage = Usage::Glyphs,
        .requiresAnyOf = Set({Option::Glyphs}),
    },
    {
        .option = Option::Preview,
        .name = "preview",
        .kind = ValueKind::Text,
        .placeholder = "FILE",
        .summary =
            Marked("also a PNG picture of the glyphs of --glyphs, enlarged 4 times on a grid in "
                   "table order, wide then narrow: what the display will show"),
        .details =
            Marked("With --whole or --image, the picture shows every cell of the image at 1:1 "
                   "on a thin grid, a row of cells for each zone or lead byte and one for the "
                   "narrow cells at the end, written as it is drawn; scroll it to check a whole "
                   "font.\n\n"
                   "FILE is written only when the whole run succeeds: the picture goes to a new "
                   "file in FILE's folder, renamed over FILE at the end, and after a failure "
                   "FILE is as it was. A picture is no text for a terminal or a pipe: FILE - is "
                   "refused."),
        .usage = Usage::Glyphs,
        .requiresAnyOf = Set({Option::Glyphs}),
    },
    {
        .option = Option::Help,
        .name = "help",
        .shortName = 'h',
        .summary = Marked("show this help and exit"),
        .usage = Usage::Alone,
    },
    {
        .option = Option::Version,
        .name = "version",
        .summary = Marked("show the version and exit"),
        .usage = Usage::Alone,
    },
};

std::string Lowered(std::string_view text) {
  std::string lowered(text);
  std::transform(lowered.begin(), lowered.end(), lowered.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  return lowered;
}

// "a", "a or b", "a, b or c": the words, the last two joined by `lastJoin`
// ("%s or %s" in the user's language, by default).
std::string Listed(const std::vector<std::string>& words, std::string_view lastJoin = {}) {
  std::string text;
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (i == 0) {
      text = words[i];
    } else if (i + 1 < words.size()) {
      // TRANSLATORS: joins the items of a list but for the last two.
      text = Fill(Tr("%s, %s"), {text, words[i]});
    } else {
      text = Fill(lastJoin.empty() ? Tr("%s or %s") : lastJoin, {text, words[i]});
    }
  }
  return text;
}

// The rows that a command line is read by.
class Table {
 public:
  explicit Table(std::span<const OptionRow> rows) noexcept : rows_(rows) {}

  std::string Name(Option option) const {
    for (const OptionRow& row : rows_) {
      if (row.option == option) return "--" + std::string(row.name);
    }
    return {};
  }

  // "--a or --b".
  std::string Names(const OptionSet& options, std::string_view lastJoin = {}) const {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < kOptionCount; ++i) {
      if (options.test(i)) names.push_back(Name(static_cast<Option>(i)));
    }
    return Listed(names, lastJoin);
  }

  const OptionRow* FindLong(std::string_view name) const {
    for (const OptionRow& row : rows_) {
      if (row.name == name) return &row;
    }
    return nullptr;
  }

  const OptionRow* FindShort(char letter) const {
    for (const OptionRow& row : rows_) {
      if (row.shortName != 0 && row.shortName == letter) return &row;
    }
    return nullptr;
  }

  // The row of `row`'s option whose choice `value` is, in any case.
  const OptionRow& Chosen(const OptionRow& row, std::string_view value) const {
    const std::string lowered = Lowered(value);
    std::vector<std::string> choices;
    for (const OptionRow& choice : rows_) {
      if (choice.option != row.option) continue;
      if (ValueText(choice) == lowered) return choice;
      choices.emplace_back(ValueText(choice));
    }
    throw UsageError(
        Fill(Tr("unknown value '%s' for %s (%s)"), {value, Name(row.option), Listed(choices)}));
  }

  void Record(ParsedArguments& parsed, const OptionRow& row, std::string value) const {
    std::optional<std::string>& slot = parsed.values[static_cast<std::size_t>(row.option)];
    if (row.repeatable) {
      parsed.repeated[static_cast<std::size_t>(row.option)].push_back(value);
      slot = std::move(value);
      return;
    }
    if (slot && *slot != value) {
      throw UsageError(
          Fill(Tr("%s is given twice, as '%s' and as '%s'"), {Name(row.option), *slot, value}));
    }
    slot = std::move(value);
  }

  // Gives each option that takes a choice and was not given its default row's.
  void ChooseDefaults(ParsedArguments& parsed) const {
    for (const OptionRow& row : rows_) {
      const auto option = static_cast<std::size_t>(row.option);
      if (row.isDefault && !parsed.values[option]) parsed.choices[option] = row.choice;
    }
  }

  void CheckRules(const ParsedArguments& parsed) const {
    OptionSet given;
    for (std::size_t i = 0; i < kOptionCount; ++i) given.set(i, parsed.values[i].has_value());
    for (std::size_t i = 0; i < kOptionCount; ++i) {
      if (!given.test(i)) continue;
      OptionSet conflicts;
      OptionSet needs;
      for (const OptionRow& row : rows_) {
        if (static_cast<std::size_t>(row.option) != i) continue;
        conflicts |= row.conflicts;
        needs |= row.requiresAnyOf;
      }
      const Option option = static_cast<Option>(i);
      if ((conflicts & given).any()) {
        throw UsageError(
            Fill(Tr("%s cannot be combined with %s"), {Name(option), Names(conflicts & given)}));
      }
      if (needs.any() && (needs & given).none()) {
        throw UsageError(Fill(Tr("%s goes only with %s"), {Name(option), Names(needs)}));
      }
    }
  }

 private:
  std::span<const OptionRow> rows_;
};

}  // namespace

std::span<const OptionRow> OptionRows() noexcept { return kOptionRows; }

std::string_view ValueText(const OptionRow& row) noexcept {
  if (row.kind != ValueKind::Choice) return row.placeholder;
  return std::visit(
      [](const auto& choice) -> std::string_view {
        if constexpr (std::is_same_v<std::decay_t<decltype(choice)>, std::monostate>) {
          return {};
        } else {
          return choice.word;
        }
      },
      row.choice);
}

std::string OptionName(Option option) { return Table(OptionRows()).Name(option); }

std::string OptionNames(const OptionSet& options, std::string_view lastJoin) {
  return Table(OptionRows()).Names(options, lastJoin);
}

ParsedArguments ParseOptions(std::span<const std::string_view> args,
                             std::span<const OptionRow> rows) {
  const Table table(rows);
  ParsedArguments parsed;
  bool optionsEnded = false;
  for (std::size_t next = 0; next < args.size();) {
    const std::string_view arg = args[next++];
    if (optionsEnded || arg == "-" || !arg.starts_with('-')) {
      parsed.operands.emplace_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    const OptionRow* row = nullptr;
    std::optional<std::string_view> attached;
    const bool isLong = arg.starts_with("--");
    if (isLong) {
      const std::size_t equals = arg.find('=');
      row = table.FindLong(arg.substr(2, equals == std::string_view::npos ? equals : equals - 2));
      if (equals != std::string_view::npos) attached = arg.substr(equals + 1);
    } else {
      row = table.FindShort(arg[1]);
      if (arg.size() > 2) attached = arg.substr(2);
    }
    // "-hx" is no switch with a value: switches are not run together.
    if (row == nullptr || (row->kind == ValueKind::None && attached && !isLong)) {
      throw UsageError(Fill(Tr("unknown option '%s'"), {arg}));
    }
    if (row->kind == ValueKind::None) {
      if (attached) {
        throw UsageError(Fill(Tr("option %s takes no value"), {table.Name(row->option)}));
      }
      table.Record(parsed, *row, "");
      continue;
    }
    if (!attached) {
      if (next == args.size()) {
        throw UsageError(Fill(Tr("option %s needs a value"), {table.Name(row->option)}));
      }
      attached = args[next++];
    }
    if (row->kind == ValueKind::Text) {
      table.Record(parsed, *row, std::string(*attached));
      continue;
    }
    const OptionRow& chosen = table.Chosen(*row, *attached);
    table.Record(parsed, *row, std::string(ValueText(chosen)));
    parsed.choices[static_cast<std::size_t>(row->option)] = chosen.choice;
  }
  table.CheckRules(parsed);
  table.ChooseDefaults(parsed);
  return parsed;
}

}  // namespace gbkhex::cli
