#include "webbrowser/WebBrowserControl.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "display/Desktop.h"
#include "webbrowser/HelperLink.h"
#include "webbrowser/WireValues.h"
#include "win32/CodePage.h"
#include "win32/ConnectionPoint.h"
#include "win32/ExDisp.h"
#include "win32/KeyState.h"
#include "win32/MsHtml.h"
#include "win32/OleControl.h"
#include "win32/Windows.h"

namespace webbrowser {

namespace {

using webhost::WireMessage;
using webhost::WireType;

constexpr wchar_t kClassName[] = L"DorvWebBrowser";
constexpr UINT kWake = WM_USER + 0x3A1;  // the helper's messages are waiting
constexpr UINT_PTR kPlaceTimer = 1;      // follows the form onto the display
constexpr int kStartMs = 60000;          // a first start of the engine on a busy machine is slow
constexpr int kCallMs = 15000;           // a script call or a look-up

class WebBrowser;

std::mutex g_windowsLock;
std::map<HWND, WebBrowser*> g_windows;

std::string HelperProgram() {
  if (const char* path = std::getenv("DORV_WEBHOST"); path && *path) return path;
  char self[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return "DorvWebHost";
  std::string folder(self, static_cast<size_t>(n));
  return folder.substr(0, folder.rfind('/') + 1) + "DorvWebHost";
}

std::string Utf8Of(const VARIANT* v) {
  if (v && v->vt == (VT_VARIANT | VT_BYREF)) v = v->pvarVal;
  if (!v || v->vt != VT_BSTR || !v->bstrVal) return {};
  return WideToUtf8(std::wstring_view(v->bstrVal, SysStringLen(v->bstrVal)));
}

LONG LongOf(const VARIANT* v) {
  if (v && v->vt == (VT_VARIANT | VT_BYREF)) v = v->pvarVal;
  if (!v) return 0;
  if (v->vt == VT_BOOL) return v->boolVal != 0;
  if (v->vt == VT_I2) return v->iVal;
  return v->vt == VT_I4 || v->vt == VT_INT || v->vt == VT_UI4 || v->vt == VT_UINT ? v->lVal : 0;
}

// The argument at `index` in call order.
const VARIANT* Arg(const DISPPARAMS* params, UINT index) {
  if (!params || index >= params->cArgs || !params->rgvarg) return nullptr;
  return &params->rgvarg[params->cArgs - 1 - index];
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// The page's script: names of its global functions are given ids here, and calls run in the helper.
class Script;
class Document;

class WebBrowser final : public IDispatch,
                         public IConnectionPointContainer,
                         public IConnectionPoint,
                         public IOleInPlaceControl {
 public:
  // IUnknown (one for every interface)
  HRESULT QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch) *out = static_cast<IDispatch*>(this);
    else if (iid == IID_IConnectionPointContainer) *out = static_cast<IConnectionPointContainer*>(this);
    else if (iid == IID_IConnectionPoint) *out = static_cast<IConnectionPoint*>(this);
    else if (iid == IID_IOleInPlaceControl) *out = static_cast<IOleInPlaceControl*>(this);
    else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++m_refs; }
  ULONG Release() override {
    ULONG left = --m_refs;
    if (left == 0) delete this;
    return left;
  }

  // IDispatch: the browser's automation members.
  HRESULT GetTypeInfoCount(UINT* count) override {
    if (count) *count = 0;
    return S_OK;
  }
  HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
  HRESULT Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                 UINT*) override;

