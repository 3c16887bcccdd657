// DorvWebHost: one web view for one web browser control of the program, which started
// this process with a socket on fd 3 (--fd). The view lives in a window embedded in the
// program's window on the display (GtkPlug into the X window the control names), or off
// the screen while the control has no window on a display. The process ends when the
// socket closes.
#include <gtk/gtk.h>
#include <gtk/gtkx.h>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <webkit2/webkit2.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "ExternalScript.h"
#include "webbrowser/WebHostWire.h"

namespace {

using webhost::ValueKind;
using webhost::WireMessage;
using webhost::WireType;
using webhost::WireValue;

constexpr int32_t kDispBeforeNavigate2 = 250;
constexpr int32_t kDispDownloadBegin = 106;
constexpr int32_t kDispDownloadComplete = 104;
constexpr int32_t kDispDocumentComplete = 259;
constexpr int32_t kDispNavigateError = 271;
constexpr int32_t kUnknownName = static_cast<int32_t>(0x80020006);
constexpr int32_t kException = static_cast<int32_t>(0x80020009);
constexpr int32_t kFail = static_cast<int32_t>(0x80004005);
constexpr int kMaxSize = 16384;  // pixels a side
// How long a navigation waits for the control's answer to BeforeNavigate2; one
// not answered by then does not start.
constexpr guint kNavigationAnswerMs = 10000;

struct Host {
  int socket = -1;
  webhost::FrameReader frames;
  WebKitWebView* view = nullptr;
  GtkWidget* frame = nullptr;     // the border around the view
  GtkWidget* toplevel = nullptr;  // a plug or an off-screen window
  unsigned long parent = 0;       // the X window embedded in (0: off-screen)
  bool failed = false;            // the current load reported an error
  bool contextMenu = true;
  std::string token;
  uint32_t nextRequest = 1;
  std::map<uint32_t, WebKitScriptDialog*> waiting;  // window.external calls the host answers
  // Navigations held until the host answers BeforeNavigate2, with their time limits.
  struct Held {
    WebKitPolicyDecision* decision;
    guint timer;
  };
  std::map<uint32_t, Held> navigations;
  // window.external answers pages of this origin only: the one the host opened.
  std::string allowedOrigin;
};

Host g;

void Send(const WireMessage& message) {
  const std::string frame = webhost::Encode(message);
  size_t done = 0;
  while (done < frame.size()) {
    ssize_t n = send(g.socket, frame.data() + done, frame.size() - done, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      gtk_main_quit();
      return;
    }
    done += static_cast<size_t>(n);
  }
}

// With an id, the control answers the event (BeforeNavigate2: whether to cancel).
void SendEvent(int32_t dispid, const char* uri, int32_t status = 0, uint32_t id = 0) {
  if (std::getenv("DORV_WEBHOST_TRACE")) std::fprintf(stderr, "webhost: event %d %s\n", dispid, uri ? uri : "");
  WireMessage event;
  event.type = WireType::Event;
  event.id = id;
  event.n[0] = dispid;
  event.n[1] = status;
  event.text = uri ? uri : "";
  Send(event);
}

WireValue FromJs(JSCValue* value) {
  WireValue out;
  if (!value || jsc_value_is_undefined(value)) return out;
  if (jsc_value_is_null(value)) {
    out.kind = ValueKind::Null;
  } else if (jsc_value_is_boolean(value)) {
    out = WireValue::Boolean(jsc_value_to_boolean(value));
  } else if (jsc_value_is_number(value)) {
    const double d = jsc_value_to_double(value);
    if (d >= INT32_MIN && d <= INT32_MAX && d == static_cast<double>(static_cast<int32_t>(d))) {
      out = WireValue::Int(static_cast<int32_t>(d));
    } else {
      out.kind = ValueKind::Double;
      out.number = d;
    }
  } else if (jsc_value_is_string(value)) {
    char* s = jsc_value_to_string(value);
    out = WireValue::String(s ? s : "");
    g_free(s);
  } else {
    char* s = jsc_value_to_json(value, 0);  // an object travels as its JSON text
    out = WireValue::String(s ? s : "");
    g_free(s);
  }
  return out;
}

GVariant* ToGVariant(const WireValue& v) {
  switch (v.kind) {
    case ValueKind::Boolean: return g_variant_new_boolean(v.boolean);
    case ValueKind::Int: return g_variant_new_int32(v.integer);
    case ValueKind::Double: return g_variant_new_double(v.number);
    case ValueKind::String:
      if (g_utf8_validate(v.text.data(), static_cast<gssize>(v.text.size()), nullptr))
        return g_variant_new_string(v.text.c_str());
      return g_variant_new_string("");
    default: return g_variant_new_string("");
  }
}

// A value for the page's window.external: a kind letter and text (s string, escaped
// as a URI component; n number; b boolean; z null).
std::string Encode(const WireValue& v) {
  switch (v.kind) {
    case ValueKind::Boolean: return v.boolean ? "b1" : "b0";
    case ValueKind::Int: return "n" + std::to_string(v.integer);
    case ValueKind::Double: {
      char buffer[G_ASCII_DTOSTR_BUF_SIZE];
      return std::isfinite(v.number) ? std::string("n") + g_ascii_dtostr(buffer, sizeof buffer, v.number) : "z";
    }
    case ValueKind::String: {
      gchar* escaped = g_uri_escape_string(v.text.c_str(), nullptr, FALSE);
      std::string out = "s" + std::string(escaped ? escaped : "");
      g_free(escaped);
      return out;
    }
    case ValueKind::Null: return "z";
    default: return "";
  }
}

WireValue Decode(const char* text) {
  WireValue out;
  switch (text[0]) {
    case 's': {
      gchar* plain = g_uri_unescape_string(text + 1, nullptr);
      out = WireValue::String(plain ? plain : "");
      g_free(plain);
      break;
    }
    case 'n': {
      char* end = nullptr;
      const double d = g_ascii_strtod(text + 1, &end);
      if (d >= INT32_MIN && d <= INT32_MAX && d == static_cast<double>(static_cast<int32_t>(d))) {
        out = WireValue::Int(static_cast<int32_t>(d));
      } else {
        out.kind = ValueKind::Double;
        out.number = d;
      }
      break;
    }
    case 'b': out = WireValue::Boolean(text[1] == '1'); break;
    case 'z': out.kind = ValueKind::Null; break;
    default: break;
  }
  return out;
}

// --- the control's requests ---

void Place(const WireMessage& m);

void ScriptDone(GObject* source, GAsyncResult* result, gpointer data) {
  const uint32_t id = GPOINTER_TO_UINT(data);
  GError* error = nullptr;
  JSCValue* value = webkit_web_view_call_async_javascript_function_finish(WEBKIT_WEB_VIEW(source), result, &error);
  WireMessage answer;
  answer.type = WireType::Result;
  answer.id = id;
  if (!value) {
    answer.n[0] = kException;
    if (std::getenv("DORV_WEBHOST_TRACE")) std::fprintf(stderr, "webhost: script failed: %s\n", error->message);
    g_error_free(error);
  } else {
    answer.values.push_back(FromJs(value));
    g_object_unref(value);
  }
  Send(answer);
}

void LookupDone(GObject* source, GAsyncResult* result, gpointer data) {
  const uint32_t id = GPOINTER_TO_UINT(data);
  GError* error = nullptr;
  JSCValue* value = webkit_web_view_call_async_javascript_function_finish(WEBKIT_WEB_VIEW(source), result, &error);
  WireMessage answer;
  answer.type = WireType::Result;
  answer.id = id;
  answer.n[0] = value && jsc_value_is_boolean(value) && jsc_value_to_boolean(value) ? 0 : kUnknownName;
  if (error && std::getenv("DORV_WEBHOST_TRACE")) std::fprintf(stderr, "webhost: look-up failed: %s\n", error->message);
  if (value) g_object_unref(value);
  if (error) g_error_free(error);
  Send(answer);
}

void RunScript(const WireMessage& m) {
  const bool lookup = m.type == WireType::ScriptLookup;
  if (!g_utf8_validate(m.text.data(), static_cast<gssize>(m.text.size()), nullptr)) {
    WireMessage answer;
    answer.type = WireType::Result;
    answer.id = m.id;
    answer.n[0] = kUnknownName;
    Send(answer);
    return;
  }
  GVariantBuilder arguments;
  g_variant_builder_init(&arguments, G_VARIANT_TYPE("a{sv}"));
  g_variant_builder_add(&arguments, "{sv}", "name", g_variant_new_string(m.text.c_str()));
  const char* body = "return typeof window[name] === 'function';";
  std::string call;
  if (!lookup) {
    // Each argument is a parameter of its own (a0, a1, ...); null and undefined are written out.
    call = "return window[name].call(window";
    for (size_t i = 0; i < m.values.size(); ++i) {
      const WireValue& v = m.values[i];
      if (v.kind == ValueKind::Null || v.kind == ValueKind::Empty) {
        call += v.kind == ValueKind::Null ? ", null" : ", undefined";
        continue;
      }
      const std::string param = "a" + std::to_string(i);
      g_variant_builder_add(&arguments, "{sv}", param.c_str(), ToGVariant(v));
      call += ", " + param;
    }
    call += ");";
    body = call.c_str();
  }
  webkit_web_view_call_async_javascript_function(g.view, body, -1, g_variant_builder_end(&arguments), nullptr,
                                                 nullptr, nullptr, lookup ? LookupDone : ScriptDone,
                                                 GUINT_TO_POINTER(m.id));
}

void ExecCommand(const WireMessage& m) {
  switch (m.n[0]) {
    case 11: webkit_web_view_execute_editing_command(g.view, WEBKIT_EDITING_COMMAND_CUT); break;
    case 12: webkit_web_view_execute_editing_command(g.view, WEBKIT_EDITING_COMMAND_COPY); break;
    case 13: webkit_web_view_execute_editing_command(g.view, WEBKIT_EDITING_COMMAND_PASTE); break;
    case 15: webkit_web_view_execute_editing_command(g.view, WEBKIT_EDITING_COMMAND_UNDO); break;
    case 16: webkit_web_view_execute_editing_command(g.view, WEBKIT_EDITING_COMMAND_REDO); break;
    case 17: webkit_web_view_execute_editing_command(g.view, WEBKIT_EDITING_COMMAND_SELECT_ALL); break;
    case 33: webkit_web_view_execute_editing_command(g.view, "Delete"); break;
    case 22: webkit_web_view_reload(g.view); break;
    case 23: webkit_web_view_stop_loading(g.view); break;
    case webhost::kGoBack: webkit_web_view_go_back(g.view); break;
    case webhost::kGoForward: webkit_web_view_go_forward(g.view); break;
    default: break;
  }
}

void ApplySettings(const WireMessage& m) {
  g.contextMenu = m.n[0] != 0;
  gtk_frame_set_shadow_type(GTK_FRAME(g.frame), m.n[1] ? GTK_SHADOW_IN : GTK_SHADOW_NONE);
  WebKitUserContentManager* content = webkit_web_view_get_user_content_manager(g.view);
  webkit_user_content_manager_remove_all_style_sheets(content);
  const char* css = nullptr;
  if (m.n[2] == 0) css = "html, body { overflow: hidden !important; }";
  else if (m.n[2] == 2)
    css = "::-webkit-scrollbar { width: 10px; height: 10px; background: #f0f0f0; }"
          "::-webkit-scrollbar-thumb { background: #c0c0c0; }";
  if (css) {
    WebKitUserStyleSheet* sheet = webkit_user_style_sheet_new(css, WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES,
                                                              WEBKIT_USER_STYLE_LEVEL_USER, nullptr, nullptr);
    webkit_user_content_manager_add_style_sheet(content, sheet);
    webkit_user_style_sheet_unref(sheet);
  }
}

// scheme://host:port of an address; empty when it has none.
std::string OriginOf(const char* uri) {
  if (!uri || !*uri) return {};
  WebKitSecurityOrigin* origin = webkit_security_origin_new_for_uri(uri);
  if (!origin) return {};
  const char* scheme = webkit_security_origin_get_protocol(origin);
  const char* host = webkit_security_origin_get_host(origin);
  std::string text = std::string(scheme ? scheme : "") + "://" + (host ? host : "") + ":" +
                     std::to_string(webkit_security_origin_get_port(origin));
  webkit_security_origin_unref(origin);
  return scheme ? text : std::string();
}

void Navigate(const std::string& address) {
  std::string uri = address;
  if (!address.empty() && address[0] == '/') {  // a local path, as the program names its files
    if (gchar* file = g_filename_to_uri(address.c_str(), nullptr, nullptr)) {
      uri = file;
      g_free(file);
    }
  }
  if (!g_utf8_validate(uri.data(), static_cast<gssize>(uri.size()), nullptr)) uri = "about:blank";
  if (std::getenv("DORV_WEBHOST_TRACE")) std::fprintf(stderr, "webhost: load %s\n", uri.c_str());
  g.allowedOrigin = OriginOf(uri.c_str());
  webkit_web_view_load_uri(g.view, uri.c_str());
}

void Decide(uint32_t id, bool go) {
  auto found = g.navigations.find(id);
  if (found == g.navigations.end()) return;
  const Host::Held held = found->second;
  g.navigations.erase(found);
  if (held.timer) g_source_remove(held.timer);
  if (go) {
    webkit_policy_decision_use(held.decision);
  } else {
    webkit_policy_decision_ignore(held.decision);
  }
  g_object_unref(held.decision);
}

gboolean OnNavigationUnanswered(gpointer data) {
  const uint32_t id = GPOINTER_TO_UINT(data);
  auto found = g.navigations.find(id);
  if (found != g.navigations.end()) found->second.timer = 0;  // this source ends now
  Decide(id, false);
  return G_SOURCE_REMOVE;
}

void AnswerExternal(const WireMessage& m) {
  if (g.navigations.count(m.id)) {
    Decide(m.id, m.n[0] == 0);  // n[0]: the host's Cancel
    return;
  }
  auto found = g.waiting.find(m.id);
  if (found == g.waiting.end()) return;
  WebKitScriptDialog* dialog = found->second;
  g.waiting.erase(found);
  std::string reply = std::to_string(m.n[0]);
  if (!m.values.empty()) reply += "\n" + Encode(m.values[0]);
  webkit_script_dialog_prompt_set_text(dialog, reply.c_str());
  webkit_script_dialog_close(dialog);
  webkit_script_dialog_unref(dialog);
}

void Handle(const WireMessage& m) {
  if (std::getenv("DORV_WEBHOST_TRACE")) std::fprintf(stderr, "webhost: message %d\n", static_cast<int>(m.type));
  switch (m.type) {
    case WireType::Navigate: Navigate(m.text); break;
    case WireType::ExecCommand: ExecCommand(m); break;
    case WireType::Place: Place(m); break;
    case WireType::Settings: ApplySettings(m); break;
    case WireType::ScriptLookup:
    case WireType::ScriptCall: RunScript(m); break;
    case WireType::Answer: AnswerExternal(m); break;
    default: break;  // the helper's own kinds are not asked of it
  }
}

gboolean OnSocket(GIOChannel*, GIOCondition condition, gpointer) {
  if (std::getenv("DORV_WEBHOST_TRACE")) std::fprintf(stderr, "webhost: socket %d\n", static_cast<int>(condition));
  if (condition & G_IO_IN) {
    uint8_t buffer[65536];
    ssize_t n = recv(g.socket, buffer, sizeof buffer, 0);
    if (n < 0 && errno == EINTR) return TRUE;
    if (n > 0) {
      g.frames.Append(buffer, static_cast<size_t>(n));
      while (auto message = g.frames.Next()) Handle(*message);
      if (!g.frames.Broken()) return TRUE;
    }
  }
  gtk_main_quit();  // the control went, or spoke nonsense
  return FALSE;
}

// --- where the view is shown ---

void MakeToplevel(unsigned long parent) {
  GtkWidget* old = g.toplevel;
  g_object_ref(g.frame);
  if (old) gtk_container_remove(GTK_CONTAINER(old), g.frame);
  g.toplevel = parent ? gtk_plug_new(static_cast<Window>(parent)) : gtk_offscreen_window_new();
  g.parent = parent;
  gtk_container_add(GTK_CONTAINER(g.toplevel), g.frame);
  g_object_unref(g.frame);
  if (old) gtk_widget_destroy(old);
  gtk_widget_show_all(g.toplevel);
}

void Place(const WireMessage& m) {
  if (std::getenv("DORV_WEBHOST_TRACE")) std::fprintf(stderr, "webhost: place %d %d %d %d %d %d\n", m.n[0], m.n[1], m.n[2], m.n[3], m.n[4], m.n[5]);
  const unsigned long parent = static_cast<uint32_t>(m.n[0]);
  const int width = std::clamp(m.n[3], 1, kMaxSize), height = std::clamp(m.n[4], 1, kMaxSize);
  if (parent != g.parent || !g.toplevel) MakeToplevel(parent);
  if (!parent) {
    gtk_window_resize(GTK_WINDOW(g.toplevel), width, height);
    gtk_widget_set_size_request(g.frame, width, height);
    return;
  }
  gtk_widget_set_size_request(g.frame, width, height);
  gtk_widget_set_visible(g.toplevel, m.n[5] != 0);
  if (GdkWindow* window = gtk_widget_get_window(g.toplevel)) {
    gdk_window_move_resize(window, m.n[1], m.n[2], width, height);
    // The program's window is no XEmbed socket: the plug maps itself.
    if (m.n[5]) gdk_window_show(window);
    else gdk_window_hide(window);
  }
}

// --- the page's signals ---

gboolean OnDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision, WebKitPolicyDecisionType type, gpointer) {
  if (type == WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION) {
    // The navigation starts only once the host has had its say.
    WebKitNavigationAction* action =
        webkit_navigation_policy_decision_get_navigation_action(WEBKIT_NAVIGATION_POLICY_DECISION(decision));
    WebKitURIRequest* request = webkit_navigation_action_get_request(action);
    g.failed = false;
    const uint32_t id = g.nextRequest++;
    g.navigations[id] = {WEBKIT_POLICY_DECISION(g_object_ref(decision)),
                         g_timeout_add(kNavigationAnswerMs, OnNavigationUnanswered, GUINT_TO_POINTER(id))};
    SendEvent(kDispBeforeNavigate2, webkit_uri_request_get_uri(request), 0, id);
    return TRUE;
  }
  if (type == WEBKIT_POLICY_DECISION_TYPE_RESPONSE &&
      !webkit_response_policy_decision_is_mime_type_supported(WEBKIT_RESPONSE_POLICY_DECISION(decision))) {
    webkit_policy_decision_ignore(decision);  // what the view cannot show would become a download
    return TRUE;
  }
  webkit_policy_decision_use(decision);
  return TRUE;
}

