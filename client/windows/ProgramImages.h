#pragma once
// The program's own picture resources that the update dialog shows before any skin is
// loaded: icon 149 (the program's icon) and bitmaps 138 and 140. Their bytes are built
// into the program from the theme's pictures (generated).
#include "win32/Windows.h"

constexpr WORD IDI_PROGRAM = 149;
constexpr WORD IDB_UPDATE_SIDE = 138;
constexpr WORD IDB_UPDATE_LINE = 140;

struct ProgramImage {
  enum class Kind { ICON, BITMAP };
  Kind kind;
  unsigned short id;
  const unsigned char* bytes;
  unsigned long size;
};

extern const ProgramImage kProgramImages[];
extern const unsigned long kProgramImageCount;

// Registers them as resources of the program's module, once; any thread may call it.
void AddProgramImages();
