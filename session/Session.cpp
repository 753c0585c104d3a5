#include "session/Session.h"

#include "model/SameChild.h"
#include "resources/StringTable.h"
#include "scoring/Scoring.h"
#include "store/accounts/AccessLog.h"
#include "store/connection/ConnectionString.h"
#include "store/connection/Workgroup.h"
#include "store/creation/NewDatabase.h"
#include "store/files/DatabaseBackup.h"
#include "store/tables/PersonTable.h"
#include "store/tables/TestStore.h"

#include <QDir>

namespace tavlo {

namespace {

const QString kNotSavedButKept = QStringLiteral(" Testen er ikke lagret, men alt du har skrevet inn, er beholdt.");

// The store's own messages, each as the driver put it when a sentence of ours leads it.
QString storeDetail(const Failure& said)
{
    QStringList texts;
    for (const FailureMessage& m : said.messages)
        texts.append(m.message.startsWith(u"Databasen ") && !m.detail.isEmpty() ? m.detail : m.text());
    return texts.join(u'\n');
}

} // namespace

Outcome OpenFolder(Session& session, const QString& folder)
{
    session.databaseFolder = QDir::toNativeSeparators(QDir(folder).path() + u'/');
    return OpenFolderDatabase(session.db, folder);
}

Outcome NoteReadOnlyDatabase(Session& session)
{
    session.readOnlyDatabase = ReadOnlyDatabaseFile(session.db);
    if (session.readOnlyDatabase.isEmpty())
        return std::nullopt;
    return Failure(ReadOnlyNotice(session.readOnlyDatabase), MessageIcon::Exclamation);
}

namespace {

// As the results show a test: the age group from the test age, then the scoring run.
void scoreTest(Database& db, NormState& norms, TestRecord& test)
{
    SelectAgeGroup(db, norms, test);
    ScoreTest(db, norms, test);
}

} // namespace

void ScoreCurrentTest(Session& session)
{
    scoreTest(session.db, session.norms, session.test);
}

Outcome ReadStoredTest(Session& session, int id)
{
    const KeptFailures kept(session.db);
    if (!OpenTest(session.db, session.test, id))
        return kept.failureOr(QStringLiteral("Testen kunne ikke leses."));
    // A change made from the results rewrites this test's rows.
    session.testIsNew = false;
    return std::nullopt;
}

Outcome OpenAndScore(Session& session, int id)
{
    if (auto failure = ReadStoredTest(session, id))
        return failure;
    ScoreCurrentTest(session);
    return std::nullopt;
}

Outcome SaveCurrentTest(Session& session)
{
    Database& db = session.db;
    const int busyBefore = db.busyFailures();
    const KeptFailures kept(db);
    if (SaveTest(db, session.test, session.testIsNew)) {
        session.testIsNew = false;
        return std::nullopt;
    }
    const QString readOnlyFile = session.readOnlyDatabase.isEmpty() ? ReadOnlyDatabaseFile(db) : session.readOnlyDatabase;
    QString text;
    if (!readOnlyFile.isEmpty())
        text = ReadOnlyNotice(readOnlyFile) + kNotSavedButKept;
    else if (db.busyFailures() != busyBefore)
        text = QStringLiteral("Databasen er opptatt av en annen bruker, og ventetiden gikk ut.") + kNotSavedButKept
               + QStringLiteral(" Prøv å lagre igjen om litt.");
    // Any other failure: the store's own messages, as they were said.
    if (text.isEmpty())
        return kept.failureOr(kNotSavedButKept.trimmed());
    // The lead says what the store's own sentence would: only the driver's text follows.
    QString detail;
    if (kept.any())
        detail = QStringLiteral("Melding fra databasen: ") + storeDetail(*kept.failure());
    return Failure(text, MessageIcon::Exclamation, detail);
}

Outcome ReadPersonOf(Session& session, int id, PersonalData& person)
{
    const KeptFailures kept(session.db);
    if (ReadPerson(session.db, person, id))
        return std::nullopt;
    return kept.failureOr(QStringLiteral("Testperson nummer %1 kunne ikke leses.").arg(id));
}

Outcome DeleteStoredTest(Session& session, int id)
{
    const KeptFailures kept(session.db);
    if (!DeleteTest(session.db, id))
        return kept.failureOr(QStringLiteral("Testen er ikke slettet."));
    NewTestRecord(session.test);
    session.testIsNew = true;
    return std::nullopt;
}

Outcome ListTests(Session& session, PersonList& list)
{
    const KeptFailures kept(session.db);
    std::optional<PersonList> read = ReadPersonList(session.db);
    if (!read || !LogListShown(session.db, int(read->size())))
        return kept.failureOr(QStringLiteral("Testene kunne ikke leses."));
    list = std::move(*read);
    return std::nullopt;
}

Outcome ListTestLines(Session& session, int sortKey, bool descending, ListedLines& lines)
{
    auto read = ReadListedLines(session.db.connectionString(), sortKey, descending);
    if (auto* failure = std::get_if<Failure>(&read))
        return std::move(*failure);
    lines = std::move(std::get<ListedLines>(read));
    return RecordListShown(session, lines.size());
}

Outcome RecordListShown(Session& session, int tests)
{
    const KeptFailures kept(session.db);
    if (LogListShown(session.db, tests))
        return std::nullopt;
    return kept.failureOr(QStringLiteral("Tilgangsloggen kunne ikke skrives."));
}

ExportDone ExportTests(Session& session, const QString& path, const ExportProgress& progress, ExportEncoding encoding,
                       ExportFormat format)
{
    ExportDone done{WriteExportFile(session.db, path, progress, encoding, format), std::nullopt};
    if (const auto notice = ExportFailureNotice(done.result))
        done.failure = Failure(notice->text, notice->icon);
    return done;
}

ImportResult ImportTestsFrom(Session& session, const QString& path, ImportEncoding encoding)
{
    return ImportExportFile(session.db, path, encoding);
}

bool FolderIsOnServer(const QString& folder)
{
    return WorkgroupNamesServer(QDir(folder).filePath(kWorkgroupFileName));
}

bool BackupIsTheServers(const Session& session)
{
    return NamesServer(session.db.connectionString())
           || (!session.db.isConnected() && !session.databaseFolder.isEmpty() && FolderIsOnServer(session.databaseFolder));
}

Outcome BackUp(Session& session, const QString& target)
{
    // A store that is not a file has nothing to copy: the notice informs.
    if (session.db.databaseFile().isEmpty())
        return Failure(ServerBackupNotice(), MessageIcon::Information);
    const std::optional<QString> failure = BackUpDatabaseFile(session.db, target);
    if (!failure)
        return std::nullopt;
    Failure shown(*failure, MessageIcon::Information);
    shown.messages.front().caption = QStringLiteral("Error");
    return shown;
}

Outcome CompareStoredTests(Session& session, int firstId, int secondId, Comparison& comparison)
{
    if (firstId == secondId)
        return Failure(QStringLiteral("En test kan ikke sammenlignes med seg selv. Velg to tester av samme barn."),
                       MessageIcon::Exclamation);
    // Whose tests they are is settled before either is shown.
    PersonalData a, b;
    if (auto failure = ReadPersonOf(session, firstId, a))
        return failure;
    if (auto failure = ReadPersonOf(session, secondId, b))
        return failure;
    if (!SameChild(a.NAMN, a.BORNDATE, b.NAMN, b.BORNDATE)) {
        const auto who = [](const PersonalData& p, int id) {
            return QStringLiteral("%1 (nr. %2, født %3)").arg(p.NAMN.trimmed()).arg(id).arg(FormatDate(p.BORNDATE));
        };
        return Failure(QStringLiteral("Testene er ikke av samme barn: %1 og %2. Bare to tester av ett barn, med samme "
                                      "navn og fødselsdato, kan sammenlignes.")
                           .arg(who(a, firstId), who(b, secondId)),
                       MessageIcon::Exclamation);
    }
    // Each test in a session of its own, sharing the connection: the session's test stays.
    TestRecord tests[2];
    NormState norms[2];
    const int ids[2] = {firstId, secondId};
    for (int i = 0; i < 2; ++i) {
        const KeptFailures kept(session.db);
        norms[i].CurrentNormGroup = session.norms.CurrentNormGroup;
        if (!OpenTest(session.db, tests[i], ids[i]))
            return kept.failureOr(QStringLiteral("Testen kunne ikke leses."));
        scoreTest(session.db, norms[i], tests[i]);
    }
    comparison = CompareTests(tests[0], norms[0], tests[1], norms[1]);
    return std::nullopt;
}

namespace {

// Both rows or neither: the pages or the file go out logged for both tests, or not at all.
bool logBothTests(Session& session, const Comparison& comparison, AccessEvent event, const QString& where)
{
    Transaction transaction(session.db);
    return LogAccess(session.db, event, comparison.earlier.id, where)
           && LogAccess(session.db, event, comparison.later.id, where) && transaction.commit();
}

} // namespace

bool RecordComparisonPrint(Session& session, const Comparison& comparison, const QString& where)
{
    return logBothTests(session, comparison, AccessEvent::Printed, where);
}

bool RecordComparisonDocument(Session& session, const Comparison& comparison, const QString& where)
{
    return logBothTests(session, comparison, AccessEvent::DocumentWritten, where);
}

bool RecordPrint(Session& session, const QString& where)
{
    return LogAccess(session.db, AccessEvent::Printed, session.test.person.ID, where);
}

bool RecordDocument(Session& session, const QString& where)
{
    return LogAccess(session.db, AccessEvent::DocumentWritten, session.test.person.ID, where);
}

} // namespace tavlo
