#include "ExternalScript.h"

namespace webhost {

const char* ExternalScriptSource() {
  return R"JS((function () {
  var token = "TOKEN";
  var prompt = window.prompt.bind(window);
  // Values travel as a kind letter and text: s string, n number, b boolean, z null.
  function encode(v) {
    if (v === null || v === undefined) return "z";
    if (typeof v === "number") return "n" + String(v);
    if (typeof v === "boolean") return v ? "b1" : "b0";
    if (typeof v === "string") return "s" + encodeURIComponent(v);
    return "s" + encodeURIComponent(JSON.stringify(v));
  }
  function decode(t) {
    if (t === undefined || t === "") return undefined;
    var k = t.charAt(0), x = t.substring(1);
    if (k === "s") return decodeURIComponent(x);
    if (k === "n") return Number(x);
    if (k === "b") return x === "1";
    return null;
  }
  function ask(lines) {
    var reply = prompt(token, lines.join("\n"));
    var parts = reply ? String(reply).split("\n") : ["-2147467259"];
    var hr = parseInt(parts[0], 10);
    if (!(hr >= 0)) {
      throw new TypeError("window.external: 0x" + (hr >>> 0).toString(16));
    }
    return decode(parts[1]);
  }
  var ids = {};
  // Reading a member is a property get (the host answers true for any member it has);
  // the value read is also the function that calls the member as a method.
  var external = new Proxy({}, {
    get: function (target, name) {
      if (typeof name !== "string" || name === "then") return undefined;
      var id = ids[name];
      if (id === undefined) {
        id = ask(["id", encodeURIComponent(name)]);
        ids[name] = id;
      }
      var value = ask(["call", String(id), "2"]);
      var member = function () {
        return ask(["call", String(id), "1"].concat(Array.prototype.slice.call(arguments).map(encode)));
      };
      member.valueOf = function () { return value; };
      member.toString = function () { return String(value); };
      return member;
    }
  });
  try {
    Object.defineProperty(window, "external", { value: external, configurable: false, writable: false });
  } catch (e) {
    window.external = external;
  }
})();
)JS";
}

}  // namespace webhost
