// The archive's jobs: list the stored tests, export them, back up the database.
#include "cli/Cli.h"

#include "resources/StringTable.h"
#include "store/accounts/AccessLog.h"
#include "store/files/DatabaseBackup.h"
#include "store/files/ExportFile.h"
#include "store/creation/NewDatabase.h"
#include "store/tables/PersonList.h"
#include "store/connection/Workgroup.h"

#include <QDir>

#include <vector>

namespace tavlo::cli {

namespace {

// The sort key of a column name (NAMN ... HOMELANGUAGE, ID), case ignored; -1 for another.
int sortKeyOf(const QString& column)
{
    for (int key = 0; key < kPersonSortKeys; ++key) {
        if (column.compare(QLatin1String(PersonSortColumn(key)), Qt::CaseInsensitive) == 0)
            return key;
    }
    return -1;
}

} // namespace

int list(QStringList args)
{
    const bool sortGiven = args.contains(QStringLiteral("--sort"));
    const QString column = takeOption(args, QStringLiteral("--sort"));
    const bool ascending = takeFlag(args, QStringLiteral("--ascending"));
    const bool descending = takeFlag(args, QStringLiteral("--descending"));
    // As the archive opens: the newest person first. A column alone sorts ascending, as the
    // first click on a column header after start does.
    const int sortKey = sortGiven ? sortKeyOf(column) : kPersonSortKeys - 1;
    if (args.size() != 1 || sortKey < 0 || (ascending && descending)) {
        if (sortGiven && sortKey < 0 && !column.isEmpty()) {
            QStringList columns;
            for (int key = 0; key < kPersonSortKeys; ++key)
                columns << QLatin1String(PersonSortColumn(key));
            print(QStringLiteral("Ukjent kolonne «%1»: velg en av %2.").arg(column, columns.join(QStringLiteral(", "))),
                  stderr);
        }
        return usageFor("list");
    }
    const bool down = descending || (!ascending && !sortGiven);

    Database db;
    if (!connectFolder(db, args[0]))
        return kFailure;
    // Read and sorted as the archive reads and sorts them (store/tables/PersonList.h).
    std::vector<PersonListRow> rows;
    if (!ListPersons(db, kPersonSortKeys - 1, false, [&rows](const PersonListRow& row) { rows.push_back(row); }))
        return kFailure;
    if (!LogListShown(db, int(rows.size())))
        return kFailure;
    const PersonList persons(std::move(rows));
    for (const int i : persons.sorted(sortKey, down)) {
        const PersonListRow& row = persons.row(i);
        QStringList line{QString::number(row.ID)};
        for (int c = 0; c < kArchiveColumns; ++c)
            line << tsvField(ArchiveCellText(row, c));
        print(line.join(u'\t'));
    }
    return kSuccess;
}

int exportTests(QStringList args)
{
    if (args.size() != 2)
        return usageFor("export");
    Database db;
    if (!connectFolder(db, args[0]))
        return kFailure;
    const ExportResult result = WriteExportFile(db, args[1]);
    if (const auto notice = ExportFailureNotice(result)) {
        // The program's dialog leads with its own text; here the reason, which names the file, comes first.
        tell(result.outcome == ExportOutcome::WriteFailed ? result.message : notice->text, notice->icon);
        return kFailure;
    }
    return kSuccess;
}

int backup(QStringList args)
{
    if (args.size() != 2)
        return usageFor("backup");
    const QDir folder(args[0]);
    // A server's database is no file to copy: said before any connection, server up or not.
    if (WorkgroupNamesServer(folder.filePath(kWorkgroupFileName))) {
        tell(ServerBackupNotice(), MessageIcon::Information);
        return kFailure;
    }
    Database db;
    if (!connectFolder(db, args[0]))
        return kFailure;
    if (const auto failure = BackUpDatabaseFile(db, args[1])) {
        messageSink().show(QStringLiteral("Error"), *failure, MessageIcon::Information);
        return kFailure;
    }
    // The copy itself may be what standard output carries.
    print(LoadString(kStrBackupDone), args[1] == u"-" ? stderr : stdout);
    return kSuccess;
}

} // namespace tavlo::cli