// Pages save nothing on the user's disk: the host offers no downloads.
void OnDownloadStarted(WebKitWebContext*, WebKitDownload* download, gpointer) {
  if (std::getenv("DORV_WEBHOST_TRACE")) std::fprintf(stderr, "webhost: download refused\n");
  webkit_download_cancel(download);
}

void OnLoadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer) {
  switch (event) {
    case WEBKIT_LOAD_STARTED: SendEvent(kDispDownloadBegin, nullptr); break;
    case WEBKIT_LOAD_COMMITTED: {
      WebKitWebResource* resource = webkit_web_view_get_main_resource(view);
      WebKitURIResponse* response = resource ? webkit_web_resource_get_response(resource) : nullptr;
      const guint status = response ? webkit_uri_response_get_status_code(response) : 0;
      if (status >= 400) {
        g.failed = true;
        SendEvent(kDispNavigateError, webkit_web_view_get_uri(view), static_cast<int32_t>(status));
      }
      break;
    }
    case WEBKIT_LOAD_FINISHED:
      SendEvent(kDispDownloadComplete, nullptr);
      if (!g.failed) SendEvent(kDispDocumentComplete, webkit_web_view_get_uri(view));
      break;
    default: break;
  }
}

gboolean OnLoadFailed(WebKitWebView*, WebKitLoadEvent, gchar* uri, GError* error, gpointer) {
  if (g_error_matches(error, WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_CANCELLED) ||
      g_error_matches(error, WEBKIT_POLICY_ERROR, WEBKIT_POLICY_ERROR_FRAME_LOAD_INTERRUPTED_BY_POLICY_CHANGE))
    return FALSE;  // another navigation took over: not an error of the page
  g.failed = true;
  SendEvent(kDispNavigateError, uri, 0);
  return TRUE;  // no engine error page: the host shows what it wants
}

