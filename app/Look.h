#pragma once
// The program's look: its lilac, its fonts, the pictures drawn for it, and where its windows
// stand on the screen.

#include "paint/Fonts.h"

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPixmap>
#include <QRect>

class QComboBox;
class QWidget;

namespace tavlo {

inline const QColor kLilac(191, 175, 208);
// The ring round the control that has the focus: dark enough to stand out on the lilac and on
// a white field alike.
inline const QColor kFocusRing(32, 24, 96);

QFont MainFont();   // "MS Sans Serif", height 16: buttons, fields, dialogs
QFont SecondFont(); // "Arial", height 16: the archive list

// The sizes of the program's icon set (resources/icons/hicolor), as desktops ask for them.
inline constexpr int kProgramIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
// The program's icon: the card grid on the lilac, in every size of the set.
QIcon ProgramIcon();

// The program's look on a window or dialog: its icon, the main font, the lilac behind
// everything (buttons included), and greyed text that stays legible on it.
void UseProgramLook(QWidget* widget);

// A drop-down list of the Part's width shows every entry whole: its open list as wide as the
// longest, and the closed list's entry, where cut, whole in the tool tip.
void ShowWholeTexts(QComboBox* list);
// The width of the closed list's text area.
int ClosedTextWidth(const QComboBox* list);

// Where a window stands in the screen's available area.
enum class Spot { Centre, Top }; // Top: at the top, centred across
// The available area of the screen a window is on (the primary screen before it is shown).
QRect AvailableArea(const QWidget* window);
// Gives a top-level window its size and places it by its frame, title bar included, wholly
// inside the available area; a window too large for the area is shrunk to fit.
void PlaceOnScreen(QWidget* window, QSize size, Spot spot = Spot::Centre);
// The same, keeping the window's size.
void CentreOnScreen(QWidget* window);

// The start screen's picture (800 x 600) and the banner of the forms (800 x 54).
const QPixmap& StartPicture();
// tiles: the row of small squares in the band's middle; off where buttons stand over it.
const QPixmap& BannerPicture(bool tiles = true);
// Where the program's name stands in the banner: within its top 33 rows, which the results
// window leaves in view at the foot of the window.
QRect BannerLogoRect();
// Where it stands, large, in the start picture drawn at (0, -30).
QRect StartLogoRect();

} // namespace tavlo