  // IConnectionPointContainer: the browser's events (IID_NULL asks for its default events).
  HRESULT EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
  HRESULT FindConnectionPoint(REFIID iid, IConnectionPoint** point) override {
    if (!point) return E_POINTER;
    *point = nullptr;
    if (iid != IID_NULL && iid != DIID_DWebBrowserEvents2) return CONNECT_E_NOCONNECTION;
    *point = this;
    AddRef();
    return S_OK;
  }
  // IConnectionPoint
  HRESULT GetConnectionInterface(IID* iid) override {
    if (!iid) return E_POINTER;
    *iid = DIID_DWebBrowserEvents2;
    return S_OK;
  }
  HRESULT GetConnectionPointContainer(IConnectionPointContainer** container) override {
    if (!container) return E_POINTER;
    *container = this;
    AddRef();
    return S_OK;
  }
  HRESULT Advise(IUnknown* sink, DWORD* cookie) override {
    if (!sink || !cookie) return E_POINTER;
    IDispatch* events = nullptr;
    if (FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&events)))) return CONNECT_E_CANNOTCONNECT;
    *cookie = m_nextCookie++;
    m_sinks.emplace_back(*cookie, events);
    return S_OK;
  }
  HRESULT Unadvise(DWORD cookie) override {
    for (auto it = m_sinks.begin(); it != m_sinks.end(); ++it) {
      if (it->first != cookie) continue;
      IDispatch* sink = it->second;
      m_sinks.erase(it);
      sink->Release();
      return S_OK;
    }
    return CONNECT_E_NOCONNECTION;
  }
  HRESULT EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

  // IOleInPlaceControl
  HRESULT SetSite(IUnknown* site) override {
    if (m_site) m_site->Release();
    m_site = site;
    if (m_site) m_site->AddRef();
    return S_OK;
  }
  HRESULT Activate(HWND parent, const RECT& rect, UINT id, DWORD style, HWND* window) override;
  HRESULT Close() override;

  // The window's messages.
  LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  // Requests that wait for the helper's answer; nothing when it gave none in time.
  std::optional<WireMessage> Request(WireMessage message);
  bool HasHelper() const { return m_link && m_link->Alive(); }
  // The script's names, given ids from 1 in the order first asked.
  DISPID ScriptId(const std::string& name) {
    for (size_t i = 0; i < m_scriptNames.size(); ++i)
      if (m_scriptNames[i] == name) return static_cast<DISPID>(i + 1);
    m_scriptNames.push_back(name);
    return static_cast<DISPID>(m_scriptNames.size());
  }
  const std::string* ScriptName(DISPID id) const {
    return id >= 1 && static_cast<size_t>(id) <= m_scriptNames.size() ? &m_scriptNames[id - 1] : nullptr;
  }
  pid_t HelperPid() const { return m_link ? m_link->Pid() : 0; }

 private:
  ~WebBrowser() {
    Close();
    SetSite(nullptr);
  }
  void Wake() {
    HWND window = m_window.load();
    if (window && !m_wakePosted.exchange(true)) PostMessageW(window, kWake, 0, 0);
  }
  void Drain();
  void Handle(const WireMessage& message);
  void OnEvent(const WireMessage& message);
  void Answer(uint32_t id, HRESULT hr, const VARIANT* value);
  void Fire(DISPID id, std::vector<VARIANT> argsInOrder);
  void SendSettings();
  void Place();
  IDocHostUIHandler* HostHandler();  // a reference, or null
  HRESULT Navigate(const std::string& url);

  std::atomic<ULONG> m_refs{1};
  IUnknown* m_site = nullptr;
  std::vector<std::pair<DWORD, IDispatch*>> m_sinks;
  DWORD m_nextCookie = 1;
  std::atomic<HWND> m_window{nullptr};
  std::atomic<bool> m_wakePosted{false};
  std::unique_ptr<HelperLink> m_link;
  std::vector<WireMessage> m_deferred;  // arrived while a request waited
  uint32_t m_nextId = 1;
  int32_t m_placed[6] = {-1, -1, -1, -1, -1, -1};
  std::vector<std::string> m_scriptNames;
  Document* m_document = nullptr;  // one reference while a page is there
  std::string m_location;
  bool m_busy = false;
  LONG m_readyState = READYSTATE_UNINITIALIZED;
  std::map<DISPID, VARIANT> m_properties;  // properties the page does not use, kept as set
  friend class Script;
};

