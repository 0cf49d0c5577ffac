#include "platform/Text.h"

#include <gtest/gtest.h>

#include <string>

namespace hw::platform {
namespace {

std::string Utf16(std::initializer_list<char16_t> units) {
  std::string bytes;
  for (char16_t u : units) {
    bytes += static_cast<char>(u & 0xFF);
    bytes += static_cast<char>(u >> 8);
  }
  return bytes;
}

TEST(TextTest, Utf16RoundTripsThroughUtf8EvenWhenMalformed) {
  for (const std::string& original :
       {Utf16({'C', ':', 0x00FC, 0x20AC, 0}), Utf16({0xD83D, 0xDE00, 0}),  // a pair
        Utf16({'a', 0xD800, 'b', 0}),                                      // lone high surrogate
        Utf16({0xDC00, 0xD800, 0})}) {
    EXPECT_EQ(utf8ToUtf16(utf16ToUtf8(original)), original);
    EXPECT_EQ(utf8LengthOfUtf16(original), utf16ToUtf8(original).size());
  }
  EXPECT_EQ(utf16ToUtf8(Utf16({0xD83D, 0xDE00})), "\xF0\x9F\x98\x80");
  EXPECT_EQ(utf8ToUtf16("\xFF"), Utf16({0xFFFD})) << "bytes that are no UTF-8 at all";
}

TEST(TextTest, CaseInsensitiveComparisonCoversCommonScripts) {
  EXPECT_TRUE(equalsNoCase("Software", "SOFTWARE"));
  EXPECT_TRUE(equalsNoCase("Ärger", "äRGER"));
  EXPECT_TRUE(equalsNoCase("ПРОГРАММЫ", "программы"));
  EXPECT_TRUE(equalsNoCase("Łódź", "ŁÓDŹ"));
  EXPECT_FALSE(equalsNoCase("Soft", "Software"));
  EXPECT_FALSE(equalsNoCase("a", "b"));
  EXPECT_EQ(hashNoCase("Ärger\\Straße"), hashNoCase("äRGER\\STRAßE"));
  EXPECT_EQ(toLowerUtf8("C:\\PROGRAMME\\ÄPFEL\\ŁÓDŹ"), "c:\\programme\\äpfel\\łódź");
}

TEST(TextTest, CutToCharsNeverSplitsASequence) {
  EXPECT_EQ(cutToChars("äöü", 2), "äö");
  EXPECT_EQ(cutToChars("abc", 10), "abc");
  EXPECT_EQ(cutToChars(std::string(300, 'x'), 255).size(), 255u);
}

}  // namespace
}  // namespace hw::platform
