// The custom information block: pairs end to end, whole entries over every byte.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "CustomInfoBuffer.h"

namespace {

std::u16string Units(const CustomInfoBuffer& buffer, size_t entries) {
  std::u16string units(entries * CustomInfoBuffer::kBlockBytes / 2, u'\0');
  std::memcpy(units.data(), buffer.Storage(), units.size() * 2);
  return units;
}

TEST(CustomInfoBufferTest, RefusesMissingTextAndStaysEmpty) {
  CustomInfoBuffer buffer;
  EXPECT_FALSE(buffer.AddPair(nullptr, L"v"));
  EXPECT_FALSE(buffer.AddPair(L"n", nullptr));
  EXPECT_FALSE(buffer.AddPair(L"", L"v"));
  EXPECT_FALSE(buffer.AddPair(L"n", L""));
  EXPECT_EQ(buffer.Storage(), nullptr);
  EXPECT_EQ(buffer.Used(), 0u);
}

TEST(CustomInfoBufferTest, LongBlockIsCoveredWhole) {
  CustomInfoBuffer buffer;
  const std::wstring longValue(300, L'x');
  ASSERT_TRUE(buffer.AddPair(L"ProductName", L"Dorv"));
  EXPECT_EQ(buffer.Used(), 17u);
  EXPECT_EQ(buffer.CapacityBlocks(), 2u);  // (2 * 17 + 2) / 256 + 2
  EXPECT_EQ(buffer.EntryCount(), 1u);
  ASSERT_TRUE(buffer.AddPair(L"Version", longValue.c_str()));
  ASSERT_TRUE(buffer.AddPair(L"BuildID", L"\U0001F600"));  // a surrogate pair in UTF-16
  const size_t used = 17 + 8 + 301 + 8 + 3;
  EXPECT_EQ(buffer.Used(), used);
  // Every used byte and at least one zero lie within the entries, and the
  // entries lie within the storage.
  const size_t entries = buffer.EntryCount();
  EXPECT_EQ(entries, (2 * used + 256) / 256);
  EXPECT_GE(entries * 256, 2 * used + 2);
  EXPECT_LE(entries, buffer.CapacityBlocks());
  const std::u16string units = Units(buffer, entries);
  const std::u16string expected = std::u16string(u"ProductName\0Dorv\0Version\0", 25) + std::u16string(300, u'x') +
                                  std::u16string(u"\0BuildID\0\xD83D\xDE00\0", 12);
  EXPECT_EQ(units.substr(0, used), expected);
  EXPECT_EQ(units.find_first_not_of(u'\0', used), std::u16string::npos);
}

}  // namespace
