#include "cli/Cli.h"

#include "report/TablesDocument.h"
#include "resources/StringTable.h"
#include "store/accounts/AccessLog.h"
#include "store/connection/ConnectionString.h"
#include "store/creation/NewDatabase.h"
#include "store/tables/TestStore.h"
#include "store/connection/Workgroup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace tavlo::cli {

void print(const QString& line, FILE* to)
{
    std::fputs(line.toUtf8().constData(), to);
    std::fputc('\n', to);
}

QString tsvField(QString text)
{
    return TabSeparatedField(std::move(text));
}

QString takeOption(QStringList& args, const QString& name)
{
    const qsizetype at = args.indexOf(name);
    if (at < 0 || at + 1 >= args.size())
        return {};
    const QString value = args.at(at + 1);
    args.remove(at, 2);
    return value;
}

bool takeFlag(QStringList& args, const QString& name)
{
    return args.removeAll(name) > 0;
}

namespace {

bool g_probe = true;

// A folder without the workgroup file: the connection would only say that one file cannot be
// read, where the user most likely gave the wrong folder.
std::optional<QString> folderWithoutDatabase(const QDir& dir)
{
    if (QFileInfo::exists(dir.filePath(kWorkgroupFileName)))
        return std::nullopt;
    const QString folder = QDir::toNativeSeparators(dir.absolutePath());
    if (!QFileInfo::exists(dir.filePath(kDatabaseFileName)))
        return QStringLiteral("Mappen %1 har ingen database for TAVLO-II: verken TAVLO-II.mdb eller Virod.mdw finnes "
                              "der. Oppgi mappen der databasen ligger, eller lag en ny database med init-db.")
            .arg(folder);
    return QStringLiteral("Virod.mdw mangler i mappen %1, ved siden av databasen TAVLO-II.mdb. Legg filen tilbake fra "
                          "siste sikkerhetskopi, eller spør den som har ansvar for databasen.")
        .arg(folder);
}

QString g_role;

// One field of a line of a libpq password file: '\' escapes the next character.
QStringList passwordFileFields(const QString& line)
{
    QStringList fields(1);
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == u'\\' && i + 1 < line.size())
            fields.last() += line[++i];
        else if (line[i] == u':')
            fields.append(QString());
        else
            fields.last() += line[i];
    }
    return fields;
}

} // namespace

void setConnectionRole(const QString& role)
{
    g_role = role;
}

QString connectionRole()
{
    return g_role.isEmpty() ? qEnvironmentVariable("PGUSER") : g_role;
}

std::optional<QString> passwordFromFile(const QString& connectionTemplate, const QString& role)
{
    // A socket folder is "localhost" to the password file, as to the server's client library.
    const ServerAddress address = ServerAddressOf(connectionTemplate);
    const QString host = address.host.isEmpty() || address.host.startsWith(u'/') ? QStringLiteral("localhost")
                                                                                  : address.host;
    const QString& port = address.port;
    const QString& database = address.database;
    QString path = qEnvironmentVariable("PGPASSFILE");
    if (path.isEmpty())
        path = QDir::home().filePath(QStringLiteral(".pgpass"));
    // As the server's own client library: a file others may read is not used.
    struct stat info {};
    if (stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    if (info.st_mode & (S_IRWXG | S_IRWXO)) {
        print(QStringLiteral("Passordfilen %1 kan leses av andre enn deg, og brukes derfor ikke (chmod 600 %1).").arg(path),
              stderr);
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const auto matches = [](const QString& pattern, const QString& value) { return pattern == u"*" || pattern == value; };
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).remove(u'\r').remove(u'\n');
        if (line.startsWith(u'#'))
            continue;
        const QStringList f = passwordFileFields(line);
        if (f.size() >= 5 && matches(f[0], host) && matches(f[1], port) && matches(f[2], database) && matches(f[3], role))
            return f.mid(4).join(u':');
    }
    return std::nullopt;
}

bool connectFolder(Database& db, const QString& folder)
{
    const QDir dir(folder);
    const QString workgroup = dir.filePath(kWorkgroupFileName);
    const QString role = connectionRole();
    const bool server = WorkgroupNamesServer(workgroup);
    if (const auto missing = folderWithoutDatabase(dir)) {
        Show(Failure(*missing).then(LoadString(kStrConnectFailed)));
        return false;
    }
    if (!server && !g_role.isEmpty()) {
        tell(QStringLiteral("--user kobler til som en rolle på en databasetjener, men databasen i %1 er en fil. "
                            "Utelat --user.")
                 .arg(QDir::toNativeSeparators(dir.absolutePath())),
             MessageIcon::Stop);
        return false;
    } else if (server && role.isEmpty()) {
        tell(QStringLiteral("Databasen til %1 ligger på en databasetjener, og hver bruker kobler til som sin egen rolle "
                            "der. Oppgi rollen med --user NAVN.")
                 .arg(QDir::toNativeSeparators(dir.absolutePath())),
             MessageIcon::Stop);
        return false;
    }
    if (ShowIfFailed(OpenFolderDatabase(db, folder)))
        return false;
    if (!db.awaitsLogin())
        return true;
    const auto password = serverPassword(*ReadConnectionTemplate(workgroup, nullptr), role);
    if (!password)
        return false;
    switch (db.connectAs(role, *password, g_probe)) {
    case 1:
        db.setActor(role);
        return true;
    case 8:
        tell(QStringLiteral("Databasetjeneren tok ikke imot rollen %1 med dette passordet (eller rollen finnes ikke, "
                            "eller har ikke tilgang til databasen). Ingenting er gjort.")
                 .arg(role),
             MessageIcon::Stop);
        return false;
    default:
        // As in the program: what is wrong with the database first, then the system's own message.
        tell(LoadString(kStrConnectFailed), MessageIcon::Stop);
        return false;
    }
}

bool connectFolder(Session& session, const QString& folder)
{
    session.databaseFolder = QDir::toNativeSeparators(QDir(folder).path() + u'/');
    return connectFolder(session.db, folder);
}

void probeTablesAtConnect(bool probe)
{
    g_probe = probe;
}

void LineSink::show(const QString&, const QString& text, MessageIcon)
{
    print(QStringLiteral("MESSAGE\t") + text, stderr);
}

bool LineSink::ask(const QString& caption, const QString& text, MessageIcon icon, bool defaultYes)
{
    show(caption, text, icon);
    return defaultYes;
}

int usageOf(const Command& command)
{
    std::fprintf(stderr, "usage: tavlo-ii-cli %s %s\n", command.name, command.usage);
    return kUsageError;
}

} // namespace tavlo::cli
