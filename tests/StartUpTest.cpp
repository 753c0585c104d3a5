#include "DamagedDatabase.h"
#include "RecordingSink.h"
#include "TempDatabase.h"
#include "Unprivileged.h"
#include "app/AppContext.h"
#include "app/StartUp.h"
#include "store/creation/NewDatabase.h"
#include "resources/StringTable.h"
#include "vandrel/vandrel.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

using namespace tavlo;
using tavlo::test::Damage;
using tavlo::test::RecordingSink;
using tavlo::test::TempDatabase;

namespace {

const QString kMissingFiles = QStringLiteral(
    "Det var ikke mulig å finne noen av de følgende databasefilene: TAVLO-II.mdb, Virod.mdw. Du kommer nå til å se et "
    "vindu der du kan velge den mappen hvor databasefilene finnes. Velg databasefilen TAVLO-II.mdb i mappen og trykk "
    "OK. Hvis du er usikker, kontakt din IT-support.");

void setUserFolder(const QString& value)
{
    ASSERT_EQ(cDoSetRegistryValue(kRegistryKey, "DatabaseFolder", value.toUtf8().constData()), 1);
}

void setMachineFolder(const QString& value)
{
    const QString dir = qEnvironmentVariable("XDG_CONFIG_DIRS").split(u':').first() + QStringLiteral("/Brenmark Rezod");
    QDir().mkpath(dir);
    QSettings machine(dir + QStringLiteral("/TAVLO-II.ini"), QSettings::IniFormat);
    machine.setValue(QStringLiteral("DatabaseFolder"), value);
    machine.sync();
}

QString userFolderValue()
{
    char buffer[128] = {};
    cDoGetRegistryValue_Ex(kRegistryKey, "DatabaseFolder", buffer);
    return QString::fromUtf8(buffer);
}

// Start-up with the file choice and the login answered by the test.
struct StartOutcome {
    bool started;
    int chooserCalls = 0;
    int loginCalls = 0;
};

StartOutcome startUp(AppContext& context, const QString& chosenFile = {}, int loginResult = 1,
               const std::function<QString(QWidget*)>& createDatabase = {})
{
    StartOutcome outcome{false};
    StartUpSeams seams;
    seams.createDatabase = createDatabase;
    seams.chooseDatabaseFile = [&](QWidget*) {
        ++outcome.chooserCalls;
        return chosenFile;
    };
    seams.login = [&](QWidget*, Database& db) {
        ++outcome.loginCalls;
        EXPECT_TRUE(db.isConnected()) << "the login comes after the connection";
        return loginResult;
    };
    outcome.started = RunStartUp(nullptr, context, seams);
    return outcome;
}

// The sentence that names the file, the driver's reason after it, then the system's
// connection message, and no login.
void expectRefusedConnection(const Damage& damage)
{
    TempDatabase db;
    tavlo::test::applyDamage(db, damage);
    setUserFolder(db.folder() + u'/');
    RecordingSink sink;
    AppContext context;
    const StartOutcome o = startUp(context);
    EXPECT_FALSE(o.started);
    EXPECT_EQ(o.loginCalls, 0);
    EXPECT_FALSE(context.db.isConnected());
    ASSERT_EQ(sink.messages.size(), 2) << sink.texts().join(u'\n').toStdString();
    tavlo::test::expectSentenceFirst(sink.messages[0].text, damage, db.databasePath());
    EXPECT_EQ(sink.messages[0].icon, MessageIcon::Stop);
    EXPECT_EQ(sink.messages[1].text, LoadString(60));
}

class StartUp : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Each test starts with no stored folder at all.
        setUserFolder(QString());
        setMachineFolder(QString());
        m_cwd = QDir::currentPath();
        QDir::setCurrent(m_empty.path());
    }
    void TearDown() override { QDir::setCurrent(m_cwd); }

    QTemporaryDir m_empty;
    QString m_cwd;
};

} // namespace

