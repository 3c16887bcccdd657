// The web browser window and control on the real engine: the helper DorvWebHost runs
// WebKitGTK on a private Xvfb, off the screen for the headless desktop, embedded in the
// form's X window when the form is on that display.
#include <gtest/gtest.h>
#include <signal.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <map>
#include <mutex>
#include <thread>

#include "../platform/display/X11Server.h"
#include "ControlFixture.h"
#include "display/Desktop.h"
#include "display/x11/X11Presenter.h"
#include "mfc/CWnd.h"
#include "ui/controls/UILabel.h"
#include "ui/controls/UIWebBrowser.h"
#include "ui/web/ImpIDispatch.h"
#include "ui/web/WebBrowserWnd.h"
#include "ui/web/WebPage.h"
#include "webbrowser/HelperLink.h"
#include "webbrowser/WebBrowserControl.h"
#include "win32/CodePage.h"
#include "ui/skin/UISkinManager.h"

namespace {

using display::Desktop;
namespace fs = std::filesystem;

constexpr DWORD kLoadMs = 60000;  // a first start of the engine on a loaded machine

const char* const kPage = R"(<html><head><meta charset="utf-8"><title>t</title><script>
function join(a, b, c) { return a + "|" + b + "|" + c; }
function callHost(a, b) { return window.external.Add(a, b); }
function probe() {
  var known = (window.external.Add == true) ? "true" : "false";
  var unknown;
  try { window.external.Missing(); unknown = "no error"; } catch (e) { unknown = "error"; }
  return known + "," + unknown;
}
</script></head><body style="background:#3a7bd5;color:white;font:20px sans-serif">
<h1>网页 Web page</h1><p>Served to the browser control.</p></body></html>)";

std::unique_ptr<x11test::X11Server>& Server() {
  static std::unique_ptr<x11test::X11Server> server;
  return server;
}

class WebBrowserTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    Server() = x11test::X11Server::Start();
    if (Server()) setenv("DISPLAY", Server()->Name().c_str(), 1);  // for the helper only
    setenv("DORV_WEBHOST", DORV_WEBHOST_PROGRAM, 1);
  }
  static void TearDownTestSuite() {
    unsetenv("DISPLAY");
    Server().reset();
  }
  void SetUp() override {
    if (!Server()) GTEST_SKIP() << "Xvfb or xdotool is not installed";
    m_folder = fs::temp_directory_path() / ("dorv-web-" + std::to_string(getpid()));
    fs::create_directories(m_folder);
  }
  void TearDown() override {
    if (!m_folder.empty()) fs::remove_all(m_folder);
  }
  std::string WritePage(const std::string& name) {
    const fs::path path = m_folder / name;
    std::ofstream(path) << kPage;
    return path.string();
  }
  fs::path m_folder;
};

// Records the browser's hooks in the order they come.
class RecordingBrowser : public UI::CWebBrowserWnd {
 public:
  std::vector<std::string> log;
  std::string cancelWhen;  // addresses holding this text are cancelled
  void BeforeNavigate2Ie(IDispatch*, VARIANT* url, VARIANT*, VARIANT*, VARIANT*, VARIANT*,
                         VARIANT_BOOL* cancel) override {
    const VARIANT* v = url->vt == (VT_VARIANT | VT_BYREF) ? url->pvarVal : url;
    const std::string address = WideToUtf8(v->bstrVal);
    log.push_back("BeforeNavigate2 " + address);
    if (!cancelWhen.empty() && address.find(cancelWhen) != std::string::npos) *cancel = VARIANT_TRUE;
  }
  void DownloadBeginIe() override { log.push_back("DownloadBegin"); }
  void DownloadCompleteIe() override { log.push_back("DownloadComplete"); }
  void DocumentCompleteIe(IDispatch*, VARIANT*) override { log.push_back("DocumentComplete"); }
  void NavigateError() override {
    log.push_back("NavigateError");
    UI::CWebBrowserWnd::NavigateError();
  }
  bool Has(const std::string& entry) const { return std::find(log.begin(), log.end(), entry) != log.end(); }
};

