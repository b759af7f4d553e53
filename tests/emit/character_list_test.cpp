#include "emit/character_list.h"

#include <gtest/gtest.h>

#include <string>

namespace gbkhex::cli {
namespace {

TEST(CharacterList, EachCharacterOnceInOrderWithItsCodesAndCount) {
  CharacterList list;
  list.Count(u"十A十\n\t");
  list.Count(u"\U0001F600\u200B€啰 ");
  const std::u16string emoji = u"\U0001F600";
  list.Count(emoji.substr(0, 1));  // a call may end between the halves of a pair
  list.Count(emoji.substr(1) + u"十\u3000");
  EXPECT_EQ(list.DistinctCount(), 10u);

  std::string out;
  list.Write(out, CharacterList::CodePage936Bytes);
  EXPECT_EQ(out,
            "char\tunicode\tutf8\tgbk\tquwei\tcount\n"
            "十\tU+5341\tE5 8D 81\tCA AE\t4214\t3\n"
            "A\tU+0041\t41\t41\t\t1\n"
            "\\n\tU+000A\t0A\t0A\t\t1\n"
            "\\t\tU+0009\t09\t09\t\t1\n"
            "😀\tU+1F600\tF0 9F 98 80\t3F 3F\t\t2\n"
            "\\u200B\tU+200B\tE2 80 8B\t3F\t\t1\n"
            "€\tU+20AC\tE2 82 AC\t80\t\t1\n"
            "啰\tU+5570\tE5 95 B0\t86 AA\t\t1\n"
            " \tU+0020\t20\t20\t\t1\n"
            "\u3000\tU+3000\tE3 80 80\tA1 A1\t0101\t1\n");

  // What the caller's charset makes of a character is what the list shows.
  CharacterList dash;
  dash.Count(u"\u2015");
  out.clear();
  dash.Write(out, [](char32_t) { return std::string("\xA1\xAA"); });
  EXPECT_EQ(out.substr(out.find('\n') + 1), "―\tU+2015\tE2 80 95\tA1 AA\t0110\t1\n");
}

}  // namespace
}  // namespace gbkhex::cli
