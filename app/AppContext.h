#pragma once
// The program's session and what only its windows keep beside it.

#include "session/Session.h"

#include <QString>

namespace tavlo {

struct AppContext : Session {
    QString startDirectory;

    // The archive list's sort (column 0-8, 9 = person number) and the row last shown or
    // deleted; kept while the program runs. At start the newest person stands first.
    int archiveSortKey = 9;
    bool archiveDescending = true;
    int archiveLastIndex = 0;
};

} // namespace tavlo
