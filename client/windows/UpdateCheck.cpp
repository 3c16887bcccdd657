#include "client/windows/UpdateCheck.h"

// No update is offered yet: the start always goes on.
int CheckForUpdate(CDorv_WinApp*) { return 0; }
