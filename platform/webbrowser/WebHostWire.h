#pragma once
// The messages between a web browser control and its helper process (DorvWebHost),
// over a stream socket: each frame is a 32-bit little-endian length and that many
// bytes. Both sides read what the other wrote as untrusted: every length is bounded,
// and a frame that does not decode is refused whole. Plain C++ only: the helper
// links this file and nothing else of the layer.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace webhost {

constexpr uint32_t kMaxFrame = 1u << 20;  // bytes of one message
constexpr uint32_t kMaxValues = 64;       // arguments of one call

enum class WireType : uint8_t {
  // control to helper
  Navigate = 1,     // text: the address
  ExecCommand,      // n[0]: the command id, n[1]: the option
  Place,            // n[0]: parent X window (0: off-screen), n[1..4]: x, y, width, height, n[5]: shown
  Settings,         // n[0]: context menu allowed, n[1]: 3-D border, n[2]: scroll bars shown
  ScriptLookup,     // id, text: a name of the page's script
  ScriptCall,       // id, text: the function, values: its arguments in order
  Answer,           // id of the helper's request, n[0]: result code (BeforeNavigate2: Cancel), values[0]: the value
  // helper to control
  Ready = 32,       // n[0]: the helper's own X window when embedded (0: none)
  Event,            // n[0]: the event's DISPID, text: the address, n[1]: the HTTP status (0: none);
                    // with an id, the helper waits for the control's Answer (BeforeNavigate2)
  Result,           // id of the control's request, n[0]: result code, values[0]: the value
  ExternalLookup,   // id, text: a name asked of window.external
  ExternalInvoke,   // id, n[0]: member id, n[1]: call flags, values: the arguments in order
  Key,              // n[0]: virtual key, n[1]: Ctrl held
};

// ExecCommand's ids besides the edit and page commands of ExecWB.
constexpr int32_t kGoBack = -1;
constexpr int32_t kGoForward = -2;

enum class ValueKind : uint8_t { Empty = 0, Null, Boolean, Int, Double, String };

struct WireValue {
  ValueKind kind = ValueKind::Empty;
  bool boolean = false;
  int32_t integer = 0;
  double number = 0;
  std::string text;  // UTF-8

  static WireValue String(std::string s) {
    WireValue v;
    v.kind = ValueKind::String;
    v.text = std::move(s);
    return v;
  }
  static WireValue Int(int32_t i) {
    WireValue v;
    v.kind = ValueKind::Int;
    v.integer = i;
    return v;
  }
  static WireValue Boolean(bool b) {
    WireValue v;
    v.kind = ValueKind::Boolean;
    v.boolean = b;
    return v;
  }
};

struct WireMessage {
  WireType type = WireType::Navigate;
  uint32_t id = 0;
  int32_t n[6] = {0, 0, 0, 0, 0, 0};
  std::string text;  // UTF-8
  std::vector<WireValue> values;
};

// The frame of a message, length first; empty when it would pass the bounds.
std::string Encode(const WireMessage& message);
// One frame's payload (without its length); nothing when it is malformed.
std::optional<WireMessage> Decode(const uint8_t* data, size_t size);

// Collects bytes as they arrive and hands out whole frames.
class FrameReader {
 public:
  void Append(const uint8_t* data, size_t size);
  // The next message; nothing when no whole frame is there yet. A frame that
  // announces more than kMaxFrame or does not decode breaks the stream: Broken()
  // turns true and the reader gives nothing more.
  std::optional<WireMessage> Next();
  bool Broken() const { return m_broken; }

 private:
  std::string m_buffer;
  size_t m_start = 0;
  bool m_broken = false;
};

}  // namespace webhost
