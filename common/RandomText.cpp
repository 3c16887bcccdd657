#include "common/RandomText.h"

#include <iterator>
#include <random>

namespace Common {

CString GetRandomNumString(int count) {
  static const wchar_t kAlphabet[] = L"0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
  // Seeded once per thread: texts made within the same millisecond still differ.
  thread_local std::mt19937 generator{std::random_device{}()};
  std::uniform_int_distribution<int> pick(0, static_cast<int>(std::size(kAlphabet)) - 2);
  CString out;
  for (int i = 0; i < count; ++i) out.AppendChar(kAlphabet[pick(generator)]);
  return out;
}

}  // namespace Common
