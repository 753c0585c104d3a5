#pragma once
// The program's session and what only its windows keep beside it.

#include "session/Session.h"

#include <QString>

#include <optional>

namespace tavlo {

struct AppContext : Session {
    QString startDirectory;

    // The archive list's sort (column 0-8, 9 = person number) and the row last shown or
    // deleted; kept while the program runs. At start the newest person stands first.
    int archiveSortKey = 9;
    bool archiveDescending = true;
    int archiveLastIndex = 0;

    // Where the archive stood when it showed a test: going back from the results finds the
    // same search (or child), chosen test and scroll. A fresh visit starts without it.
    struct ArchivePlace {
        QString search;
        int childOf = 0; // the person number whose child's tests alone were shown, or 0
        int chosen = 0;
        int scroll = 0;
    };
    std::optional<ArchivePlace> archivePlace;
};

} // namespace tavlo