// The page's objects: counted, each holding the browser while it lives, answering for
// IUnknown, IDispatch and its own interface `Iid` (IID_IDispatch when it has none).
template <class Interface, const IID& Iid>
class PageObject : public Interface {
 public:
  explicit PageObject(WebBrowser* browser) : m_browser(browser) { m_browser->AddRef(); }
  HRESULT QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid != IID_IUnknown && iid != IID_IDispatch && iid != Iid) {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    *out = static_cast<Interface*>(this);
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++m_refs; }
  ULONG Release() override {
    ULONG left = --m_refs;
    if (left == 0) delete this;
    return left;
  }
  HRESULT GetTypeInfoCount(UINT* count) override {
    if (count) *count = 0;
    return S_OK;
  }
  HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }

 protected:
  virtual ~PageObject() { m_browser->Release(); }
  WebBrowser* m_browser;

 private:
  std::atomic<ULONG> m_refs{1};
};

class Script final : public PageObject<IDispatch, IID_IDispatch> {
 public:
  using PageObject::PageObject;
  HRESULT GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    if (!names || !ids) return E_POINTER;
    HRESULT result = S_OK;
    for (UINT i = 0; i < count; ++i) {
      ids[i] = DISPID_UNKNOWN;
      const std::string name = names[i] ? WideToUtf8(names[i]) : std::string();
      WireMessage ask;
      ask.type = WireType::ScriptLookup;
      ask.text = name;
      auto answer = name.empty() ? std::nullopt : m_browser->Request(ask);
      if (answer && answer->n[0] == S_OK) ids[i] = m_browser->ScriptId(name);
      else result = DISP_E_UNKNOWNNAME;
    }
    return result;
  }
  HRESULT Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                 UINT*) override {
    const std::string* name = m_browser->ScriptName(id);
    if (!name) return DISP_E_MEMBERNOTFOUND;
    if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
    WireMessage call;
    call.type = WireType::ScriptCall;
    call.text = *name;
    const UINT count = params ? params->cArgs : 0;
    if (count > webhost::kMaxValues) return DISP_E_BADPARAMCOUNT;
    for (UINT i = 0; i < count; ++i) call.values.push_back(ToWire(*Arg(params, i)));
    auto answer = m_browser->Request(call);
    if (!answer) return E_FAIL;
    if (FAILED(answer->n[0])) return answer->n[0];
    if (result) {
      VariantClear(result);
      if (!answer->values.empty()) FromWire(answer->values[0], result);
    }
    return S_OK;
  }
};

class Document final : public PageObject<IHTMLDocument2, IID_IHTMLDocument2> {
 public:
  using PageObject::PageObject;
  HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
  HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT get_Script(IDispatch** script) override {
    if (!script) return E_POINTER;
    *script = nullptr;
    if (!m_browser->HasHelper()) return E_FAIL;
    *script = new Script(m_browser);
    return S_OK;
  }
};

HRESULT WebBrowser::Activate(HWND parent, const RECT& rect, UINT id, DWORD style, HWND* window) {
  if (!window) return E_POINTER;
  *window = nullptr;
  if (m_window.load() || !parent) return E_UNEXPECTED;
  static std::once_flag registered;
  std::call_once(registered, [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.lpszClassName = kClassName;
    RegisterClassW(&wc);
  });
  m_link = HelperLink::Start(HelperProgram(), [this] { Wake(); });
  if (!m_link) return E_FAIL;
  // The helper says it is ready once its engine runs; one that cannot reach a display ends.
  bool ready = false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartMs);
  while (!ready) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || !m_link->Wait(static_cast<int>(left.count()))) break;
    while (auto message = m_link->Take()) {
      if (message->type == WireType::Ready) ready = true;
    }
  }
  if (!ready) {
    m_link.reset();
    return E_FAIL;
  }
  HWND made = CreateWindowExW(0, kClassName, L"", style | WS_CHILD | WS_CLIPSIBLINGS, rect.left, rect.top,
                              rect.right - rect.left, rect.bottom - rect.top, parent,
                              reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), nullptr, nullptr);
  if (!made) {
    m_link.reset();
    return E_FAIL;
  }
  SetWindowLongPtrW(made, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  {
    std::lock_guard guard(g_windowsLock);
    g_windows[made] = this;
  }
  m_window = made;
  SetTimer(made, kPlaceTimer, 200, nullptr);
  SendSettings();
  Place();
  Wake();  // anything the helper said meanwhile
  *window = made;
  return S_OK;
}

