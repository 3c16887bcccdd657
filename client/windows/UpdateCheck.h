#pragma once
class CDorv_WinApp;
class CAppBackgroundJob;

// The start-up update check: reads the local version, fetches the update
// description and, when it offers another version, starts an installer
// already downloaded and verified (the start then ends), downloads a silent
// one in the background for the next start, or offers the update in the
// update dialog.
// Non-zero when the start must end because an installer was started; 0 to go
// on. A background download is left in the application object, which deletes
// it at exit.
//
// An offer that is not silent needs the user. When nobody can be asked (the
// windows are on the headless desktop, with no display showing them), it is
// logged and skipped: the start never waits on a dialog nobody sees.
int CheckForUpdate(CDorv_WinApp* app);

enum class UserToAsk { Present, Absent };
// The same; the background download goes to `download` (the caller owns it).
int CheckForUpdate(CAppBackgroundJob*& download, UserToAsk user);
