// Dorv_Win.exe: the program. Its application object carries the whole run.
#include "client/app/Dorv_WinApp.h"
#include "client/app/QuitSignals.h"
#include "display/Desktop.h"

CDorv_WinApp theApp;

int main(int argc, char** argv) {
  // Windows and boxes go to the system's display when there is one ($DISPLAY);
  // otherwise the program runs on the headless desktop.
  display::Desktop::Get().UseSystemDisplay();
  // Being told to end (the session closing, Ctrl+C in a terminal) is a close
  // of the program's window: the exit runs in full.
  WatchQuitSignals([] { theApp.RequestClose(); });
  return AfxWinMain(argc, argv);
}
