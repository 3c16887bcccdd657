#pragma once
// MFC's OLE support: the program asks for ActiveX control containment before
// any window hosts a control. The framework here hosts none, so the call only
// records that it was asked.
void AfxEnableControlContainer();
bool AfxControlContainerEnabled();
