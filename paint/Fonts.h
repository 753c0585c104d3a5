#pragma once
// The faces the program draws with, on screen and on paper: what the windows and the printed
// pages share, below both.

#include <QFont>
#include <QString>

namespace tavlo {

// The face, falling back to its metric-compatible stand-in where it is not installed.
QFont FaceWithStandIn(const QString& face);
// A font whose line (ascent + descent) is height pixels, as the original's font heights were.
QFont WindowsFont(const QString& face, int height, bool bold = false, bool italic = false);

} // namespace tavlo
