#pragma once
// The face that boxes, tips and balloons draw their text in through Xft (the skin's, for
// Chinese texts).
typedef struct _XDisplay Display;
struct _XftFont;

namespace display {

// Opens the face at `pixelSize` on a connection; null when it cannot be opened. Call it
// before any other Xft call on the connection: it makes the Render extension's record of
// the connection first, so that when the connection closes Xft frees its glyphs while that
// record is still there. (Otherwise Xft's last calls make a new record in the middle of the
// close, which outlives the connection, and a later connection at the same address would
// send its Render requests with the dead one's codes.)
_XftFont* OpenTextFont(Display* display, int pixelSize);

}  // namespace display
