#include "cli/Cli.h"

#include "resources/StringTable.h"
#include "scoring/Scoring.h"
#include "store/AccessLog.h"
#include "store/NewDatabase.h"
#include "store/TestStore.h"
#include "store/Workgroup.h"

#include <QDir>
#include <QFileInfo>

namespace tavlo::cli {

void print(const QString& line, FILE* to)
{
    std::fputs(line.toUtf8().constData(), to);
    std::fputc('\n', to);
}

QString tsvField(QString text)
{
    for (QChar& c : text) {
        if (c == u'\t' || c == u'\n' || c == u'\r')
            c = u' ';
    }
    return text;
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

} // namespace

bool connectFolder(Database& db, const QString& folder)
{
    const QDir dir(folder);
    const Account account = DecipherAccount();
    if (const auto missing = folderWithoutDatabase(dir))
        tell(*missing, MessageIcon::Stop);
    else if (db.DbConnect(QStringLiteral("TAVLO-II"), account.name, account.password, dir.filePath(kDatabaseFileName),
                          dir.filePath(kWorkgroupFileName))
             == 1)
        return true;
    // As in the program: what is wrong with the database first, then the system's own message.
    tell(LoadString(60), MessageIcon::Stop);
    return false;
}

bool readAndScore(Database& db, TestRecord& test, NormState& norms, int id)
{
    if (!OpenTest(db, test, id))
        return false;
    SelectAgeGroup(db, norms, test);
    ScoreTest(db, norms, test);
    return true;
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
