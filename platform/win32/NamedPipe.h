#pragma once
// Named pipes "\\.\pipe\<name>" between the processes of the user's session.
//
// A pipe is a Unix sequenced-packet socket in the runtime folder (win32/NamedObject.h),
// so each WriteFile is one message and message boundaries survive. The server's
// instances of one name share the listening socket; a living server holds the
// name (a client finds no pipe once its server has gone, even when the socket file
// was left behind by a crash). Each instance marks in a small slot file whether it
// is free for a client, so WaitNamedPipeW and CreateFileW tell a busy pipe from a
// free one as on Windows.
//
// Reads and writes go through ReadFile, WriteFile and FlushFileBuffers
// (win32/FileIo.h); a client end is opened with CreateFileW on the pipe's name.
// Every wait blocks until what it waits for happens (a free instance wakes the
// clients in WaitNamedPipeW through a futex word in the slot file; a written
// message wakes WaitForPipeInput; a read wakes FlushFileBuffers), so a
// reply is seen as soon as it is written.
// Only blocking use is offered: a client may be opened with FILE_FLAG_OVERLAPPED (to
// connect and close, say), but reads and writes with an OVERLAPPED record are refused
// (ERROR_NOT_SUPPORTED). Differences from Windows: a client
// may connect to a free instance before the server calls ConnectNamedPipe, which
// then succeeds at once (Windows reports ERROR_PIPE_CONNECTED); a message larger
// than the socket's buffer cannot be written.
#include <memory>

#include "win32/Handle.h"
#include "win32/WinDef.h"

constexpr DWORD PIPE_ACCESS_INBOUND = 0x1;
constexpr DWORD PIPE_ACCESS_OUTBOUND = 0x2;
constexpr DWORD PIPE_ACCESS_DUPLEX = 0x3;
constexpr DWORD FILE_FLAG_FIRST_PIPE_INSTANCE = 0x00080000;
constexpr DWORD FILE_FLAG_OVERLAPPED = 0x40000000;

constexpr DWORD PIPE_TYPE_BYTE = 0x0;
constexpr DWORD PIPE_TYPE_MESSAGE = 0x4;
constexpr DWORD PIPE_READMODE_BYTE = 0x0;
constexpr DWORD PIPE_READMODE_MESSAGE = 0x2;
constexpr DWORD PIPE_WAIT = 0x0;
constexpr DWORD PIPE_NOWAIT = 0x1;
constexpr DWORD PIPE_UNLIMITED_INSTANCES = 255;

constexpr DWORD NMPWAIT_USE_DEFAULT_WAIT = 0x0;
constexpr DWORD NMPWAIT_WAIT_FOREVER = 0xFFFFFFFF;

constexpr DWORD ERROR_SEM_TIMEOUT = 121;
constexpr DWORD ERROR_BAD_PIPE = 230;

struct OVERLAPPED;

// One instance of the pipe `name`. PIPE_NOWAIT and overlapped instances are not
// offered (ERROR_NOT_SUPPORTED). More instances than `maxInstances`, or a name
// served by another process, give ERROR_PIPE_BUSY (ERROR_ACCESS_DENIED with
// FILE_FLAG_FIRST_PIPE_INSTANCE). The buffer sizes are accepted and not used.
HANDLE CreateNamedPipeW(LPCWSTR name, DWORD openMode, DWORD pipeMode, DWORD maxInstances, DWORD outBufferSize,
                        DWORD inBufferSize, DWORD defaultTimeOut, LPSECURITY_ATTRIBUTES security);
// Waits for a client. ERROR_PIPE_CONNECTED while a client is connected, ERROR_NO_DATA
// when it has gone and the instance was not yet disconnected.
BOOL ConnectNamedPipe(HANDLE pipe, OVERLAPPED* overlapped);
// Ends the client's connection (what it has not read is lost) and frees the instance.
BOOL DisconnectNamedPipe(HANDLE pipe);
// TRUE when an instance of the pipe is free now or becomes free within the time-out
// (NMPWAIT_USE_DEFAULT_WAIT: the server's default); ERROR_FILE_NOT_FOUND at once
// when no server has the name, ERROR_SEM_TIMEOUT after the time-out.
BOOL WaitNamedPipeW(LPCWSTR name, DWORD timeOut);
// Without removing anything: the bytes of the message (or byte stream) waiting to be
// read. `buffer` may be null. ERROR_BROKEN_PIPE when the other end has gone.
BOOL PeekNamedPipe(HANDLE pipe, LPVOID buffer, DWORD bufferSize, LPDWORD bytesRead, LPDWORD totalBytesAvail,
                   LPDWORD bytesLeftThisMessage);
// Only the read mode is changed (PIPE_READMODE_BYTE or PIPE_READMODE_MESSAGE of a
// message-type pipe); the collection settings must be null.
BOOL SetNamedPipeHandleState(HANDLE pipe, LPDWORD mode, LPDWORD maxCollectionCount, LPDWORD collectDataTimeout);

namespace win32 {

// Kernel objects that ReadFile, WriteFile and FlushFileBuffers serve other than
// through a plain file descriptor (the ends of pipes).
class StreamObject : public KernelObject {
 public:
  virtual BOOL Read(LPVOID buffer, DWORD toRead, LPDWORD read) = 0;
  virtual BOOL Write(LPCVOID buffer, DWORD toWrite, LPDWORD written) = 0;
  virtual BOOL Flush() = 0;
};

// Whether `path` names a pipe ("\\.\pipe\..." in any letter case).
bool IsPipeName(LPCWSTR path);
// CreateFileW on a pipe's name: the client end, or INVALID_HANDLE_VALUE with
// ERROR_FILE_NOT_FOUND (no server) or ERROR_PIPE_BUSY (no free instance).
HANDLE OpenPipeClient(LPCWSTR name, DWORD access, DWORD flagsAndAttributes);

// Blocks until a ReadFile on the pipe end would not block: a message waits, or
// the other end has gone (the read then reports ERROR_BROKEN_PIPE). FALSE with
// ERROR_SEM_TIMEOUT once timeoutMs of the process clock have passed. Windows
// programs reach the same with an overlapped read and a timed wait, which the
// layer does not offer; the wait returns as soon as the other end writes.
BOOL WaitForPipeInput(HANDLE pipe, DWORD timeoutMs);

}  // namespace win32
