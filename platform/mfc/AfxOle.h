#pragma once
// MFC's OLE support: the program asks for ActiveX control containment before any
// window hosts a control. A manager may be given: it makes the site of every control
// created afterwards (null: the framework's own manager again).
class COccManager;

void AfxEnableControlContainer(COccManager* manager = nullptr);
bool AfxControlContainerEnabled();
// The manager that makes control sites now.
COccManager* AfxGetOccManager();
