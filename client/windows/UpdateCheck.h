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
int CheckForUpdate(CDorv_WinApp* app);
// The same; the background download goes to `download` (the caller owns it).
int CheckForUpdate(CAppBackgroundJob*& download);