HRESULT WebBrowser::Close() {
  HWND window = m_window.exchange(nullptr);
  if (window) {
    {
      std::lock_guard guard(g_windowsLock);
      g_windows.erase(window);
    }
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    if (IsWindow(window)) DestroyWindow(window);
  }
  m_link.reset();  // the helper ends with its socket
  if (m_document) {
    m_document->Release();
    m_document = nullptr;
  }
  for (auto& [cookie, sink] : m_sinks) sink->Release();
  m_sinks.clear();
  for (auto& [id, value] : m_properties) VariantClear(&value);
  m_properties.clear();
  return S_OK;
}

LRESULT WebBrowser::OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kWake:
      m_wakePosted = false;
      Drain();
      return 0;
    case WM_TIMER:
      if (wParam == kPlaceTimer) Place();
      return 0;
    case WM_WINDOWPOSCHANGED:
    case WM_SHOWWINDOW: {
      LRESULT r = DefWindowProcW(hwnd, message, wParam, lParam);
      Place();
      return r;
    }
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_DESTROY:
      KillTimer(hwnd, kPlaceTimer);
      {
        std::lock_guard guard(g_windowsLock);
        g_windows.erase(hwnd);
      }
      m_window = nullptr;
      m_link.reset();
      return 0;
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* browser = reinterpret_cast<WebBrowser*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!browser) return DefWindowProcW(hwnd, message, wParam, lParam);
  browser->AddRef();  // a handler may let the control go
  LRESULT r = browser->OnMessage(hwnd, message, wParam, lParam);
  browser->Release();
  return r;
}

void WebBrowser::Place() {
  HWND window = m_window.load();
  if (!window || !m_link) return;
  HWND root = GetAncestor(window, GA_ROOT);
  const unsigned long native = root ? display::Desktop::Get().NativeWindow(root) : 0;
  RECT own{}, top{};
  GetWindowRect(window, &own);
  GetWindowRect(root, &top);
  const int32_t placed[6] = {static_cast<int32_t>(native), own.left - top.left, own.top - top.top,
                             own.right - own.left, own.bottom - own.top, IsWindowVisible(window) ? 1 : 0};
  if (std::equal(std::begin(placed), std::end(placed), std::begin(m_placed))) return;
  std::copy(std::begin(placed), std::end(placed), std::begin(m_placed));
  WireMessage place;
  place.type = WireType::Place;
  std::copy(std::begin(placed), std::end(placed), std::begin(place.n));
  m_link->Send(place);
}

IDocHostUIHandler* WebBrowser::HostHandler() {
  IDocHostUIHandler* handler = nullptr;
  if (m_site) m_site->QueryInterface(IID_IDocHostUIHandler, reinterpret_cast<void**>(&handler));
  return handler;
}

void WebBrowser::SendSettings() {
  if (!m_link) return;
  WireMessage settings;
  settings.type = WireType::Settings;
  settings.n[0] = 1;  // without a host the browser shows its own menu
  settings.n[1] = 1;
  settings.n[2] = 1;
  if (IDocHostUIHandler* handler = HostHandler()) {
    DOCHOSTUIINFO info{};
    info.cbSize = sizeof info;
    if (SUCCEEDED(handler->GetHostInfo(&info))) {
      settings.n[1] = (info.dwFlags & DOCHOSTUIFLAG_NO3DBORDER) ? 0 : 1;
      settings.n[2] = (info.dwFlags & DOCHOSTUIFLAG_SCROLL_NO) ? 0 : (info.dwFlags & DOCHOSTUIFLAG_FLAT_SCROLLBAR) ? 2 : 1;
    }
    // The host answers S_FALSE when the browser is to show its own menu; asked once per
    // page, since the helper cannot wait for this thread while the user clicks.
    POINT at{0, 0};
    settings.n[0] = handler->ShowContextMenu(0, &at, nullptr, nullptr) == S_FALSE ? 1 : 0;
    handler->Release();
  }
  m_link->Send(settings);
}

HRESULT WebBrowser::Navigate(const std::string& url) {
  if (!HasHelper()) return E_FAIL;
  SendSettings();
  WireMessage go;
  go.type = WireType::Navigate;
  go.text = url;
  m_busy = true;
  return m_link->Send(go) ? S_OK : E_FAIL;
}

