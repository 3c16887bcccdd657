#pragma once
// The crash handler's interface, as the FaultTrap library hands it out through
// its factory export. The object lives in the library: callers end it with
// Release, never with delete.
class FaultTrapInterface {
 public:
  // Kinds: 0 product name, 1 version, 2 build id, 3 dump folder, 4 IPC name,
  // 5 reporter path, 6 submit URL, 7 no UI, 8 singleton, 9 upload files.
  virtual bool SetParameter(int kind, const wchar_t* value) = 0;
  // True: dumps are written out of process by the crash reporter.
  virtual bool Start(bool outOfProcess) = 0;
  virtual void Release() = 0;

 protected:
  ~FaultTrapInterface() = default;
};

// The factory export "CreateFaultTrap2": stores a new object (or null) in *out;
// 0 only when out is null.
using CreateFaultTrap2Fn = int (*)(FaultTrapInterface** out);