class Host : public CWnd {
 public:
  CString failedUrl;
  std::vector<std::wstring> addArgs;
  void OnLoadError(const CString& url) { failedUrl = url; }
  // window.external.Add(a, b): the arguments arrive last first; the answer is a string.
  void OnAdd(DISPPARAMS* params, VARIANT* result) {
    for (UINT i = params->cArgs; i-- > 0;)
      addArgs.push_back(params->rgvarg[i].vt == VT_BSTR ? params->rgvarg[i].bstrVal : L"?");
    VariantClear(result);
    result->vt = VT_BSTR;
    result->bstrVal = SysAllocString(L"sum");
  }
  void OnSecond(DISPPARAMS*, VARIANT*) { addArgs.push_back(L"second"); }
};

// A loopback port nobody listens on (the engine refuses the well-known low ports itself).
int ClosedPort() {
  int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
  getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
  close(s);
  return ntohs(address.sin_port);
}

bool Gone(pid_t pid) { return kill(pid, 0) != 0 && errno == ESRCH; }

// The processes whose parent is `pid` (the engine's own).
std::vector<pid_t> ChildrenOf(pid_t pid) {
  std::vector<pid_t> children;
  for (const auto& entry : fs::directory_iterator("/proc")) {
    const std::string name = entry.path().filename();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    std::getline(stat, line);
    const size_t close = line.rfind(')');
    if (close == std::string::npos) continue;
    char state = 0;
    int parent = 0;
    if (std::sscanf(line.c_str() + close + 1, " %c %d", &state, &parent) == 2 && parent == pid)
      children.push_back(std::stoi(name));
  }
  return children;
}

TEST_F(WebBrowserTest, EventsScriptCallsExternalHandlersErrorsAndTheHelpersEnd) {
  Host host;
  ASSERT_TRUE(host.CreateEx(0, AfxRegisterWndClass(0), L"host", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr));
  RecordingBrowser browser;
  ASSERT_TRUE(browser.Create(L"", L"", WS_CHILD | WS_VISIBLE, CRect(0, 0, 400, 300), &host, 3000));
  const pid_t helper = webbrowser::HelperProcessOf(browser.GetSafeHwnd());
  ASSERT_GT(helper, 0);
  ASSERT_NE(browser.GetExternalDispatch(), nullptr);
  browser.GetExternalDispatch()->RegisterHandler(L"Add", fastdelegate::MakeDelegate(&host, &Host::OnAdd));
  // A second registration of the name is never reached.
  browser.GetExternalDispatch()->RegisterHandler(L"Add", fastdelegate::MakeDelegate(&host, &Host::OnSecond));
  browser.SetLoadErrorCallBack(fastdelegate::MakeDelegate(&host, &Host::OnLoadError));

  // A temporary page: the events in order, then the file is gone.
  const std::string page = WritePage("temp.html");
  browser.Navigate(CString(page.c_str()), 1);
  ASSERT_TRUE(Desktop::Get().PumpUntil([&] { return browser.Has("DocumentComplete"); }, kLoadMs))
      << testing::PrintToString(browser.log);
  ASSERT_EQ(browser.log.size(), 4u);
  EXPECT_EQ(browser.log[0], "BeforeNavigate2 file://" + page);
  EXPECT_EQ(browser.log[1], "DownloadBegin");
  EXPECT_EQ(browser.log[2], "DownloadComplete");
  EXPECT_EQ(browser.log[3], "DocumentComplete");
  EXPECT_FALSE(fs::exists(page));
  EXPECT_TRUE(browser.GetCurrentURL().IsEmpty());
  EXPECT_EQ(browser.GetBeforeNavigate2URL(), CString(("file://" + page).c_str()));

  // The page's script: arguments in order, the result back.
  UI::CWebPage webPage;
  ASSERT_TRUE(webPage.SetDocument(browser.GetDocument()));
  CStringArray args;
  args.Add(L"a");
  args.Add(L"网");
  args.Add(L"c");
  CComVariant result;
  ASSERT_TRUE(webPage.CallJScript(L"join", args, &result));
  ASSERT_EQ(result.vt, VT_BSTR);
  EXPECT_EQ(std::wstring(result.bstrVal), L"a|网|c");
  EXPECT_FALSE(webPage.CallJScript(L"noSuchFunction", args, &result));

  // The page calls the host while the host waits for the page.
  CStringArray two;
  two.Add(L"x");
  two.Add(L"y");
  ASSERT_TRUE(webPage.CallJScript(L"callHost", two, &result));
  EXPECT_EQ(host.addArgs, (std::vector<std::wstring>{L"x", L"y"}));
  ASSERT_EQ(result.vt, VT_BSTR);
  EXPECT_EQ(std::wstring(result.bstrVal), L"sum");
  // Reading a member gives true; an unregistered name is an error in the page.
  CStringArray none;
  ASSERT_TRUE(webPage.CallJScript(L"probe", none, &result));
  EXPECT_EQ(std::wstring(result.bstrVal), L"true,error");

  // A failed navigation reaches the load-error callback with the address being loaded.
  browser.log.clear();
  const CString refused = CString(("http://127.0.0.1:" + std::to_string(ClosedPort()) + "/nothing-here").c_str());
  browser.Navigate(refused, 0);
  ASSERT_TRUE(Desktop::Get().PumpUntil([&] { return !host.failedUrl.IsEmpty(); }, kLoadMs));
  EXPECT_EQ(host.failedUrl, refused);
  EXPECT_TRUE(browser.Has("NavigateError"));
  EXPECT_FALSE(browser.Has("DocumentComplete"));

  // The helper and the engine's processes end with the window.
  const std::vector<pid_t> engine = ChildrenOf(helper);
  EXPECT_FALSE(engine.empty());
  webPage.ReleaseDocument();
  browser.Release();
  EXPECT_TRUE(Gone(helper));
  for (pid_t p : engine)
    EXPECT_TRUE(Desktop::Get().PumpUntil([&] { return Gone(p); }, 10000)) << "engine process " << p << " left";
  host.DestroyWindow();
}