std::optional<WireMessage> WebBrowser::Request(WireMessage message) {
  if (!HasHelper()) return std::nullopt;
  message.id = m_nextId++;
  if (!m_link->Send(message)) return std::nullopt;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kCallMs);
  for (;;) {
    while (m_link) {
      auto got = m_link->Take();
      if (!got) break;
      if (got->type == WireType::Result) {
        if (got->id == message.id) return got;
        continue;  // an answer that came too late for its caller
      }
      if (got->type == WireType::ExternalLookup || got->type == WireType::ExternalInvoke) {
        Handle(*got);  // the page calls back into the host while the host waits for it
      } else {
        m_deferred.push_back(std::move(*got));
        Wake();
      }
    }
    if (!HasHelper()) return std::nullopt;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return std::nullopt;
    m_link->Wait(static_cast<int>(left.count()));
  }
}

void WebBrowser::Drain() {
  std::vector<WireMessage> deferred;
  deferred.swap(m_deferred);
  for (const WireMessage& m : deferred) Handle(m);
  while (m_link) {
    auto got = m_link->Take();
    if (!got) break;
    Handle(*got);
  }
}

void WebBrowser::Answer(uint32_t id, HRESULT hr, const VARIANT* value) {
  if (!m_link) return;
  WireMessage answer;
  answer.type = WireType::Answer;
  answer.id = id;
  answer.n[0] = hr;
  if (value) answer.values.push_back(ToWire(*value));
  m_link->Send(answer);
}

void WebBrowser::Handle(const WireMessage& message) {
  switch (message.type) {
    case WireType::Event: OnEvent(message); break;
    case WireType::ExternalLookup:
    case WireType::ExternalInvoke: {
      IDispatch* external = nullptr;
      if (IDocHostUIHandler* handler = HostHandler()) {
        if (FAILED(handler->GetExternal(&external))) external = nullptr;
        handler->Release();
      }
      if (!external) {
        Answer(message.id, DISP_E_UNKNOWNNAME, nullptr);
        break;
      }
      if (message.type == WireType::ExternalLookup) {
        std::wstring name = Utf8ToWide(message.text);
        LPOLESTR names[] = {name.data()};
        DISPID id = DISPID_UNKNOWN;
        HRESULT hr = external->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_I4;
        v.lVal = id;
        Answer(message.id, hr, &v);
      } else {
        std::vector<VARIANT> args(message.values.size());
        for (size_t i = 0; i < args.size(); ++i) FromWire(message.values[args.size() - 1 - i], &args[i]);
        DISPPARAMS params{args.data(), nullptr, static_cast<UINT>(args.size()), 0};
        VARIANT result;
        VariantInit(&result);
        const WORD flags = static_cast<WORD>(message.n[1] & (DISPATCH_METHOD | DISPATCH_PROPERTYGET));
        HRESULT hr = external->Invoke(message.n[0], IID_NULL, LOCALE_USER_DEFAULT, flags ? flags : DISPATCH_METHOD,
                                      &params, &result, nullptr, nullptr);
        Answer(message.id, hr, &result);
        VariantClear(&result);
        for (VARIANT& a : args) VariantClear(&a);
      }
      external->Release();
      break;
    }
    case WireType::Key: {
      HWND window = m_window.load();
      if (!window) break;
      // The key reached the page, which sits on this window: the program sees it as its own
      // input, with the Ctrl state the helper saw.
      const bool wasDown = win32::SetKeyDown(VK_LCONTROL, message.n[1] != 0);
      POINT cursor{};
      GetCursorPos(&cursor);
      win32::PostInput(window, WM_KEYDOWN, static_cast<WPARAM>(message.n[0] & 0xFF), 1, cursor);
      win32::SetKeyDown(VK_LCONTROL, wasDown);
      break;
    }
    default: break;  // a late answer, or a second Ready
  }
}