TEST_F(StartUp, FolderComesFromTheUsersValue)
{
    TempDatabase db;
    setUserFolder(db.folder() + u'/');
    setMachineFolder(QStringLiteral("/nowhere/"));
    RecordingSink sink;
    AppContext context;
    const StartOutcome o = startUp(context);
    EXPECT_TRUE(o.started);
    EXPECT_EQ(o.chooserCalls, 0);
    EXPECT_EQ(o.loginCalls, 1);
    EXPECT_EQ(context.databaseFolder, db.folder() + u'/');
    EXPECT_EQ(context.norms.CurrentNormGroup, QStringLiteral("Standardgrupp"));
    EXPECT_TRUE(sink.messages.isEmpty()) << sink.texts().join(u'\n').toStdString();
}

TEST_F(StartUp, MachineValueWhenTheUsersIsAbsentOrOneCharacter)
{
    TempDatabase db;
    setMachineFolder(db.folder() + u'/');
    for (const QString& user : {QString(), QStringLiteral("/"), QStringLiteral("\\")}) {
        SCOPED_TRACE(user.toStdString());
        setUserFolder(user);
        RecordingSink sink;
        AppContext context;
        EXPECT_TRUE(startUp(context).started);
        EXPECT_EQ(context.databaseFolder, db.folder() + u'/');
    }
    // A value without its trailing separator still finds the files.
    setUserFolder(db.folder());
    EXPECT_EQ(FindDatabaseFolder(), db.folder() + u'/');
}

TEST_F(StartUp, CurrentFolderWhenNoValueIsUsable)
{
    TempDatabase db;
    setMachineFolder(QStringLiteral("x"));
    QDir::setCurrent(db.folder());
    RecordingSink sink;
    AppContext context;
    EXPECT_TRUE(startUp(context).started);
    EXPECT_EQ(QDir(context.databaseFolder).canonicalPath(), QDir(db.folder()).canonicalPath());
}

TEST_F(StartUp, MissingFilesLeadToTheChoiceAndTheChosenFolderIsKept)
{
    TempDatabase db;
    RecordingSink sink;
    AppContext context;
    const StartOutcome o = startUp(context, db.folder() + QStringLiteral("/TAVLO-II.mdb"));
    EXPECT_TRUE(o.started);
    EXPECT_EQ(o.chooserCalls, 1);
    const QString here = QDir(m_empty.path()).path() + u'/';
    ASSERT_EQ(sink.messages.size(), 5) << sink.texts().join(u'\n').toStdString();
    EXPECT_EQ(sink.messages[0].text, QDir::toNativeSeparators(here + QStringLiteral("TAVLO-II.mdb")));
    EXPECT_EQ(sink.messages[1].text, QDir::toNativeSeparators(here + QStringLiteral("Virod.mdw")));
    EXPECT_EQ(sink.messages[2].text, kMissingFiles);
    EXPECT_EQ(sink.messages[2].icon, MessageIcon::Stop);
    EXPECT_EQ(sink.messages[3].text, kOfferNewDatabase) << "answered with its default, Nei";
    EXPECT_TRUE(sink.messages[3].question);
    EXPECT_EQ(sink.messages[4].text,
              QStringLiteral("Följande mapp för databasen är vald: %1").arg(QDir::toNativeSeparators(db.folder() + u'/')));
    for (const auto& m : sink.messages)
        EXPECT_EQ(m.caption, QStringLiteral("TAVLO-II"));
    EXPECT_EQ(userFolderValue(), db.folder() + u'/') << "stored with its trailing separator";
    EXPECT_EQ(context.databaseFolder, db.folder() + u'/');

    // The other two spellings are taken off the path as well.
    for (const QString& name : {QStringLiteral("tavlo-ii.mdb"), QStringLiteral("Tavlo-ii.mdb")})
        EXPECT_EQ(FolderOfChosenFile(QStringLiteral("/srv/db/") + name), QStringLiteral("/srv/db/"));
}

TEST_F(StartUp, OnlyTheMissingFileIsNamed)
{
    TempDatabase db;
    setUserFolder(db.folder() + u'/');
    QFile::remove(db.workgroupPath());
    RecordingSink sink;
    AppContext context;
    EXPECT_FALSE(startUp(context).started);
    ASSERT_GE(sink.messages.size(), 2);
    EXPECT_EQ(sink.messages[0].text, QDir::toNativeSeparators(db.workgroupPath()));
    EXPECT_EQ(sink.messages[1].text, kMissingFiles);
}

