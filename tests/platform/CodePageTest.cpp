#include "platform/CodePage.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/Text.h"

namespace hw::platform {
namespace {

std::string Utf8(char32_t c) {
  std::string out;
  appendUtf8(out, c);
  return out;
}

TEST(CodePageTest, Windows1252MapsItsUpperHalfAsWindowsDoes) {
  const SingleByteCodePage& page = Windows1252();
  EXPECT_EQ(page.Id(), 1252u);
  EXPECT_EQ(page.ToUnicode(0x80), U'\u20AC');  // euro sign
  EXPECT_EQ(page.ToUnicode(0x84), U'\u201E');  // German opening quote
  EXPECT_EQ(page.ToUnicode(0x93), U'\u201C');
  EXPECT_EQ(page.ToUnicode(0x9F), U'\u0178');
  EXPECT_EQ(page.ToUnicode(0xA0), U'\u00A0');
  EXPECT_EQ(page.ToUnicode(0xFC), U'\u00FC');
  // The bytes 1252 leaves undefined keep their C1 code point.
  for (unsigned char undefined : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
    EXPECT_EQ(page.ToUnicode(undefined), char32_t{undefined});
  EXPECT_EQ(page.Decode("Gr\xFC\xDF"
                        "e \x80"),
            "Grüße €");
}

TEST(CodePageTest, EveryByteSurvivesDecodeAndEncode) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const SingleByteCodePage& page = Windows1252();
  std::string text = page.Decode(all);
  bool lossless = false;
  EXPECT_EQ(page.Encode(text, &lossless), all);
  EXPECT_TRUE(lossless);
  // Each byte decodes to a distinct character: nothing is folded together.
  for (int b = 0x80; b < 256; ++b) {
    unsigned char back = 0;
    ASSERT_TRUE(page.FromUnicode(page.ToUnicode(static_cast<unsigned char>(b)), back)) << b;
    EXPECT_EQ(back, b);
  }
}

TEST(CodePageTest, CharactersOutsideThePageBecomeQuestionMarks) {
  const SingleByteCodePage& page = Windows1252();
  bool lossless = true;
  EXPECT_EQ(page.Encode("a" + Utf8(U'\u03A9') + Utf8(U'\U0001F600') + "b", &lossless), "a??b");
  EXPECT_FALSE(lossless);
  // Malformed UTF-8 is not passed through as raw bytes.
  EXPECT_EQ(page.Encode("x\xC3", &lossless), "x?");
  EXPECT_FALSE(lossless);
  EXPECT_EQ(page.Encode("Stra" + Utf8(U'\u00DF') + "e", &lossless),
            "Stra\xDF"
            "e");
  EXPECT_TRUE(lossless);
}

TEST(CodePageTest, PagesAreFoundByNumber) {
  EXPECT_EQ(FindCodePage(1252), &Windows1252());
  EXPECT_EQ(FindCodePage(65001), nullptr);
}

}  // namespace
}  // namespace hw::platform
