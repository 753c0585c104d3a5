#include "store/NewDatabase.h"

#include "model/PersonText.h"
#include "store/Database.h"
#include "store/NormTables.h"
#include "store/Workgroup.h"
#include "vandrel/MessageSink.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QTemporaryFile>

namespace tavlo {

namespace {

// Keeps the database's own messages for the caller instead of showing them.
class CollectingSink : public MessageSink {
public:
    CollectingSink()
        : m_previous(&messageSink())
    {
        setMessageSink(this);
    }
    ~CollectingSink() override { setMessageSink(m_previous == this ? nullptr : m_previous); }
    void show(const QString&, const QString& text, MessageIcon) override { texts.append(text); }
    bool ask(const QString&, const QString& text, MessageIcon, bool) override
    {
        texts.append(text);
        return false;
    }
    QStringList texts;

private:
    MessageSink* m_previous;
};

std::optional<QString> checkCredential(const QString& what, const QString& value)
{
    // The login reads nine characters and wants at least three.
    if (value.size() < 3 || value.size() > 9)
        return QStringLiteral("%1 må ha 3 til 9 tegn.").arg(what);
    for (const char32_t c : value.toUcs4()) {
        if (!IsWindows1252Char(c))
            return QStringLiteral("%1 inneholder et tegn som ikke kan brukes.").arg(what);
    }
    return std::nullopt;
}

bool fillDatabase(Database& db, const QString& user, const QString& password, QString* error)
{
    Transaction transaction(db);
    for (const QString& sql : SchemaStatements()) {
        Statement s(db);
        if (!s.execDirect(sql)) {
            *error = s.diagnostic();
            return false;
        }
    }
    Statement sec(db);
    if (!sec.prepare(QStringLiteral("INSERT INTO SEC (USERID, PASSWORD) VALUES (?, ?)")) || !sec.bindText(1, user)
        || !sec.bindText(2, password) || !sec.execute()) {
        *error = sec.diagnostic();
        return false;
    }
    if (!LoadShippedNorms(db, error))
        return false;
    if (!transaction.commit()) {
        *error = db.diagnostic();
        return false;
    }
    return true;
}

} // namespace

QStringList SchemaStatements()
{
    QFile file(QStringLiteral(":/data/schema.sql"));
    file.open(QIODevice::ReadOnly);
    QStringList statements;
    QString current;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        if (line.trimmed().startsWith(u"--"))
            continue;
        current += line + u'\n';
        if (line.trimmed().endsWith(u';')) {
            QString statement = current.trimmed();
            statement.chop(1);
            statements.append(statement);
            current.clear();
        }
    }
    return statements;
}

CreateResult CreateDatabase(const QString& folder, const QString& user, const QString& password, QString* message)
{
    const auto say = [&](CreateResult result, const QString& text) {
        if (message)
            *message = text;
        return result;
    };
    for (const auto& [what, value] : {std::pair{QStringLiteral("Brukernavnet"), user},
                                      std::pair{QStringLiteral("Passordet"), password}}) {
        if (const auto refusal = checkCredential(what, value))
            return say(CreateResult::Refused, *refusal);
    }
    const QDir dir(folder);
    const QString databasePath = dir.filePath(kDatabaseFileName);
    const QString workgroupPath = dir.filePath(kWorkgroupFileName);
    for (const QString& path : {databasePath, workgroupPath}) {
        if (QFileInfo::exists(path))
            return say(CreateResult::Refused, QStringLiteral("%1 finnes allerede. Ingenting er endret.").arg(path));
    }
    const bool folderExisted = dir.exists();
    if (!folderExisted && !QDir().mkpath(folder))
        return say(CreateResult::Failed, QStringLiteral("Mappen %1 kunne ikke opprettes.").arg(folder));
    const auto failed = [&](const QString& reason) {
        if (!folderExisted)
            QDir().rmdir(folder);
        return say(CreateResult::Failed,
                   QStringLiteral("Databasen kunne ikke opprettes i %1: %2").arg(QDir::toNativeSeparators(folder), reason));
    };

    // Built under a temporary name and renamed at the end: never half a database.
    QTemporaryFile building(dir.filePath(QStringLiteral(".TAVLO-II-XXXXXX.mdb")));
    if (!building.open())
        return failed(building.errorString());
    building.close();
    {
        CollectingSink collect;
        Database db;
        QString error;
        if (!db.connectWith(QStringLiteral("DRIVER=SQLite3;Database=%1;Timeout=10000").arg(building.fileName()), false))
            return failed(collect.texts.join(u' '));
        if (!fillDatabase(db, user, password, &error))
            return failed(error.isEmpty() ? collect.texts.join(u' ') : error);
    }
    QString error;
    if (!WriteWorkgroupFile(workgroupPath, kSqliteConnectionTemplate, &error))
        return failed(error);
    if (!building.rename(databasePath)) {
        QFile::remove(workgroupPath);
        return failed(building.errorString());
    }
    building.setAutoRemove(false);
    QFile::setPermissions(databasePath, kDatabaseFilePermissions);
    return say(CreateResult::Created, QStringLiteral("Databasen er opprettet: %1").arg(QDir::toNativeSeparators(databasePath)));
}

} // namespace tavlo