void WebBrowser::OnEvent(const WireMessage& message) {
  auto byRef = [](VARIANT* inner) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_VARIANT | VT_BYREF;
    v.pvarVal = inner;
    return v;
  };
  auto text = [](const std::string& utf8) {
    VARIANT v;
    VariantInit(&v);
    const std::wstring wide = Utf8ToWide(utf8);
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    return v;
  };
  VARIANT self;
  VariantInit(&self);
  self.vt = VT_DISPATCH;
  self.pdispVal = this;
  VARIANT url = text(message.text);
  VARIANT empty = text("");
  VARIANT nothing;
  VariantInit(&nothing);
  VARIANT number;
  VariantInit(&number);
  number.vt = VT_I4;
  number.lVal = message.n[1];
  VARIANT_BOOL cancel = VARIANT_FALSE;
  VARIANT cancelRef;
  VariantInit(&cancelRef);
  cancelRef.vt = VT_BOOL | VT_BYREF;
  cancelRef.pboolVal = &cancel;
  switch (message.n[0]) {
    case DISPID_BEFORENAVIGATE2:
      m_busy = true;
      m_readyState = READYSTATE_LOADING;
      number.lVal = 0;
      Fire(DISPID_BEFORENAVIGATE2,
           {self, byRef(&url), byRef(&number), byRef(&empty), byRef(&nothing), byRef(&empty), cancelRef});
      // The helper holds the navigation until it hears the sinks' Cancel.
      if (cancel != VARIANT_FALSE) m_busy = false;
      if (message.id) Answer(message.id, cancel != VARIANT_FALSE ? 1 : 0, nullptr);
      break;
    case DISPID_DOWNLOADBEGIN: Fire(DISPID_DOWNLOADBEGIN, {}); break;
    case DISPID_DOWNLOADCOMPLETE:
      m_busy = false;
      Fire(DISPID_DOWNLOADCOMPLETE, {});
      break;
    case DISPID_DOCUMENTCOMPLETE:
      m_location = message.text;
      m_readyState = READYSTATE_COMPLETE;
      if (!m_document) m_document = new Document(this);
      Fire(DISPID_DOCUMENTCOMPLETE, {self, byRef(&url)});
      break;
    case DISPID_NAVIGATEERROR:
      m_location = message.text;
      Fire(DISPID_NAVIGATEERROR, {self, byRef(&url), byRef(&empty), byRef(&number), cancelRef});
      break;
    default: break;
  }
  VariantClear(&url);
  VariantClear(&empty);
}

void WebBrowser::Fire(DISPID id, std::vector<VARIANT> argsInOrder) {
  std::vector<VARIANT> reversed(argsInOrder.rbegin(), argsInOrder.rend());
  DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  std::vector<IDispatch*> sinks;
  for (auto& [cookie, sink] : m_sinks) {
    sink->AddRef();
    sinks.push_back(sink);
  }
  AddRef();
  for (IDispatch* sink : sinks) {
    sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    sink->Release();
  }
  Release();
}

