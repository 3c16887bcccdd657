#pragma once
class CDorv_WinApp;

// The start-up update check. Non-zero when the start must end because an
// installer is being started; 0 to go on. It may leave a background download
// in the application object, which the application's exit deletes.
int CheckForUpdate(CDorv_WinApp* app);
