#include "emit/dump_decoder.h"

#include <gtest/gtest.h>

#include <string>

namespace gbkhex {
namespace {

TEST(DecodeDump, FormsOfDumpAndTheirFaults) {
  struct Case {
    std::string dump;
    std::string text;
    std::string fault;
  };
  const std::string bom = "\xEF\xBB\xBF";
  const Case cases[] = {
      {"CA AE C1 F9", "十六", ""},
      {"caaec1f9\n0d0a80ff", "十六\r\n\xE2\x82\xAC\xEF\xA3\xB5", ""},
      {"0XCA,0XAE,0X41,\r\n", "十A", ""},
      {"  0xca, 0xae, 0x41", "十A", ""},
      {"/* 十 */ unsigned char t_txt[4] = { // CA\n  0xca, 0xae, 202, 0256 /* } */ };\n"
       "unsigned int t_txt_len = 4; /* { */",
       "十十", ""},
      {"const unsigned char a[] = {\r\n0X41u,\r\n};", "A", ""},
      // A header of --source declares within a block of C linkage, and its
      // source defines.
      {"#ifdef __cplusplus\r\nextern \"C\" {\r\n#endif\r\nextern const unsigned char a[1];\r\n"
       "#ifdef __cplusplus\r\n}\r\n#endif\r\n#define a_len 1u\r\n"
       "#include \"a.h\"\r\nconst unsigned char a[] = {\r\n0X41,\r\n};",
       "A", ""},
      {"extern\"C\"{ #include \"x{\" const unsigned char a[] = {0X41,}; }", "A", ""},
      {"", "", ""},
      {"41 4G", "A", "malformed number '4G' at byte offset 3"},
      {"41 }", "A", "malformed number '}' at byte offset 3"},
      {"41 414", "A", "malformed number '414' (an odd number of digits) at byte offset 3"},
      {"0X41,0X141,", "A", "malformed number '0X141' at byte offset 5"},
      {"x[] = { 0x41, 'B' };", "A", "malformed number ''B'' at byte offset 14"},
      {"x[] = { 0x41, 256 };", "A", "malformed number '256' at byte offset 14"},
      {"41 81 20 41", "A", "the bytes 81 20 are no character of code page 936 at byte offset 3"},
      {"41 CA", "A", "the dump ends inside a character, after the lead byte CA at byte offset 3"},
      // A byte-order mark an editor put before any form of dump is skipped.
      {bom + "CA AE", "十", ""},
      {bom + "0XCA,0XAE,", "十", ""},
      {bom + "x[] = { 0xca, 0xae };", "十", ""},
      {bom + "\"\\xCA\\xAE\"", "十", ""},
      {bom + "41 4G", "A", "malformed number '4G' at byte offset 6"},
  };
  for (const Case& c : cases) {
    const DecodedDump decoded = DecodeDump(c.dump);
    EXPECT_EQ(decoded.text, c.text) << c.dump;
    ASSERT_EQ(decoded.fault.has_value(), !c.fault.empty()) << c.dump;
    if (decoded.fault) {
      ASSERT_TRUE(decoded.fault->byteOffset.has_value());
      EXPECT_EQ(
          decoded.fault->what + " at byte offset " + std::to_string(*decoded.fault->byteOffset),
          c.fault);
    }
  }
}

}  // namespace
}  // namespace gbkhex
