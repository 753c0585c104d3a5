// The archive's jobs: list the stored tests, export them, back up the database.
#include "cli/Cli.h"

#include "resources/StringTable.h"
#include "store/files/Codebook.h"
#include "store/tables/PersonList.h"

#include <cstdio>
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
    const bool header = takeFlag(args, kHeaderOption);
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

    Session session;
    if (!connectFolder(session, args[0]))
        return kFailure;
    // Ordered as the archive orders them (store/tables/PersonList.h), and held as the bytes
    // to print until the list is logged: the database is not kept waiting on whoever reads.
    ListedLines lines;
    if (ShowIfFailed(ListTestLines(session, sortKey, down, lines)))
        return kFailure;
    if (header)
        printHeader("list");
    lines.write([](const char* bytes, size_t size) { std::fwrite(bytes, 1, size, stdout); });
    return kSuccess;
}

int exportTests(QStringList args)
{
    const bool utf8 = takeFlag(args, QStringLiteral("--utf8"));
    const bool codebook = takeFlag(args, QStringLiteral("--codebook"));
    const bool formatGiven = args.contains(QStringLiteral("--format"));
    const QString format = takeOption(args, QStringLiteral("--format"));
    const bool csv = format == u"csv";
    if (codebook && args.isEmpty() && !formatGiven && !utf8) {
        const QByteArray text = ExportCodebook().toUtf8();
        std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
        return kSuccess;
    }
    if (codebook || args.size() != 2 || (formatGiven && !csv && format != u"txt") || (csv && utf8))
        return usageFor("export");
    Session session;
    if (!connectFolder(session, args[0]))
        return kFailure;
    const ExportDone done = ExportTests(session, args[1], {}, utf8 ? ExportEncoding::Utf8 : ExportEncoding::Windows1252,
                                        csv ? ExportFormat::Csv : ExportFormat::Text);
    if (!done.failure)
        return kSuccess;
    if (done.result.outcome == ExportOutcome::NeedsUtf8) {
        tell(MisfitsText(done.result.misfits)
                 + QStringLiteral("\n\nIngen fil er skrevet. Med --utf8 skrives eksportfilen i UTF-8, som holder "
                                  "alle tegnene."),
             MessageIcon::Exclamation);
        return kFailure;
    }
    // The program's dialog leads with its own text; here the reason, which names the file, comes first.
    if (done.result.outcome == ExportOutcome::WriteFailed)
        tell(done.result.message, done.failure->messages.front().icon);
    else
        Show(*done.failure);
    return kFailure;
}

int backup(QStringList args)
{
    if (args.size() != 2)
        return usageFor("backup");
    Session session;
    // A server's database is no file to copy: said before any connection, server up or not.
    if (FolderIsOnServer(args[0])) {
        Show(*BackUp(session, {}));
        return kFailure;
    }
    if (!connectFolder(session, args[0]) || ShowIfFailed(BackUp(session, args[1])))
        return kFailure;
    // The copy itself may be what standard output carries.
    print(LoadString(kStrBackupDone), args[1] == u"-" ? stderr : stdout);
    return kSuccess;
}

} // namespace tavlo::cli
