// Component layer basics: result codes, GUID text forms, BSTR allocation
// and UTF-16 conversion.
#include <gtest/gtest.h>

#include "platform/ComLiteBstr.h"
#include "platform/ComLiteTypes.h"

namespace quillon::com {
namespace {

TEST(ComLiteResults, KeepTheirWindowsValues) {
  EXPECT_EQ(static_cast<uint32_t>(E_FAIL), 0x80004005u);
  EXPECT_EQ(static_cast<uint32_t>(E_INVALIDARG), 0x80070057u);
  EXPECT_EQ(static_cast<uint32_t>(E_UNEXPECTED), 0x8000FFFFu);
  EXPECT_EQ(static_cast<uint32_t>(STG_E_FILENOTFOUND), 0x80030002u);
  EXPECT_EQ(static_cast<uint32_t>(STG_E_ACCESSDENIED), 0x80030005u);
  EXPECT_EQ(static_cast<uint32_t>(REGDB_E_CLASSNOTREG), 0x80040154u);
  EXPECT_TRUE(SUCCEEDED(S_FALSE));
  EXPECT_TRUE(FAILED(E_NOTIMPL));
}

TEST(ComLiteGuid, ParsesAndFormatsTheRegistryForm) {
  constexpr GUID g = MakeGuid("{904DB696-7439-4F8F-950B-C5AF7E0770D3}");
  static_assert(g.Data1 == 0x904DB696u && g.Data2 == 0x7439 && g.Data3 == 0x4F8F);
  EXPECT_EQ(g.Data4[0], 0x95);
  EXPECT_EQ(g.Data4[7], 0xD3);
  EXPECT_EQ(GuidToString(g), "{904DB696-7439-4F8F-950B-C5AF7E0770D3}");
  EXPECT_EQ(GuidFromString("904db696-7439-4f8f-950b-c5af7e0770d3"), g);
  EXPECT_FALSE(GuidFromString("{904DB696-7439-4F8F-950B-C5AF7E0770D}"));
  EXPECT_FALSE(GuidFromString("{904DB696x7439-4F8F-950B-C5AF7E0770D3}"));
  EXPECT_FALSE(GuidFromString("{904DB696-7439-4F8F-950B-C5AF7E0770DG}"));
  EXPECT_FALSE(GuidFromString(""));
}

TEST(ComLiteBstr, LengthPrefixedAndNullIsEmpty) {
  BSTR s = SysAllocString(u"abc");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(SysStringLen(s), 3u);
  EXPECT_EQ(SysStringByteLen(s), 6u);
  EXPECT_EQ(s[3], u'\0');
  SysFreeString(s);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  SysFreeString(nullptr);
  // Embedded zeros count.
  const char16_t withZero[] = {u'a', u'\0', u'b'};
  BSTR z = SysAllocStringLen(withZero, 3);
  EXPECT_EQ(SysStringLen(z), 3u);
  EXPECT_EQ(Utf16FromBstr(z), std::u16string(withZero, 3));
  SysFreeString(z);
}

TEST(ComLiteBstr, Utf8RoundTripAndMalformedInput) {
  const std::string text = "Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x93\xBA";  // é € and a 4-byte character
  ComBstr b(text);
  EXPECT_EQ(b.Length(), 9u);  // the last character is a surrogate pair
  EXPECT_EQ(b.Utf8(), text);
  EXPECT_EQ(Utf16FromUtf8("\xFF" "a"), u"\xFFFD" u"a");
  EXPECT_EQ(Utf16FromUtf8("\xE2\x82"), u"\xFFFD\xFFFD");  // cut sequence
  EXPECT_EQ(Utf16FromUtf8("\xC0\xAF"), u"\xFFFD\xFFFD");  // overlong
  EXPECT_EQ(Utf8FromUtf16(u"\xD800x"), "\xEF\xBF\xBDx");   // lone surrogate
}

}  // namespace
}  // namespace quillon::com