TEST_F(WebBrowserTest, TheHelperEndsWhenTheProgramDies) {
  // Orphans come to this process, which can then see the helper end.
  prctl(PR_SET_CHILD_SUBREAPER, 1);
  int report[2];
  ASSERT_EQ(pipe(report), 0);
  const pid_t program = fork();
  ASSERT_GE(program, 0);
  if (program == 0) {
    auto link = webbrowser::HelperLink::Start(DORV_WEBHOST_PROGRAM, nullptr);
    pid_t helper = link ? link->Pid() : 0;
    if (link) link->Wait(kLoadMs);  // the helper is up
    (void)!write(report[1], &helper, sizeof helper);
    for (;;) pause();  // killed here, without closing anything
  }
  close(report[1]);
  pid_t helper = 0;
  ASSERT_EQ(read(report[0], &helper, sizeof helper), static_cast<ssize_t>(sizeof helper));
  close(report[0]);
  ASSERT_GT(helper, 0);
  kill(program, SIGKILL);
  waitpid(program, nullptr, 0);
  int status = 0;
  EXPECT_TRUE(Desktop::Get().PumpUntil([&] { return waitpid(helper, &status, WNOHANG) == helper; }, 10000));
  prctl(PR_SET_CHILD_SUBREAPER, 0);
}

// A web site on a loopback port of its own (its own origin); it counts the requests of each path.
class Site {
 public:
  explicit Site(std::string page) : m_page(std::move(page)) {
    m_listen = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(m_listen, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(m_listen, 16);
    getsockname(m_listen, reinterpret_cast<sockaddr*>(&address), &length);
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { Serve(); });
  }
  ~Site() {
    shutdown(m_listen, SHUT_RDWR);  // ends the accept
    m_thread.join();
    close(m_listen);
  }
  std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(m_port) + path; }
  int Hits(const std::string& path) {
    std::lock_guard lock(m_lock);
    return m_hits[path];
  }

 private:
  void Serve() {
    for (;;) {
      const int client = accept(m_listen, nullptr, nullptr);
      if (client < 0) return;
      std::string request;
      char buffer[4096];
      while (request.find("\r\n\r\n") == std::string::npos) {
        const ssize_t n = recv(client, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        request.append(buffer, static_cast<size_t>(n));
      }
      const size_t start = request.find(' ') + 1, end = request.find(' ', start);
      {
        std::lock_guard lock(m_lock);
        ++m_hits[request.substr(start, end - start)];
      }
      const std::string reply = "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
                                std::to_string(m_page.size()) + "\r\nConnection: close\r\n\r\n" + m_page;
      (void)!send(client, reply.data(), reply.size(), MSG_NOSIGNAL);
      close(client);
    }
  }
  std::string m_page;
  int m_listen = -1;
  int m_port = 0;
  std::thread m_thread;
  std::mutex m_lock;
  std::map<std::string, int> m_hits;
};

