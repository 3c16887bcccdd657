#pragma once
// The bytes of the tray's .ico files, built into the program (generated).

struct TrayIconData {
  unsigned short id;
  const unsigned char* bytes;
  unsigned long size;
};

extern const TrayIconData kTrayIconData[];
extern const unsigned long kTrayIconDataCount;