TEST_F(StartUp, CancelledChoiceEndsTheProgram)
{
    RecordingSink sink;
    AppContext context;
    const StartOutcome o = startUp(context, QString());
    EXPECT_FALSE(o.started);
    EXPECT_EQ(o.loginCalls, 0);
    EXPECT_EQ(sink.texts().last(), QStringLiteral("Valget av mappe og databasefil ble avbrutt, alternativt oppsto det en "
                                                  "feil. Programmet avsluttes."));
    EXPECT_FALSE(context.db.isConnected());
}

TEST_F(StartUp, WrongLetterCaseEndsWithTheMissingDatabaseMessage)
{
    TempDatabase db;
    RecordingSink sink;
    AppContext context;
    EXPECT_FALSE(startUp(context, db.folder() + QStringLiteral("/tavlo-II.mdb")).started);
    EXPECT_EQ(sink.texts().last(), QStringLiteral("Filen TAVLO-II.mdb finnes ikke i valgt mappe. Programmet avsluttes. "
                                                  "Rett opp feilen og start programmet på nytt."));
    EXPECT_EQ(sink.messages.last().icon, MessageIcon::Stop);
}

TEST_F(StartUp, ChosenFolderWithoutTheWorkgroupFileEndsTheProgram)
{
    TempDatabase db;
    QFile::remove(db.workgroupPath());
    RecordingSink sink;
    AppContext context;
    EXPECT_FALSE(startUp(context, db.databasePath()).started);
    EXPECT_EQ(sink.texts().last(), QStringLiteral("Filen Virod.mdw finnes ikke i valgt mappe. Programmet avsluttes. "
                                                  "Rett opp feilen og start programmet på nytt."));
}

TEST_F(StartUp, FailedConnectionAndCancelledLoginEndTheProgram)
{
    TempDatabase db;
    db.db.DbDisconnect();
    setUserFolder(db.folder() + u'/');
    {
        RecordingSink sink;
        AppContext context;
        const StartOutcome o = startUp(context, {}, 0);
        EXPECT_FALSE(o.started);
        EXPECT_EQ(o.loginCalls, 1);
    }
    QFile file(db.databasePath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QByteArray(4096, 'x'));
    file.close();
    RecordingSink sink;
    AppContext context;
    const StartOutcome o = startUp(context);
    EXPECT_FALSE(o.started);
    EXPECT_EQ(o.loginCalls, 0);
    ASSERT_EQ(sink.messages.size(), 2);
    EXPECT_TRUE(sink.messages[0].text.startsWith(QStringLiteral("Databasen %1 er skadet").arg(db.databasePath())))
        << sink.messages[0].text.toStdString();
    EXPECT_TRUE(sink.messages[0].text.endsWith(u"\n\n[SQLite]file is not a database (26)"))
        << sink.messages[0].text.toStdString();
    EXPECT_EQ(sink.messages[1].text, LoadString(60));
}

