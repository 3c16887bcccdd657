// MD5 of text and DES against published vectors.
#include <gtest/gtest.h>

#include <string>

#include "common/Des.h"
#include "common/Digest.h"
#include "common/Md5.h"

using Common::CDES;
using Common::MakeDesDecode;
using Common::MakeDesEncode;

namespace {

std::string Bytes(std::initializer_list<unsigned char> b) { return std::string(b.begin(), b.end()); }

}  // namespace

TEST(MakeMD5Value, DigestsWideTextAsUtf16LE) {
  struct Row { const wchar_t* text; unsigned length; const wchar_t* digest; };
  const Row rows[] = {
      {L"abc", 3, L"ce1473cf80c6b3fda8e3dfc006adc315"},        // 61 00 62 00 63 00
      {L"abcdef", 3, L"ce1473cf80c6b3fda8e3dfc006adc315"},     // length counts characters
      {L"a\U0001F600", 2, L"c761c1dc158242c747fcc9fb18556334"},  // a surrogate pair is 4 bytes
      {L"abc", 0, L""},
      {nullptr, 3, L""},
  };
  for (const Row& r : rows) EXPECT_EQ(Common::MakeMD5Value(r.text, r.length), r.digest);
}

TEST(MakeMD5Value, DigestsCStringInTheAnsiCodePage) {
  EXPECT_EQ(Common::MakeMD5Value(CString(L"abc")), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(Common::MakeMD5Value(CString(L"")), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(Common::MakeMD5Value(CString(L"中文")), "a7bac2239fcdcb3a067903d8077c4a07");
}

TEST(Md5Routines, ResultPadsUnlessPaddedAlready) {
  uint8_t once[16], twice[16];
  md5_ctxt a, b;
  md5_init(&a);
  md5_loop(&a, reinterpret_cast<const uint8_t*>("ab"), 2);
  md5_loop(&a, reinterpret_cast<const uint8_t*>("c"), 1);
  md5_result(once, &a);
  md5_init(&b);
  md5_loop(&b, reinterpret_cast<const uint8_t*>("abc"), 3);
  md5_pad(&b);
  md5_result(twice, &b);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(once), 16), std::string(reinterpret_cast<char*>(twice), 16));
  EXPECT_EQ(once[0], 0x90);
  EXPECT_EQ(once[15], 0x72);
}

TEST(CDES, MatchesPublishedVectors) {
  struct Row { std::string key, plain, cipher; };
  const Row rows[] = {
      // FIPS 81, appendix B (ECB).
      {Bytes({0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef}), "Now is the time for all ",
       "3fa40e8a984d48156a271787ab8883f9893d51ec4b563b53"},
      {Bytes({0x13, 0x34, 0x57, 0x79, 0x9b, 0xbc, 0xdf, 0xf1}),
       Bytes({0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef}), "85e813540f0ab405"},
      {Bytes({0x0e, 0x32, 0x92, 0x32, 0xea, 0x6d, 0x0d, 0x73}), std::string(8, '\x87'), "0000000000000000"},
      {"12345678", "abcdefgh", "94d4436bc3b5b693"},  // openssl enc -des-ecb
  };
  for (const Row& r : rows) {
    EXPECT_EQ(MakeDesEncode(r.plain, r.key), r.cipher);
    CDES des;
    des.InitializeKey(r.key);
    des.DecryptAnyLength(r.cipher);
    EXPECT_EQ(des.PlaintextAnyLength(), r.plain);
  }
}

TEST(CDES, AnyLengthPadsWithZeroBytesAndRoundTrips) {
  const std::string key = "k3y!";
  for (size_t n : {0u, 1u, 8u, 9u, 4088u, 4089u, 20000u}) {
    std::string data;
    for (size_t i = 0; i < n; ++i) data += static_cast<char>('A' + i % 50);
    std::string hex = MakeDesEncode(data, key);
    EXPECT_EQ(hex.size(), 16 * (n == 0 ? 1 : (n + 7) / 8)) << n;
    EXPECT_EQ(hex.find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_EQ(MakeDesDecode(hex, key), data) << n;
  }
  // The empty text is one block of eight zero bytes.
  EXPECT_EQ(MakeDesEncode("", key), MakeDesEncode(std::string(8, '\0'), key));
  EXPECT_EQ(MakeDesEncode("abc", key), MakeDesEncode(std::string("abc\0\0\0\0\0", 8), key));
}

TEST(CDES, KeyIsItsFirstEightBytesPaddedWithZeros) {
  EXPECT_EQ(MakeDesEncode("data", "abc"), MakeDesEncode("data", std::string("abc\0\0\0\0\0", 8)));
  EXPECT_EQ(MakeDesEncode("data", "abcdefghijkl"), MakeDesEncode("data", "abcdefgh"));
  // (the lowest bit of each key byte is a parity bit that DES ignores)
  EXPECT_NE(MakeDesEncode("data", "abcdefgh"), MakeDesEncode("data", "abcdefgj"));
}

TEST(CDES, DecryptRefusesBadDigitTexts) {
  const std::string wrong = CDES::kWrongLengthMessage;
  EXPECT_EQ(wrong, "\xb4\xfd\xbd\xe2\xc3\xdc\xd7\xd6\xb7\xfb\xb3\xa4\xb6\xc8\xb1\xd8\xd0\xeb\xce\xaa"
                   "16\xb5\xc4\xb1\xb6\xca\xfd\xa3\xa1");
  for (const char* hex : {"", "0123456789abcde", "0123456789abcdef0"}) EXPECT_EQ(MakeDesDecode(hex, "k"), wrong) << hex;
  // Upper-case digits decrypt like lower-case ones; other characters give nothing.
  const std::string cipher = MakeDesEncode("Upper", "k");
  std::string upper = cipher;
  for (char& c : upper) c = static_cast<char>(toupper(c));
  EXPECT_EQ(MakeDesDecode(upper, "k"), "Upper");
  EXPECT_EQ(MakeDesDecode("0123456789abcdeg", "k"), "");
  CDES des;
  des.DecryptData("zz23456789abcdef");
  EXPECT_EQ(std::string(des.GetPlaintext(), 8), std::string(8, '\0'));
}

TEST(CDES, SingleBlocksAndAccessors) {
  CDES des;
  des.InitializeKey("12345678");
  des.EncryptData("abcdefghXYZ");  // only the first 8 bytes count
  EXPECT_STREQ(des.GetCiphertext(), "94d4436bc3b5b693");
  des.DecryptData("94D4436BC3B5B693ffff");
  EXPECT_EQ(std::string(des.GetPlaintext(), 8), "abcdefgh");
  CDES copy;
  copy = des;
  EXPECT_STREQ(copy.GetCiphertext(), "94d4436bc3b5b693");
  copy.SetCiphertext("00112233445566778899");
  EXPECT_STREQ(copy.GetCiphertext(), "0011223344556677");
  copy.SetPlaintext("12345678");
  EXPECT_EQ(std::string(copy.GetPlaintext()), "12345678");
}
