#pragma once
// Qt's own dialogs (file, print, message box buttons, context menus) in Norwegian Bokmål.

namespace tavlo {

// The program's Bokmål translation of Qt's texts, compiled from
// resources/translations/qtbase_nb.ts into the program's resources.
inline constexpr char kQtBokmalFile[] = ":/translations/qtbase_nb.qm";
// Qt's own Nynorsk file, looked for in Qt's translations folder.
inline constexpr char kQtNynorskName[] = "qtbase_nn";

// Installs the Bokmål translation in front of Qt's Nynorsk one (where installed) and makes
// Qt use its own widget dialogs, which both translations reach. Calling it again changes
// nothing. Needs the application object.
void UseNorwegianQtDialogs();

} // namespace tavlo