TEST_F(StartUp, RegistryThatCannotBeWrittenEndsWithE0915)
{
    TAVLO_RUN_UNPRIVILEGED();
    TempDatabase db;
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Brenmark Rezod");
    QFile::remove(config + QStringLiteral("/TAVLO-II.ini"));
    ASSERT_TRUE(QFile::setPermissions(config, QFile::ReadOwner | QFile::ExeOwner));
    RecordingSink sink;
    AppContext context;
    EXPECT_FALSE(startUp(context, db.databasePath()).started);
    QFile::setPermissions(config, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ASSERT_GE(sink.messages.size(), 2);
    EXPECT_EQ(sink.messages[sink.messages.size() - 2].text,
              QStringLiteral("Feil ved write (1613). Kontakt programvareleverandøren."));
    EXPECT_EQ(sink.texts().last(),
              QStringLiteral("Det oppsto en feil ved registreringen av registerverdi. Programmet avsluttes (E0915)"));
}

TEST_F(StartUp, EveryKindOfDamagedDatabaseIsNamedFirstAndEndsWithTheConnectionMessage)
{
    for (const Damage& damage : tavlo::test::damagedDatabases()) {
        SCOPED_TRACE(damage.name.toStdString());
        expectRefusedConnection(damage);
    }
}

TEST_F(StartUp, UnreadableDatabaseEndsWithTheConnectionMessage)
{
    TAVLO_RUN_UNPRIVILEGED();
    expectRefusedConnection(tavlo::test::unreadableDatabase());
}

TEST_F(StartUp, ADatabaseThatCannotBeWrittenIsToldAfterTheLogin)
{
    TAVLO_RUN_UNPRIVILEGED();
    TempDatabase db;
    db.db.DbDisconnect();
    setUserFolder(db.folder() + u'/');
    const auto readWrite = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    const auto restore = qScopeGuard([&] { QFile::setPermissions(db.folder(), readWrite); });
    const QString notice = QStringLiteral("Databasen %1 kan bare leses. Nye tester kan ikke lagres.")
                               .arg(QDir::toNativeSeparators(db.databasePath()));
    // The file itself; then only its folder, where SQLite writes its journal.
    ASSERT_TRUE(QFile::setPermissions(db.databasePath(), QFile::ReadOwner | QFile::ReadGroup));
    for (const QString& round : {QStringLiteral("file"), QStringLiteral("folder")}) {
        SCOPED_TRACE(round.toStdString());
        RecordingSink sink;
        AppContext context;
        const StartOutcome o = startUp(context);
        EXPECT_TRUE(o.started);
        EXPECT_EQ(o.loginCalls, 1);
        ASSERT_EQ(sink.messages.size(), 1) << sink.texts().join(u'\n').toStdString();
        EXPECT_EQ(sink.messages[0].text, notice);
        EXPECT_EQ(sink.messages[0].icon, MessageIcon::Exclamation);
        EXPECT_EQ(context.readOnlyDatabase, db.databasePath());
        ASSERT_TRUE(QFile::setPermissions(db.databasePath(), QFile::ReadOwner | QFile::WriteOwner));
        ASSERT_TRUE(QFile::setPermissions(db.folder(), QFile::ReadOwner | QFile::ExeOwner));
    }
    ASSERT_TRUE(QFile::setPermissions(db.folder(), readWrite));
    RecordingSink sink;
    AppContext context;
    EXPECT_TRUE(startUp(context).started);
    EXPECT_TRUE(sink.messages.isEmpty()) << sink.texts().join(u'\n').toStdString();
    EXPECT_TRUE(context.readOnlyDatabase.isEmpty());
}

TEST_F(StartUp, ANewClinicGetsANewDatabaseAndGoesOnToTheLogin)
{
    RecordingSink sink;
    QTemporaryDir place;
    const QString folder = place.path() + QStringLiteral("/klinikk/");
    int made = 0;
    const auto create = [&](QWidget*) {
        ++made;
        QString message;
        EXPECT_EQ(CreateDatabase(folder, QStringLiteral("anna"), QStringLiteral("hemmelig"), &message),
                  CreateResult::Created);
        return folder;
    };

    // Offered after the message, and declined: the file choice, as before.
    sink.answers = {false};
    AppContext declined;
    StartOutcome o = startUp(declined, QString(), 1, create);
    EXPECT_EQ(made, 0);
    EXPECT_EQ(o.chooserCalls, 1);
    EXPECT_FALSE(o.started);

    // Accepted: the database is made, kept as the folder, and the login follows.
    sink.messages.clear();
    sink.answers = {true};
    AppContext context;
    o = startUp(context, QString(), 1, create);
    EXPECT_TRUE(o.started);
    EXPECT_EQ(made, 1);
    EXPECT_EQ(o.chooserCalls, 0);
    EXPECT_EQ(o.loginCalls, 1);
    EXPECT_EQ(userFolderValue(), folder);
    EXPECT_EQ(context.databaseFolder, folder);
    EXPECT_TRUE(context.db.isConnected());

    // A new database given up on still leaves the file choice.
    sink.answers = {true};
    AppContext cancelled;
    setUserFolder(QString());
    o = startUp(cancelled, QString(), 1, [](QWidget*) { return QString(); });
    EXPECT_EQ(o.chooserCalls, 1);
    EXPECT_FALSE(o.started);
}