gboolean OnScriptDialog(WebKitWebView* view, WebKitScriptDialog* dialog, gpointer) {
  if (webkit_script_dialog_get_dialog_type(dialog) != WEBKIT_SCRIPT_DIALOG_PROMPT ||
      g.token != webkit_script_dialog_get_message(dialog))
    return FALSE;
  auto refuse = [&] {
    webkit_script_dialog_prompt_set_text(dialog, std::to_string(kFail).c_str());
    return TRUE;
  };
  // A page the user or another page led to is no page of the host's.
  const std::string origin = OriginOf(webkit_web_view_get_uri(view));
  if (origin.empty() || origin != g.allowedOrigin) return refuse();
  const char* text = webkit_script_dialog_prompt_get_default_text(dialog);
  if (!text || std::strlen(text) > webhost::kMaxFrame / 2) return refuse();
  gchar** lines = g_strsplit(text, "\n", -1);
  const guint count = g_strv_length(lines);
  WireMessage ask;
  ask.id = g.nextRequest++;
  bool ok = true;
  if (count == 2 && std::strcmp(lines[0], "id") == 0) {
    gchar* name = g_uri_unescape_string(lines[1], nullptr);
    ask.type = WireType::ExternalLookup;
    ask.text = name ? name : "";
    ok = name != nullptr;
    g_free(name);
  } else if (count >= 3 && count - 3 <= webhost::kMaxValues && std::strcmp(lines[0], "call") == 0) {
    ask.type = WireType::ExternalInvoke;
    ask.n[0] = static_cast<int32_t>(g_ascii_strtoll(lines[1], nullptr, 10));
    ask.n[1] = static_cast<int32_t>(g_ascii_strtoll(lines[2], nullptr, 10));
    for (guint i = 3; i < count; ++i) ask.values.push_back(Decode(lines[i]));
  } else {
    ok = false;
  }
  g_strfreev(lines);
  if (!ok) return refuse();
  g.waiting[ask.id] = webkit_script_dialog_ref(dialog);  // answered when the host replies
  Send(ask);
  return TRUE;
}

