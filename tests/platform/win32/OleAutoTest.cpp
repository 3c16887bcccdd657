// Automation values: strings that know their length, and variants that own what they hold.
#include <gtest/gtest.h>

#include "win32/OleAuto.h"

namespace {

struct Counted final : IDispatch {
  int refs = 1;
  HRESULT QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++refs; }
  ULONG Release() override { return --refs; }
  HRESULT GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override { return S_OK; }
};

TEST(OleAutoTest, StringsKeepTheirLengthAndEmbeddedNulls) {
  const wchar_t text[] = {L'a', 0, L'b'};
  BSTR s = SysAllocStringLen(text, 3);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(SysStringLen(s), 3u);
  EXPECT_EQ(s[2], L'b');
  EXPECT_EQ(s[3], 0);
  SysFreeString(s);
  BSTR plain = SysAllocString(L"网页");
  EXPECT_EQ(SysStringLen(plain), 2u);
  SysFreeString(plain);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  SysFreeString(nullptr);
  EXPECT_EQ(SysAllocStringLen(nullptr, 0xFFFFFFF0u), nullptr);  // refused, not wrapped around
}

TEST(OleAutoTest, CopyIsDeepAndClearReleases) {
  VARIANT a, b;
  VariantInit(&a);
  VariantInit(&b);
  a.vt = VT_BSTR;
  a.bstrVal = SysAllocString(L"abc");
  ASSERT_EQ(VariantCopy(&b, &a), S_OK);
  EXPECT_NE(b.bstrVal, a.bstrVal);
  EXPECT_EQ(std::wstring(b.bstrVal), L"abc");
  VariantClear(&a);
  EXPECT_EQ(a.vt, VT_EMPTY);
  EXPECT_EQ(std::wstring(b.bstrVal), L"abc");

  Counted object;
  VARIANT d;
  VariantInit(&d);
  d.vt = VT_DISPATCH;
  d.pdispVal = &object;
  ASSERT_EQ(VariantCopy(&b, &d), S_OK);  // the string b held is freed first
  EXPECT_EQ(object.refs, 2);
  VariantClear(&b);
  EXPECT_EQ(object.refs, 1);
  EXPECT_EQ(VariantCopy(&d, &d), S_OK);
  EXPECT_EQ(object.refs, 1);
}

}  // namespace
