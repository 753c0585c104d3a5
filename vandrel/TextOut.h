#pragma once
// Word-wrapped text output, shared by the program's report, its printed pages, its start
// screen and the library's own export cDoTextOut.

#include "vandrel/Export.h"

class QPainter;
class QString;

namespace tavlo {

// Left-aligned, ragged-right word wrap of text from y within [left, right) in the painter's
// font; later lines start at nextLeft when it is not 0. Draws only when draw is true.
// Returns the y below the last line (an empty text counts as one empty line).
VANDREL_EXPORT int DrawWrappedText(QPainter* painter, int y, const QString& text, int left, int right, bool draw,
                                   int nextLeft);

} // namespace tavlo