gboolean OnContextMenu(WebKitWebView*, WebKitContextMenu*, GdkEvent*, WebKitHitTestResult*, gpointer) {
  return g.contextMenu ? FALSE : TRUE;
}

// Keys the host handles itself (its edit commands, Escape) go to it and not to the page.
gboolean OnKey(GtkWidget*, GdkEventKey* event, gpointer) {
  const bool ctrl = event->state & GDK_CONTROL_MASK;
  int vk = 0;
  const guint key = gdk_keyval_to_lower(event->keyval);
  if (ctrl && (key == GDK_KEY_a || key == GDK_KEY_c || key == GDK_KEY_v || key == GDK_KEY_x || key == GDK_KEY_z))
    vk = 'A' + static_cast<int>(key - GDK_KEY_a);
  else if (key == GDK_KEY_Delete)
    vk = 0x2E;
  else if (key == GDK_KEY_Escape)
    vk = 0x1B;
  if (!vk) return FALSE;
  WireMessage m;
  m.type = WireType::Key;
  m.n[0] = vk;
  m.n[1] = ctrl ? 1 : 0;
  Send(m);
  return TRUE;
}

std::string MakeToken() {
  guint32 parts[4];
  for (guint32& p : parts) p = g_random_int();
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "dorv-external-%08x%08x%08x%08x", parts[0], parts[1], parts[2], parts[3]);
  return buffer;
}

}  // namespace