const char* const kSitePage = R"(<html><head><meta charset="utf-8"><script>
function callHost() { try { return String(window.external.Add("x", "y")); } catch (e) { return "refused"; } }
function saveFile() { document.getElementById("save").click(); return "clicked"; }
function go(address) { window.location.href = address; return "going"; }
</script></head><body><a id="save" download="evil.desktop" href="data:application/x-desktop,[Desktop Entry]">save</a>
</body></html>)";

// What a page may make the helper do: only the host's own origin reaches window.external,
// a download saves nothing, and a navigation the host cancels never reaches the network.
TEST_F(WebBrowserTest, PagesGetOnlyWhatTheHostAllows) {
  const fs::path home = m_folder / "home";
  fs::create_directories(home);
  const char* oldHome = std::getenv("HOME");
  const std::string savedHome = oldHome ? oldHome : "";
  setenv("HOME", home.c_str(), 1);  // where the engine would save a download
  Site own(kSitePage), other(kSitePage);
  Host host;
  ASSERT_TRUE(host.CreateEx(0, AfxRegisterWndClass(0), L"host", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr));
  RecordingBrowser browser;
  ASSERT_TRUE(browser.Create(L"", L"", WS_CHILD | WS_VISIBLE, CRect(0, 0, 400, 300), &host, 3000));
  setenv("HOME", savedHome.c_str(), 1);
  browser.GetExternalDispatch()->RegisterHandler(L"Add", fastdelegate::MakeDelegate(&host, &Host::OnAdd));
  auto loaded = [&](const std::string& address) {
    return Desktop::Get().PumpUntil([&] { return browser.Has("DocumentComplete") && browser.GetLocationURL() == CString(address.c_str()); }, kLoadMs);
  };
  UI::CWebPage page;
  auto call = [&](const wchar_t* function, const std::string& argument = "") {
    CStringArray args;
    if (!argument.empty()) args.Add(CString(argument.c_str()));
    CComVariant result;
    page.SetDocument(browser.GetDocument());
    if (!page.CallJScript(function, args, &result) || result.vt != VT_BSTR) return std::string("no answer");
    return WideToUtf8(result.bstrVal);
  };

  browser.Navigate(CString(own.Url("/home").c_str()), 0);
  ASSERT_TRUE(loaded(own.Url("/home"))) << testing::PrintToString(browser.log);
  EXPECT_EQ(call(L"callHost"), "sum");
  EXPECT_EQ(host.addArgs, (std::vector<std::wstring>{L"x", L"y"}));
  EXPECT_EQ(call(L"saveFile"), "clicked");

  // The host cancels: the page's request is never made.
  browser.cancelWhen = "/cancelled";
  EXPECT_EQ(call(L"go", own.Url("/cancelled")), "going");
  ASSERT_TRUE(Desktop::Get().PumpUntil([&] { return browser.Has("BeforeNavigate2 " + own.Url("/cancelled")); }, kLoadMs));

  // The page leads on to another origin, which the host lets it load but not call it.
  browser.log.clear();
  EXPECT_EQ(call(L"go", other.Url("/elsewhere")), "going");
  ASSERT_TRUE(loaded(other.Url("/elsewhere"))) << testing::PrintToString(browser.log);
  EXPECT_EQ(call(L"callHost"), "refused");
  EXPECT_EQ(host.addArgs.size(), 2u);
  EXPECT_EQ(own.Hits("/cancelled"), 0);
  EXPECT_TRUE(fs::is_empty(home));

  // The page's process runs in the engine's sandbox (a process namespace of its own).
  auto pidSpace = [](pid_t pid) {
    std::error_code error;
    return fs::read_symlink("/proc/" + std::to_string(pid) + "/ns/pid", error).string();
  };
  std::vector<pid_t> engine = ChildrenOf(webbrowser::HelperProcessOf(browser.GetSafeHwnd()));
  bool contained = false;
  for (size_t i = 0; i < engine.size(); ++i) {
    contained = contained || pidSpace(engine[i]) != pidSpace(getpid());
    for (pid_t child : ChildrenOf(engine[i])) engine.push_back(child);
  }
  EXPECT_TRUE(contained || !fs::exists("/usr/bin/bwrap"));

  page.ReleaseDocument();
  browser.Release();
  host.DestroyWindow();
}

