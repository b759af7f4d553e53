#include "i18n/messages.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "i18n/language.h"

namespace gbkhex::i18n {
namespace {

TEST(Fill, PlaceholdersInOrderByNumberAndEscaped) {
  struct Case {
    std::string_view pattern;
    std::vector<std::string_view> arguments;
    std::string_view filled;
  };
  const Case cases[] = {
      {"%s and %s", {"a", "b"}, "a and b"},
      {"%2$s before %1$s, %2$s again", {"a", "b"}, "b before a, b again"},
      {"100%% of %s", {"it"}, "100% of it"},
      {"%s, then %s", {"one"}, "one, then %s"},  // a missing argument stays visible
      {"%d %s %", {"x"}, "%d x %"},              // only %s is a placeholder
      {"%0$s %3$s", {"a", "b"}, "%0$s %3$s"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Fill(c.pattern, c.arguments), c.filled) << c.pattern;
  }
}

// zh_CN.ORDER.mo in the folder that the build names.
std::optional<Catalog> ReadCatalog(const std::string& order) {
  const char* folder = std::getenv("GBKHEX_TEST_CATALOGS");
  if (folder == nullptr) return std::nullopt;
  std::ifstream in(std::string(folder) + "/zh_CN." + order + ".mo", std::ios::binary);
  return Catalog::FromMo(
      std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
}

// msgfmt writes either byte order; both read alike, and English stands where
// the catalog has no entry.
TEST(Catalog, ReadsBothByteOrdersAndFallsBackToEnglish) {
  for (const char* order : {"little", "big"}) {
    std::optional<Catalog> catalog = ReadCatalog(order);
    ASSERT_TRUE(catalog.has_value()) << order;
    EXPECT_EQ(catalog->Find("unknown option '%s'"), "未知选项 '%s'") << order;
    EXPECT_EQ(catalog->FindPlural("%s pixel", 7), "%s 个像素") << order;
    EXPECT_FALSE(catalog->Find("no such message").has_value()) << order;
    UseCatalog(std::move(catalog));
    EXPECT_EQ(Tr("%s, %s"), "%s、%s");
    EXPECT_EQ(Tr("no such message"), "no such message");
    EXPECT_EQ(TrN("no such glyph", "no such glyphs", 2), "no such glyphs");
  }
  UseCatalog(std::nullopt);
  EXPECT_EQ(TrN("%s pixel", "%s pixels", 1), "%s pixel");
  EXPECT_EQ(TrN("%s pixel", "%s pixels", 0), "%s pixels");
  EXPECT_FALSE(Catalog::FromMo("not a catalog at all, but long enough").has_value());
}

// A browser's tags: the script decides before the region, and only Hans, CN
// and SG (or a bare zh) are Simplified.
TEST(LanguageOfTag, SimplifiedChineseByScriptThenRegion) {
  for (const char* tag :
       {"zh", "zh-CN", "ZH-cn", "zh_SG", "zh-Hans", "zh-Hans-HK", "zh-cmn-Hans"}) {
    EXPECT_EQ(LanguageOfTag(tag), Language::SimplifiedChinese) << tag;
  }
  for (const char* tag :
       {"", "en-US", "zh-TW", "zh-HK", "zh-MO", "zh-Hant", "zh-Hant-CN", "zhx", "de-CN"}) {
    EXPECT_EQ(LanguageOfTag(tag), Language::English) << tag;
  }
}

}  // namespace
}  // namespace gbkhex::i18n