int main(int argc, char** argv) {
  int fd = -1;
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "--fd") == 0) fd = std::atoi(argv[i + 1]);
  if (fd < 0) {
    std::fprintf(stderr, "usage: DorvWebHost --fd N (started by the web browser control)\n");
    return 2;
  }
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  g.socket = fd;
  fcntl(fd, F_SETFD, FD_CLOEXEC);  // the engine's own processes must not hold the control's socket
  // Under a plain X server (Xvfb, no GPU) the engine draws without compositing.
  g_setenv("WEBKIT_DISABLE_COMPOSITING_MODE", "1", FALSE);
  if (!gtk_init_check(&argc, &argv)) {
    std::fprintf(stderr, "DorvWebHost: no display\n");
    return 3;
  }
  g.token = MakeToken();

  WebKitWebContext* context = webkit_web_context_new_ephemeral();  // no cache or cookies on disk
  // The pages' processes run in the engine's sandbox wherever bubblewrap is there to make it.
  if (gchar* bwrap = g_find_program_in_path("bwrap")) {
    webkit_web_context_set_sandbox_enabled(context, TRUE);
    // The program shows its own pages from files in the temporary folder.
    webkit_web_context_add_path_to_sandbox(context, g_get_tmp_dir(), TRUE);
    g_free(bwrap);
  }
  g_signal_connect(context, "download-started", G_CALLBACK(OnDownloadStarted), nullptr);
  webkit_web_context_set_cache_model(context, WEBKIT_CACHE_MODEL_DOCUMENT_VIEWER);
  WebKitUserContentManager* content = webkit_user_content_manager_new();
  std::string source = webhost::ExternalScriptSource();
  source.replace(source.find("TOKEN"), 5, g.token);
  WebKitUserScript* script = webkit_user_script_new(source.c_str(), WEBKIT_USER_CONTENT_INJECT_TOP_FRAME,
                                                    WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, nullptr, nullptr);
  webkit_user_content_manager_add_script(content, script);
  webkit_user_script_unref(script);
  g.view = WEBKIT_WEB_VIEW(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", context, "user-content-manager",
                                        content, nullptr));
  g_signal_connect(g.view, "decide-policy", G_CALLBACK(OnDecidePolicy), nullptr);
  g_signal_connect(g.view, "load-changed", G_CALLBACK(OnLoadChanged), nullptr);
  g_signal_connect(g.view, "load-failed", G_CALLBACK(OnLoadFailed), nullptr);
  g_signal_connect(g.view, "script-dialog", G_CALLBACK(OnScriptDialog), nullptr);
  g_signal_connect(g.view, "context-menu", G_CALLBACK(OnContextMenu), nullptr);
  g_signal_connect(g.view, "key-press-event", G_CALLBACK(OnKey), nullptr);
  g.frame = gtk_frame_new(nullptr);
  gtk_container_add(GTK_CONTAINER(g.frame), GTK_WIDGET(g.view));
  MakeToplevel(0);

  GIOChannel* channel = g_io_channel_unix_new(fd);
  g_io_add_watch(channel, static_cast<GIOCondition>(G_IO_IN | G_IO_HUP | G_IO_ERR), OnSocket, nullptr);
  WireMessage ready;
  ready.type = WireType::Ready;
  Send(ready);
  gtk_main();
  // Pending prompts are let go with the view; the engine's processes end with this one.
  for (auto& [id, dialog] : g.waiting) webkit_script_dialog_unref(dialog);
  for (auto& [id, held] : g.navigations) g_object_unref(held.decision);
  return 0;
}