// The skinned control in a form on the display: the page covers the control's bounds.
TEST_F(WebBrowserTest, TheControlShowsItsPageInAFormOnTheDisplay) {
  const std::string css =
      "<css><CUIForm><Win BkColor=\"240, 240, 240\"/></CUIForm>"
      "<CUIPanel><Frame BkColor=\"90, 90, 110\"/></CUIPanel>"
      "<CUILabel><Title><Font TextColor=\"255, 255, 255\" FontSize=\"16\"/></Title></CUILabel></css>"
      "<ass><CUIPanel><Frame Size=\"480, 40\" AnchorStyle=\"topleft\"/></CUIPanel>"
      "<CUILabel><Title Size=\"300, 30\" AnchorStyle=\"topleft\" Margin=\"12, 8, 0, 0\"/></CUILabel>"
      "<CUIWebBrowser><Web Size=\"440, 250\" AnchorStyle=\"topleft\" Margin=\"20, 50, 0, 0\"/></CUIWebBrowser></ass>";
  const std::string build =
      "<Fixture css=\"Win\"><Frame type=\"CUIPanel\" css=\"Frame\" ass=\"Frame\"/>"
      "<Title type=\"CUILabel\" css=\"Title\" ass=\"Title\"/>"
      "<Web type=\"CUIWebBrowser\" ass=\"Web\"/></Fixture>";
  if (!uitest::InProgramFolder(uitest::SkinTheme(css, "", build))) return;
  UI::CUISkinManager::GetInstance()->InitSkinData();
  ASSERT_TRUE(x11test::Present(*Server()));
  UI::CUISkinManager::GetInstance()->InitSkinData();
  uitest::FixtureForm form;
  ASSERT_EQ(form.Make(480, 320, 60, 60), 1);
  if (auto* title = form.Get<UI::CUILabel>(L"Title")) title->SetText(L"网页控件 (CUIWebBrowser)", TRUE);
  auto* web = form.Get<UI::CUIWebBrowser>(L"Web");
  ASSERT_NE(web, nullptr);
  ASSERT_TRUE(web->IsVisible());
  const std::string page = WritePage("shown.html");
  web->GoURL(CString(page.c_str()), 1);
  ASSERT_TRUE(Desktop::Get().PumpUntil([&] { return !fs::exists(page); }, kLoadMs));
  EXPECT_EQ(web->GetPreviousURL(), CString(page.c_str()));
  CComVariant result;
  ASSERT_EQ(web->CallJScript(L"join", L"1", L"2", L"3", &result), 1);
  EXPECT_EQ(std::wstring(result.bstrVal), L"1|2|3");
  EXPECT_EQ(web->RegisterInvoke(L"", UI::InvokeHandler()), 0);

  // The page's blue is drawn inside the control's bounds, on the screen.
  const CRect bounds = web->GetBounds();
  POINT inside{60 + bounds.left + bounds.Width() / 2, 60 + bounds.bottom - 10};
  const bool drawn = Desktop::Get().PumpUntil([&] {
    display::Pixels screen = Server()->Screen();
    return screen.At(inside.x, inside.y) == RGB(0x3A, 0x7B, 0xD5);
  }, 20000);
  Server()->Screen().WritePng(DORV_SCREENSHOTS "/web-browser.png");
  EXPECT_TRUE(drawn);

  // Hidden with the control at once.
  web->SetTempVisible(0);
  EXPECT_FALSE(web->IsVisible());
  form.DestroyWindow();
  Desktop::Get().SetPresenter(nullptr);
}

}  // namespace
