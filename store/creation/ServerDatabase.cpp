#include "store/creation/ServerDatabase.h"

#include "store/connection/ConnectionString.h"
#include "store/connection/Database.h"
#include "store/accounts/ServerRoles.h"
#include "store/connection/Workgroup.h"

#include <QDir>
#include <QFile>

namespace tavlo {

namespace {

const QStringList kServerKeys = {QStringLiteral("Server"), QStringLiteral("Port"), QStringLiteral("Database")};

std::optional<QString> badValue(const QString& key, const QString& value)
{
    if (value.isEmpty())
        return QStringLiteral("%1 i --server mangler verdi.").arg(key);
    if (value.front().isSpace() || value.back().isSpace())
        return QStringLiteral("%1 i --server begynner eller slutter med mellomrom.").arg(key);
    for (const QChar c : value) {
        // '%' would be filled in as one of the template's values.
        if (c == u'{' || c == u'}' || c == u'=' || c == u'%' || c.category() == QChar::Other_Control)
            return QStringLiteral("%1 i --server inneholder tegnet '%2', som en databasetilkobling ikke kan bruke.")
                .arg(key, c.category() == QChar::Other_Control ? QStringLiteral("kontrolltegn") : QString(c));
    }
    bool numeric = false;
    if (key == u"Port" && (value.toInt(&numeric) < 1 || !numeric || value.toInt() > 65535))
        return QStringLiteral("Port i --server må være et tall fra 1 til 65535.");
    return std::nullopt;
}

// The tables of the program the server database holds already.
std::optional<int> existingTables(Database& db, QString* error)
{
    Statement s(db);
    QStringList names;
    for (const QString& table : SchemaTables())
        names.append(u'\'' + table.toLower() + u'\'');
    const QString sql = QStringLiteral("SELECT COUNT(*) FROM pg_catalog.pg_tables WHERE schemaname = current_schema() "
                                       "AND lower(tablename) IN (%1)")
                            .arg(names.join(u", "));
    if (!s.execDirect(sql) || s.fetch() != Fetch::Row) {
        *error = s.errorText();
        return std::nullopt;
    }
    return s.getInt(1).value_or(0);
}

void dropTables(Database& db)
{
    for (const QString& table : SchemaTables()) {
        Statement s(db);
        s.execDirect(QStringLiteral("DROP TABLE IF EXISTS %1").arg(table));
    }
}

} // namespace

std::optional<QString> ServerConnectionTemplate(const QString& server, QString* refusal)
{
    QString values[3];
    const QStringList pieces = server.split(u';');
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        const QString& piece = pieces[i];
        if (piece.isEmpty() && i == pieces.size() - 1 && i > 0)
            break; // one ';' at the end
        const qsizetype eq = piece.indexOf(u'=');
        const QString key = piece.left(eq < 0 ? piece.size() : eq);
        qsizetype known = kServerKeys.size() - 1;
        while (known >= 0 && kServerKeys[known].compare(key, Qt::CaseInsensitive) != 0)
            --known;
        if (known < 0 || eq < 0) {
            *refusal = QStringLiteral("--server kan bare inneholde Server=, Port= og Database=, adskilt med ';' "
                                      "(ikke «%1»).")
                           .arg(piece);
            return std::nullopt;
        }
        if (!values[known].isNull()) {
            *refusal = QStringLiteral("%1 står mer enn én gang i --server.").arg(kServerKeys[known]);
            return std::nullopt;
        }
        values[known] = piece.mid(eq + 1);
        if (const auto bad = badValue(kServerKeys[known], values[known])) {
            *refusal = *bad;
            return std::nullopt;
        }
    }
    if (values[0].isNull() || values[2].isNull()) {
        *refusal = QStringLiteral("--server må nevne både Server= og Database=.");
        return std::nullopt;
    }
    QString connectionTemplate = QStringLiteral("DRIVER=%1;Server=%2").arg(kPostgresDriver, values[0]);
    if (!values[1].isNull())
        connectionTemplate += QStringLiteral(";Port=") + values[1];
    return connectionTemplate + QStringLiteral(";Database=%1;UID=%3;PWD=%4").arg(values[2]);
}

CreateResult CreateServerDatabase(const QString& folder, const QString& admin, const QString& password,
                                  const QString& server, QString* message)
{
    const auto say = [&](CreateResult result, const QString& text) {
        if (message)
            *message = text;
        return result;
    };
    QString refusal;
    const auto connectionTemplate = ServerConnectionTemplate(server, &refusal);
    if (!connectionTemplate)
        return say(CreateResult::Refused, refusal + QStringLiteral(" Ingenting er opprettet."));
    if (admin.isEmpty() || password.isEmpty())
        return say(CreateResult::Refused,
                   QStringLiteral("Administratorens rolle og passord på tjeneren må oppgis. Ingenting er opprettet."));
    const NewFolder paths = NewFolderPaths(folder);
    const QDir& dir = paths.dir;
    const QString& databasePath = paths.databasePath;
    const QString& workgroupPath = paths.workgroupPath;
    if (const auto refusal = NewFolderRefusal(paths, workgroupPath))
        return say(CreateResult::Refused, *refusal);

    Database db;
    const KeptFailures kept(db);
    const auto failed = [&](const QString& reason) {
        return say(CreateResult::Failed, QStringLiteral("Databasen kunne ikke opprettes på tjeneren (%1): %2")
                                             .arg(server, reason.isEmpty() ? kept.texts() : reason));
    };
    if (!db.connectWith(FillConnectionTemplate(*connectionTemplate, {databasePath, workgroupPath, admin, password}), false))
        return failed({});
    QString error;
    const auto existing = existingTables(db, &error);
    if (!existing)
        return failed(error);
    if (*existing > 0)
        return say(CreateResult::Refused,
                   QStringLiteral("Databasen på tjeneren (%1) inneholder allerede tabellene til TAVLO-II. "
                                  "Ingenting er endret.")
                       .arg(server));

    const bool folderExisted = dir.exists();
    const auto undoFolder = [&] {
        QFile::remove(workgroupPath);
        if (!folderExisted)
            QDir().rmdir(dir.path());
    };
    // The tables and the file together: the server keeps nothing unless the file is written.
    Transaction transaction(db);
    // The examiners come later, each as a role of their own (user add).
    if (!FillNewDatabase(db, StoreKind::Postgres, {}, {}, &error) || !SetUpServerRoles(db, &error))
        return failed(error);
    if ((!folderExisted && !QDir().mkpath(dir.path()))
        || !WriteWorkgroupFile(workgroupPath, *connectionTemplate, &error)) {
        undoFolder();
        return failed(error.isEmpty() ? QStringLiteral("mappen %1 kan ikke skrives.").arg(folder) : error);
    }
    if (!transaction.commit()) {
        undoFolder();
        return failed({});
    }
    if (!OpensAsTheProgram(databasePath, workgroupPath, Credentials{admin, password}, &error)) {
        undoFolder();
        dropTables(db);
        return failed(error);
    }
    return say(CreateResult::Created, QStringLiteral("Databasen er opprettet på tjeneren (%1). Mappen %2 viser til den.")
                                          .arg(server, QDir::toNativeSeparators(dir.path())));
}

} // namespace tavlo
