#include "common/Des.h"

#include <cstring>

namespace Common {

namespace {

// Positions are 1-based, as the standard writes them.
const int kInitialPermutation[64] = {
    58, 50, 42, 34, 26, 18, 10, 2, 60, 52, 44, 36, 28, 20, 12, 4,
    62, 54, 46, 38, 30, 22, 14, 6, 64, 56, 48, 40, 32, 24, 16, 8,
    57, 49, 41, 33, 25, 17, 9,  1, 59, 51, 43, 35, 27, 19, 11, 3,
    61, 53, 45, 37, 29, 21, 13, 5, 63, 55, 47, 39, 31, 23, 15, 7};

const int kFinalPermutation[64] = {
    40, 8, 48, 16, 56, 24, 64, 32, 39, 7, 47, 15, 55, 23, 63, 31,
    38, 6, 46, 14, 54, 22, 62, 30, 37, 5, 45, 13, 53, 21, 61, 29,
    36, 4, 44, 12, 52, 20, 60, 28, 35, 3, 43, 11, 51, 19, 59, 27,
    34, 2, 42, 10, 50, 18, 58, 26, 33, 1, 41, 9,  49, 17, 57, 25};

const int kExpansion[48] = {
    32, 1,  2,  3,  4,  5,  4,  5,  6,  7,  8,  9,  8,  9,  10, 11,
    12, 13, 12, 13, 14, 15, 16, 17, 16, 17, 18, 19, 20, 21, 20, 21,
    22, 23, 24, 25, 24, 25, 26, 27, 28, 29, 28, 29, 30, 31, 32, 1};

const int kPermutationP[32] = {
    16, 7, 20, 21, 29, 12, 28, 17, 1,  15, 23, 26, 5,  18, 31, 10,
    2,  8, 24, 14, 32, 27, 3,  9,  19, 13, 30, 6,  22, 11, 4,  25};

const int kPermutedChoice1[56] = {
    57, 49, 41, 33, 25, 17, 9,  1,  58, 50, 42, 34, 26, 18,
    10, 2,  59, 51, 43, 35, 27, 19, 11, 3,  60, 52, 44, 36,
    63, 55, 47, 39, 31, 23, 15, 7,  62, 54, 46, 38, 30, 22,
    14, 6,  61, 53, 45, 37, 29, 21, 13, 5,  28, 20, 12, 4};

const int kPermutedChoice2[48] = {
    14, 17, 11, 24, 1,  5,  3,  28, 15, 6,  21, 10, 23, 19, 12, 4,
    26, 8,  16, 7,  27, 20, 13, 2,  41, 52, 31, 37, 47, 55, 30, 40,
    51, 45, 33, 48, 44, 49, 39, 56, 34, 53, 46, 42, 50, 36, 29, 32};

const int kRotations[16] = {1, 1, 2, 2, 2, 2, 2, 2, 1, 2, 2, 2, 2, 2, 2, 1};

const int kSBoxes[8][4][16] = {
    {{14, 4, 13, 1, 2, 15, 11, 8, 3, 10, 6, 12, 5, 9, 0, 7},
     {0, 15, 7, 4, 14, 2, 13, 1, 10, 6, 12, 11, 9, 5, 3, 8},
     {4, 1, 14, 8, 13, 6, 2, 11, 15, 12, 9, 7, 3, 10, 5, 0},
     {15, 12, 8, 2, 4, 9, 1, 7, 5, 11, 3, 14, 10, 0, 6, 13}},
    {{15, 1, 8, 14, 6, 11, 3, 4, 9, 7, 2, 13, 12, 0, 5, 10},
     {3, 13, 4, 7, 15, 2, 8, 14, 12, 0, 1, 10, 6, 9, 11, 5},
     {0, 14, 7, 11, 10, 4, 13, 1, 5, 8, 12, 6, 9, 3, 2, 15},
     {13, 8, 10, 1, 3, 15, 4, 2, 11, 6, 7, 12, 0, 5, 14, 9}},
    {{10, 0, 9, 14, 6, 3, 15, 5, 1, 13, 12, 7, 11, 4, 2, 8},
     {13, 7, 0, 9, 3, 4, 6, 10, 2, 8, 5, 14, 12, 11, 15, 1},
     {13, 6, 4, 9, 8, 15, 3, 0, 11, 1, 2, 12, 5, 10, 14, 7},
     {1, 10, 13, 0, 6, 9, 8, 7, 4, 15, 14, 3, 11, 5, 2, 12}},
    {{7, 13, 14, 3, 0, 6, 9, 10, 1, 2, 8, 5, 11, 12, 4, 15},
     {13, 8, 11, 5, 6, 15, 0, 3, 4, 7, 2, 12, 1, 10, 14, 9},
     {10, 6, 9, 0, 12, 11, 7, 13, 15, 1, 3, 14, 5, 2, 8, 4},
     {3, 15, 0, 6, 10, 1, 13, 8, 9, 4, 5, 11, 12, 7, 2, 14}},
    {{2, 12, 4, 1, 7, 10, 11, 6, 8, 5, 3, 15, 13, 0, 14, 9},
     {14, 11, 2, 12, 4, 7, 13, 1, 5, 0, 15, 10, 3, 9, 8, 6},
     {4, 2, 1, 11, 10, 13, 7, 8, 15, 9, 12, 5, 6, 3, 0, 14},
     {11, 8, 12, 7, 1, 14, 2, 13, 6, 15, 0, 9, 10, 4, 5, 3}},
    {{12, 1, 10, 15, 9, 2, 6, 8, 0, 13, 3, 4, 14, 7, 5, 11},
     {10, 15, 4, 2, 7, 12, 9, 5, 6, 1, 13, 14, 0, 11, 3, 8},
     {9, 14, 15, 5, 2, 8, 12, 3, 7, 0, 4, 10, 1, 13, 11, 6},
     {4, 3, 2, 12, 9, 5, 15, 10, 11, 14, 1, 7, 6, 0, 8, 13}},
    {{4, 11, 2, 14, 15, 0, 8, 13, 3, 12, 9, 7, 5, 10, 6, 1},
     {13, 0, 11, 7, 4, 9, 1, 10, 14, 3, 5, 12, 2, 15, 8, 6},
     {1, 4, 11, 13, 12, 3, 7, 14, 10, 15, 6, 8, 0, 5, 9, 2},
     {6, 11, 13, 8, 1, 4, 10, 7, 9, 5, 0, 15, 14, 2, 3, 12}},
    {{13, 2, 8, 4, 6, 15, 11, 1, 10, 9, 3, 14, 5, 0, 12, 7},
     {1, 15, 13, 8, 10, 3, 7, 4, 12, 5, 6, 11, 0, 14, 9, 2},
     {7, 11, 4, 1, 9, 12, 14, 2, 0, 6, 10, 13, 15, 3, 5, 8},
     {2, 1, 14, 7, 4, 10, 8, 13, 15, 12, 9, 0, 3, 5, 6, 11}}};

template <size_t N>
std::string Permute(const std::string& bits, const int (&table)[N]) {
  std::string out(N, '0');
  for (size_t i = 0; i < N; ++i) out[i] = bits[table[i] - 1];
  return out;
}

std::string RotateLeft(const std::string& half, int count) { return half.substr(count) + half.substr(0, count); }

}  // namespace

const char CDES::kWrongLengthMessage[] =
    "\xb4\xfd\xbd\xe2\xc3\xdc\xd7\xd6\xb7\xfb\xb3\xa4\xb6\xc8\xb1\xd8\xd0\xeb\xce\xaa\x31\x36\xb5\xc4\xb1\xb6\xca"
    "\xfd\xa3\xa1";

CDES::CDES() : m_ciphertext(16, '0'), m_plaintext(8, '\0') { InitializeKey(std::string()); }

CDES::~CDES() = default;

std::string CDES::HexCharToBinary(char digit) {
  if (digit >= '0' && digit <= '9') return HexIntToBinary(digit - '0');
  if (digit >= 'a' && digit <= 'f') return HexIntToBinary(digit - 'a' + 10);
  if (digit >= 'A' && digit <= 'F') return HexIntToBinary(digit - 'A' + 10);
  return std::string();
}

std::string CDES::HexIntToBinary(int value) {
  if (value < 0 || value > 15) return std::string();
  std::string out(4, '0');
  for (int i = 0; i < 4; ++i)
    if (value & (8 >> i)) out[i] = '1';
  return out;
}

std::string CDES::BinaryToString(const std::string& bits, bool hex) {
  if (bits.size() % 8 != 0) return std::string();
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  for (size_t i = 0; i < bits.size(); i += 8) {
    int byte = 0;
    for (size_t b = 0; b < 8; ++b) byte = (byte << 1) | (bits[i + b] == '1' ? 1 : 0);
    if (hex) {
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
    } else {
      out += static_cast<char>(byte);
    }
  }
  return out;
}

std::string CDES::BytesToBinary(const std::string& bytes) {
  std::string out;
  out.reserve(bytes.size() * 8);
  for (unsigned char c : bytes)
    for (int b = 7; b >= 0; --b) out += (c >> b) & 1 ? '1' : '0';
  return out;
}

std::string CDES::HexToBinary(const std::string& hex16) {
  if (hex16.size() < 16) return std::string();
  std::string out;
  for (size_t i = 0; i < 16; ++i) {
    std::string nibble = HexCharToBinary(hex16[i]);
    if (nibble.empty()) return std::string();
    out += nibble;
  }
  return out;
}

void CDES::InitializeKey(std::string key) {
  key.resize(8, '\0');
  CreateSubKey(Permute(BytesToBinary(key), kPermutedChoice1));
}

void CDES::CreateSubKey(const std::string& key56) {
  std::string c = key56.substr(0, 28), d = key56.substr(28);
  for (int round = 0; round < 16; ++round) {
    c = RotateLeft(c, kRotations[round]);
    d = RotateLeft(d, kRotations[round]);
    m_subKeys[round] = Permute(c + d, kPermutedChoice2);
  }
}

std::string CDES::InitialPermuteData(const std::string& bits64) { return Permute(bits64, kInitialPermutation); }

std::string CDES::ExpansionR(const std::string& right) { return Permute(right, kExpansion); }

std::string CDES::XOR(const std::string& a, const std::string& b) {
  std::string out(a.size(), '0');
  for (size_t i = 0; i < a.size(); ++i) out[i] = a[i] == b[i] ? '0' : '1';
  return out;
}

std::string CDES::CompressFuncS(const std::string& bits48) {
  std::string out;
  for (int box = 0; box < 8; ++box) {
    const char* six = bits48.data() + box * 6;
    int row = (six[0] == '1' ? 2 : 0) | (six[5] == '1' ? 1 : 0);
    int column = 0;
    for (int i = 1; i <= 4; ++i) column = (column << 1) | (six[i] == '1' ? 1 : 0);
    out += HexIntToBinary(kSBoxes[box][row][column]);
  }
  return out;
}

std::string CDES::PermutationP(const std::string& bits32) { return Permute(bits32, kPermutationP); }

std::string CDES::FunctionF(const std::string& right, const std::string& subKey) {
  return PermutationP(CompressFuncS(XOR(ExpansionR(right), subKey)));
}

std::string CDES::FillToEightBits(std::string block) {
  block.resize(8, '\0');
  return block;
}

std::string CDES::Crypt(const std::string& bits64, bool encrypt) const {
  std::string permuted = InitialPermuteData(bits64);
  std::string left = permuted.substr(0, 32), right = permuted.substr(32);
  for (int round = 0; round < 16; ++round) {
    std::string next = XOR(left, FunctionF(right, m_subKeys[encrypt ? round : 15 - round]));
    left = right;
    right = next;
  }
  return Permute(right + left, kFinalPermutation);  // the last exchange is undone
}

void CDES::EncryptData(std::string block) {
  m_ciphertext = BinaryToString(Crypt(BytesToBinary(FillToEightBits(block.substr(0, 8))), true), true);
}

void CDES::DecryptData(std::string hex) {
  std::string bits = HexToBinary(hex);
  m_plaintext = bits.empty() ? std::string(8, '\0') : BinaryToString(Crypt(bits, false), false);
}

void CDES::EncryptAnyLength(std::string data) {
  m_ciphertextAny.clear();
  size_t position = 0;
  do {
    EncryptData(data.substr(position, 8));
    m_ciphertextAny += m_ciphertext;
    position += 8;
  } while (position < data.size());
}

void CDES::DecryptAnyLength(std::string hex) {
  m_plaintextAny.clear();
  if (hex.size() < 16 || hex.size() % 16 != 0) {
    m_plaintextAny = kWrongLengthMessage;
    return;
  }
  for (size_t position = 0; position < hex.size(); position += 16) {
    std::string bits = HexToBinary(hex.substr(position, 16));
    if (bits.empty()) {
      m_plaintextAny.clear();
      return;
    }
    m_plaintextAny += BinaryToString(Crypt(bits, false), false);
  }
}

void CDES::SetCiphertext(const char* hex16) {
  m_ciphertext.assign(hex16 ? hex16 : "", hex16 ? strnlen(hex16, 16) : 0);
}

void CDES::SetPlaintext(const char* bytes8) {
  m_plaintext = bytes8 ? std::string(bytes8, 8) : std::string(8, '\0');
}

std::string MakeDesEncode(std::string data, std::string key) {
  CDES des;
  des.InitializeKey(key);
  des.EncryptAnyLength(data);
  return des.GetCiphertextAnyLength();
}

std::string MakeDesDecode(std::string hex, std::string key) {
  CDES des;
  des.InitializeKey(key);
  des.DecryptAnyLength(hex);
  return des.GetPlaintextAnyLength();  // up to the first NUL
}

}  // namespace Common
