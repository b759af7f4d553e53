// Writes what the compiler oracles of the string-table pieces compile: the
// refused names, and files of literals and headers with the bytes they must
// hold. The scripts beside it compile those and compare.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/c_names.h"
#include "cli/character_list.h"
#include "cli/header_writer.h"
#include "cli/string_literal.h"
#include "cli/utf8.h"
#include "literal_samples.h"

namespace gbkhex::cli {
namespace {

// names: "HEADER<TAB>NAME" for every name refused for a standard header;
// names --check NAME...: "NAME ok" or "NAME refused: REASON" for each.
int Names(const std::vector<std::string_view>& args) {
  if (!args.empty() && args.front() == "--check") {
    for (std::size_t i = 1; i < args.size(); ++i) {
      const std::string problem = ArrayNameProblem(args[i]);
      std::cout << args[i] << (problem.empty() ? " ok" : " refused: " + problem) << '\n';
    }
    return 0;
  }
  for (const StandardHeaderNames& names : RefusedStandardHeaderNames()) {
    for (const std::string_view list : {names.macros, names.types, names.functions}) {
      std::size_t start = 0;
      while (start < list.size()) {
        const std::size_t end = std::min(list.find(' ', start), list.size());
        std::cout << names.header << '\t' << list.substr(start, end - start) << '\n';
        start = end + 1;
      }
    }
  }
  return 0;
}

bool WriteFile(const std::string& path, std::string_view bytes) {
  std::ofstream file(path, std::ios::binary);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file.flush());
}

// literal DIR: DIR/literal.c, a program that prints the bytes of one literal
// made of every code, and DIR/want.bin, those bytes.
int Literal(const std::string& dir) {
  const std::string bytes = LiteralTestBytes();
  std::string source =
      "#include <stdio.h>\r\n"
      "static const char text[] =\r\n";
  StringLiteralWriter writer(1);
  writer.Append(bytes, source);
  writer.Finish(source);
  source +=
      ";\r\n"
      "int main(void) {\r\n"
      "  return fwrite(text, 1, sizeof text - 1, stdout) == sizeof text - 1 ? 0 : 1;\r\n"
      "}\r\n";
  return WriteFile(dir + "/literal.c", source) && WriteFile(dir + "/want.bin", bytes) ? 0 : 1;
}

std::string CodePage936(std::string_view utf8) {
  std::u16string units(utf8.size(), u'\0');
  const Utf8Result decoded =
      DecodeUtf8({reinterpret_cast<const std::uint8_t*>(utf8.data()), utf8.size()}, units.data());
  return CodePage936Bytes(std::u16string_view(units).substr(0, decoded.unitsWritten));
}

// headers DIR: a table header for each style (h_NAME.h) and two --array
// headers, all of whose texts iconv can encode; DIR/entries lists each entry
// as "NAME TERMINATOR" (1 when a 00 byte follows its text), and
// DIR/text/NAME holds its text in UTF-8.
int Headers(const std::string& dir) {
  std::string longText;
  for (int i = 0; i < 100; ++i) longText += "显示";
  const std::vector<std::string> texts = {"主菜单",
                                          "十六进制 0123456789",
                                          "a */ b /* c",
                                          "ends in \\",
                                          "?\?= ?\?/ trigraphs",
                                          "say \"hi\"\tTAB\r\nCRLF",
                                          "€ 5",
                                          "ABCDEFGHIJKLMNOP",
                                          longText + "end",
                                          ""};
  const struct {
    std::string_view name;
    DeclarationStyle style;
    bool nul;
  } tables[] = {
      {"v1", {}, false},
      {"v2",
       {ValueForm::Constants, "const uint8_t", "__attribute__((section(\".rodata.lcd\")))"},
       true},
      {"v3", {ValueForm::Literal, "", ""}, false},
      {"v4", {ValueForm::Literal, "const uint8_t", "__attribute__((aligned(4)))"}, true},
  };
  std::string entries;
  bool written = true;
  for (const auto& table : tables) {
    const TableHeaderWriter writer(table.style, table.nul);
    TableGuard guard;
    guard.Add(table.style.type + " " + table.style.attribute + (table.nul ? " nul\n" : "\n"));
    std::string body;
    for (std::size_t i = 0; i < texts.size(); ++i) {
      const std::string bytes = CodePage936(texts[i]);
      if (!writer.EntryProblem(bytes).empty()) continue;
      const std::string name = std::string(table.name) + "_" + std::to_string(i);
      guard.Add(name + " = " + texts[i] + "\n");
      writer.AppendEntry(body, name, texts[i], bytes);
      const bool terminated = table.nul || table.style.form == ValueForm::Literal;
      entries += name + (terminated ? " 1\n" : " 0\n");
      written = written && WriteFile(dir + "/text/" + name, texts[i]);
    }
    written = written && WriteFile(dir + "/h_" + std::string(table.name) + ".h",
                                   writer.Opening(guard.Name()) + body + writer.Closing());
  }
  const struct {
    std::string_view name;
    DeclarationStyle style;
  } singles[] = {
      {"single_c", {}},
      {"single_s", {ValueForm::Literal, "const uint8_t", "__attribute__((aligned(2)))"}},
  };
  for (const auto& single : singles) {
    const std::string& text = texts[8];
    const std::string bytes = CodePage936(text);
    std::string header = SingleHeaderOpening(single.name, single.style);
    if (single.style.form == ValueForm::Constants) {
      ConstantWriter constants;
      constants.Append(bytes, header);
      header +=
          SingleHeaderClosing(single.name, single.style, bytes.size(), constants.LineIsOpen());
    } else {
      StringLiteralWriter literal(1);
      literal.Append(bytes, header);
      literal.Finish(header);
      header += SingleHeaderClosing(single.name, single.style, bytes.size(), false);
    }
    const std::string name(single.name);
    entries += name + (single.style.form == ValueForm::Literal ? " 1\n" : " 0\n");
    written = written && WriteFile(dir + "/text/" + name, text) &&
              WriteFile(dir + "/h_" + name + ".h", header);
  }
  return written && WriteFile(dir + "/entries", entries) ? 0 : 1;
}

}  // namespace
}  // namespace gbkhex::cli

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  if (!args.empty() && args.front() == "names") {
    return gbkhex::cli::Names({args.begin() + 1, args.end()});
  }
  if (args.size() == 2 && args.front() == "literal") return gbkhex::cli::Literal(argv[2]);
  if (args.size() == 2 && args.front() == "headers") return gbkhex::cli::Headers(argv[2]);
  std::cerr
      << "usage: cli_table_oracle_files names [--check NAME...] | literal DIR | headers DIR\n";
  return 2;
}
