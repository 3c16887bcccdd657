#pragma once
// The framework's exceptions: thrown as pointers, caught as CException* and ended with Delete().
#include "win32/WinDef.h"

class CException {
 public:
  virtual ~CException() = default;
  // Ends a caught exception (the framework's exceptions live on the heap).
  void Delete() { delete this; }
  // Copies the message into the buffer, cut to bufferSize - 1 characters; FALSE when there is no room.
  virtual BOOL GetErrorMessage(LPTSTR buffer, UINT bufferSize, UINT* helpContext = nullptr) const;

 protected:
  virtual LPCTSTR Message() const = 0;
};

// An argument a function cannot accept.
class CInvalidArgException : public CException {
 protected:
  LPCTSTR Message() const override { return L"The parameter is incorrect."; }
};

[[noreturn]] void AfxThrowInvalidArgException();
