#pragma once
// DES (FIPS 46) in electronic-codebook mode, with the standard's tables, worked over strings of
// the characters '0' and '1'. Text of any length is encrypted in 8-byte blocks, the last one
// completed with zero bytes, into 16 lower-case hexadecimal digits per block. Every key comes
// from the caller: its first 8 bytes, a shorter key padded with zero bytes.
#include <string>

namespace Common {

class CDES {
 public:
  CDES();  // starts with the all-zero key
  ~CDES();
  CDES(const CDES&) = default;
  CDES& operator=(const CDES&) = default;

  void InitializeKey(std::string key);
  // The first 8 bytes (a shorter block is completed with zero bytes) into the ciphertext block.
  void EncryptData(std::string block);
  // The first 16 hexadecimal digits (either case) into the plaintext block. Fewer digits, or a
  // character that is not one, leave eight zero bytes there.
  void DecryptData(std::string hex);
  // Any number of bytes; the ciphertext of any length is 16 digits per started block (16 for
  // an empty text).
  void EncryptAnyLength(std::string data);
  // A text whose length is a positive multiple of 16; the plaintext of any length then ends
  // after the decrypted bytes. Another length puts the (GBK) message kWrongLengthMessage
  // there; a character that is not a hexadecimal digit leaves it empty.
  void DecryptAnyLength(std::string hex);

  void SetCiphertext(const char* hex16);    // up to 16 characters
  const char* GetCiphertext() const { return m_ciphertext.c_str(); }
  void SetPlaintext(const char* bytes8);    // exactly 8 bytes
  const char* GetPlaintext() const { return m_plaintext.c_str(); }  // 8 bytes, then a NUL
  const char* GetCiphertextAnyLength() const { return m_ciphertextAny.c_str(); }
  const char* GetPlaintextAnyLength() const { return m_plaintextAny.c_str(); }
  const std::string& PlaintextAnyLength() const { return m_plaintextAny; }

  // "待解密字符长度必须为16的倍数！" in GBK.
  static const char kWrongLengthMessage[];

 private:
  static std::string HexCharToBinary(char digit);
  static std::string HexIntToBinary(int value);
  static std::string BinaryToString(const std::string& bits, bool hex);
  static std::string BytesToBinary(const std::string& bytes);
  void CreateSubKey(const std::string& key56);
  static std::string InitialPermuteData(const std::string& bits64);
  static std::string ExpansionR(const std::string& right);
  static std::string XOR(const std::string& a, const std::string& b);
  static std::string CompressFuncS(const std::string& bits48);
  static std::string PermutationP(const std::string& bits32);
  static std::string FunctionF(const std::string& right, const std::string& subKey);
  static std::string FillToEightBits(std::string block);
  std::string Crypt(const std::string& bits64, bool encrypt) const;
  // The bits of 16 hexadecimal digits, or empty when a character is not one.
  static std::string HexToBinary(const std::string& hex16);

  std::string m_subKeys[16];
  std::string m_ciphertext;
  std::string m_plaintext;
  std::string m_ciphertextAny;
  std::string m_plaintextAny;
};

// A new CDES: InitializeKey(key), EncryptAnyLength(data), then the ciphertext of any length.
std::string MakeDesEncode(std::string data, std::string key);
// A new CDES: InitializeKey(key), DecryptAnyLength(hex), then the plaintext up to its first NUL.
std::string MakeDesDecode(std::string hex, std::string key);

}  // namespace Common