HRESULT WebBrowser::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                           UINT*) {
  const bool get = flags & DISPATCH_PROPERTYGET;
  const bool put = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
  auto answerLong = [&](LONG v) {
    if (result) {
      VariantClear(result);
      result->vt = VT_I4;
      result->lVal = v;
    }
    return S_OK;
  };
  auto answerBool = [&](bool v) {
    if (result) {
      VariantClear(result);
      result->vt = VT_BOOL;
      result->boolVal = v ? VARIANT_TRUE : VARIANT_FALSE;
    }
    return S_OK;
  };
  auto answerText = [&](const std::string& v) {
    if (result) {
      VariantClear(result);
      const std::wstring wide = Utf8ToWide(v);
      result->vt = VT_BSTR;
      result->bstrVal = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    }
    return S_OK;
  };
  switch (id) {
    case DISPID_WB_NAVIGATE:
    case DISPID_WB_NAVIGATE2: return Navigate(Utf8Of(Arg(params, 0)));
    case DISPID_WB_EXECWB:
    case DISPID_WB_GOBACK:
    case DISPID_WB_GOFORWARD:
    case DISPID_WB_REFRESH:
    case DISPID_WB_REFRESH2:
    case DISPID_WB_STOP: {
      if (!HasHelper()) return E_FAIL;
      WireMessage command;
      command.type = WireType::ExecCommand;
      if (id == DISPID_WB_EXECWB) {
        command.n[0] = LongOf(Arg(params, 0));
        command.n[1] = LongOf(Arg(params, 1));
      } else {
        command.n[0] = id == DISPID_WB_STOP ? OLECMDID_STOP
                       : id == DISPID_WB_GOBACK ? webhost::kGoBack
                       : id == DISPID_WB_GOFORWARD ? webhost::kGoForward
                                                   : OLECMDID_REFRESH;
      }
      return m_link->Send(command) ? S_OK : E_FAIL;
    }
    case DISPID_WB_QUERYSTATUSWB: return answerLong(OLECMDF_SUPPORTED | OLECMDF_ENABLED);
    case DISPID_WB_DOCUMENT:
      if (result) {
        VariantClear(result);
        result->vt = VT_DISPATCH;
        result->pdispVal = m_document;
        if (m_document) m_document->AddRef();
      }
      return S_OK;
    case DISPID_WB_APPLICATION:
      if (result) {
        VariantClear(result);
        result->vt = VT_DISPATCH;
        result->pdispVal = this;
        AddRef();
      }
      return S_OK;
    case DISPID_WB_LOCATIONURL:
    case DISPID_WB_LOCATIONNAME: return answerText(m_location);
    case DISPID_WB_TYPE: return answerText(m_document ? "HTML Document" : "");
    case DISPID_WB_BUSY: return answerBool(m_busy);
    case DISPID_WB_READYSTATE: return answerLong(m_readyState);
    case DISPID_WB_HWND: return answerLong(static_cast<LONG>(reinterpret_cast<intptr_t>(m_window.load())));
    case DISPID_WB_NAME: return answerText("Microsoft Web Browser Control");
    case DISPID_WB_GOHOME:
    case DISPID_WB_GOSEARCH:
    case DISPID_WB_QUIT:
    case DISPID_WB_CLIENTTOWINDOW:
    case DISPID_WB_PUTPROPERTY:
    case DISPID_WB_GETPROPERTY:
    case DISPID_WB_SHOWBROWSERBAR:
    case DISPID_WB_PARENT:
    case DISPID_WB_CONTAINER:
    case DISPID_WB_TOPLEVELCONTAINER:
    case DISPID_WB_FULLNAME:
    case DISPID_WB_PATH:
      if (result) VariantClear(result);
      return S_OK;
    case DISPID_WB_LEFT:
    case DISPID_WB_TOP:
    case DISPID_WB_WIDTH:
    case DISPID_WB_HEIGHT:
    case DISPID_WB_VISIBLE:
    case DISPID_WB_STATUSBAR:
    case DISPID_WB_STATUSTEXT:
    case DISPID_WB_TOOLBAR:
    case DISPID_WB_MENUBAR:
    case DISPID_WB_FULLSCREEN:
    case DISPID_WB_OFFLINE:
    case DISPID_WB_SILENT:
    case DISPID_WB_REGISTERASBROWSER:
    case DISPID_WB_REGISTERASDROPTARGET:
    case DISPID_WB_THEATERMODE:
    case DISPID_WB_ADDRESSBAR:
    case DISPID_WB_RESIZABLE: {
      VARIANT& stored = m_properties.try_emplace(id, VARIANT{}).first->second;
      if (put) {
        const VARIANT* value = Arg(params, 0);
        if (!value) return DISP_E_BADPARAMCOUNT;
        if (value->vt == (VT_VARIANT | VT_BYREF)) value = value->pvarVal;
        return VariantCopy(&stored, value);
      }
      if (get && result) return VariantCopy(result, &stored);
      return S_OK;
    }
    default: return DISP_E_MEMBERNOTFOUND;
  }
}

}  // namespace

HRESULT CreateWebBrowser(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  auto* browser = new WebBrowser();
  HRESULT hr = browser->QueryInterface(iid, out);
  browser->Release();
  return hr;
}

pid_t HelperProcessOf(HWND hwnd) {
  std::lock_guard guard(g_windowsLock);
  auto found = g_windows.find(hwnd);
  return found == g_windows.end() ? 0 : found->second->HelperPid();
}

}  // namespace webbrowser
