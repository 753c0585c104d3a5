#include "RecordingSink.h"
#include "Unprivileged.h"
#include "vandrel/vandrel.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <cstring>

using tavlo::test::RecordingSink;

namespace {

const char* const kKey = "SOFTWARE\\Brenmark Rezod\\TAVLO-II";

QString userIniFile()
{
    return qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Brenmark Rezod/TAVLO-II.ini");
}

} // namespace

TEST(Registry, RoundTripThroughTheUsersIniFile)
{
    RecordingSink sink;
    ASSERT_EQ(cDoSetRegistryValue(kKey, "DatabaseFolder", "/srv/tester/æøå, 'x'/"), 1);
    char buffer[128];
    std::memset(buffer, 0, sizeof buffer);
    EXPECT_EQ(cDoGetRegistryValue_Ex(kKey, "DatabaseFolder", buffer), 1);
    EXPECT_STREQ(buffer, "/srv/tester/æøå, 'x'/");
    EXPECT_TRUE(sink.messages.isEmpty());
    // The value lives where the design puts it: the user's configuration folder.
    ASSERT_TRUE(QFile::exists(userIniFile()));
    QSettings file(userIniFile(), QSettings::IniFormat);
    EXPECT_EQ(file.value(QStringLiteral("DatabaseFolder")).toString(), QStringLiteral("/srv/tester/æøå, 'x'/"));

    // Overwriting replaces; the empty text is a value too.
    ASSERT_EQ(cDoSetRegistryValue(kKey, "SelectedReports", "1010000000000000000"), 1);
    ASSERT_EQ(cDoSetRegistryValue(kKey, "SelectedReports", ""), 1);
    std::strcpy(buffer, "untouched");
    cDoGetRegistryValue_Ex(kKey, "SelectedReports", buffer);
    EXPECT_STREQ(buffer, "");
}

TEST(Registry, MissingValueOrKeyLeavesTheBufferAsItWas)
{
    char buffer[128] = "as it was";
    EXPECT_EQ(cDoGetRegistryValue_Ex(kKey, "NoSuchValue", buffer), 1);
    EXPECT_STREQ(buffer, "as it was");
    EXPECT_EQ(cDoGetRegistryValue_Ex("SOFTWARE\\Nobody\\Nothing", "DatabaseFolder", buffer), 1);
    EXPECT_STREQ(buffer, "as it was");
    EXPECT_EQ(cDoGetRegistryValue_Ex(nullptr, "DatabaseFolder", buffer), 1);
    EXPECT_EQ(cDoGetRegistryValue_Ex(kKey, nullptr, buffer), 1);
    EXPECT_EQ(cDoGetRegistryValue_Ex(kKey, "DatabaseFolder", nullptr), 1);
    EXPECT_STREQ(buffer, "as it was");

    char machine[1024] = "as it was";
    EXPECT_EQ(cDoGetRegistryValueLocalMachine(kKey, "NoSuchValue", machine), 0);
    EXPECT_STREQ(machine, "as it was");
}

TEST(Registry, ValueLongerThanTheBufferIsNotRead)
{
    // 200 bytes do not fit the 128-byte user buffer; half a path is worse than none.
    const std::string longValue(200, 'a');
    ASSERT_EQ(cDoSetRegistryValue(kKey, "LongValue", longValue.c_str()), 1);
    char buffer[128] = "as it was";
    EXPECT_EQ(cDoGetRegistryValue_Ex(kKey, "LongValue", buffer), 1);
    EXPECT_STREQ(buffer, "as it was");

    const std::string fits(127, 'b');
    ASSERT_EQ(cDoSetRegistryValue(kKey, "FitsValue", fits.c_str()), 1);
    EXPECT_EQ(cDoGetRegistryValue_Ex(kKey, "FitsValue", buffer), 1);
    EXPECT_EQ(std::string(buffer), fits);
}

TEST(Registry, MachineWideValueIsReadFromTheSystemFolder)
{
    const QString dir = qEnvironmentVariable("XDG_CONFIG_DIRS").split(u':').first() + QStringLiteral("/Brenmark Rezod");
    ASSERT_TRUE(QDir().mkpath(dir));
    {
        QSettings machine(dir + QStringLiteral("/TAVLO-II.ini"), QSettings::IniFormat);
        machine.setValue(QStringLiteral("DatabaseFolder"), QStringLiteral("/srv/felles/"));
        machine.sync();
        ASSERT_EQ(machine.status(), QSettings::NoError);
    }
    char buffer[1024] = {};
    EXPECT_EQ(cDoGetRegistryValueLocalMachine(kKey, "DatabaseFolder", buffer), 1);
    EXPECT_STREQ(buffer, "/srv/felles/");
    // The user's scope does not see it.
    char user[128] = "none";
    cDoGetRegistryValue_Ex("SOFTWARE\\Brenmark Rezod\\Other", "DatabaseFolder", user);
    EXPECT_STREQ(user, "none");
}

TEST(Registry, DeeperKeyPartsAreKeptApart)
{
    ASSERT_EQ(cDoSetRegistryValue("SOFTWARE\\Brenmark Rezod\\TAVLO-II\\Print", "Copies", "2"), 1);
    char buffer[128] = "none";
    cDoGetRegistryValue_Ex(kKey, "Copies", buffer);
    EXPECT_STREQ(buffer, "none");
    cDoGetRegistryValue_Ex("SOFTWARE\\Brenmark Rezod\\TAVLO-II\\Print", "Copies", buffer);
    EXPECT_STREQ(buffer, "2");
}

TEST(Registry, LibraryOwnReaderAnswersEmptyWhenMissing)
{
    EXPECT_STREQ(cDoGetRegistryValue("Anything"), "");
    ASSERT_EQ(cDoSetRegistryValue("SOFTWARE\\Morvik Rezod AS\\vandrel", "Anything", "x"), 1);
    EXPECT_STREQ(cDoGetRegistryValue("Anything"), "x");
    EXPECT_STREQ(cDoGetRegistryValue(nullptr), "");
}

TEST(Registry, KeyThatCannotBeCreatedGives1613AndZero)
{
    TAVLO_RUN_UNPRIVILEGED();
    RecordingSink sink;
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    ASSERT_TRUE(QDir().mkpath(config + QStringLiteral("/Locked")));
    ASSERT_TRUE(QFile::setPermissions(config + QStringLiteral("/Locked"), QFile::ReadOwner | QFile::ExeOwner));

    EXPECT_EQ(cDoSetRegistryValue("SOFTWARE\\Locked\\TAVLO-II", "DatabaseFolder", "/x/"), 0);
    ASSERT_EQ(sink.messages.size(), 1);
    EXPECT_EQ(sink.messages[0].caption, QStringLiteral("Morvik Rezod AS"));
    EXPECT_EQ(sink.messages[0].text, QStringLiteral("Feil ved write (1613). Kontakt programvareleverandøren."));
    EXPECT_FALSE(QFile::exists(config + QStringLiteral("/Locked/TAVLO-II.ini")));
}

TEST(Registry, ValueThatCannotBeWrittenGives1617AndOne)
{
    TAVLO_RUN_UNPRIVILEGED();
    RecordingSink sink;
    ASSERT_EQ(cDoSetRegistryValue("SOFTWARE\\HalfLocked\\TAVLO-II", "DatabaseFolder", "/first/"), 1);
    // The file stays writable but its folder does not: the key opens, the safe write fails.
    const QString folder = qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/HalfLocked");
    ASSERT_TRUE(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));

    EXPECT_EQ(cDoSetRegistryValue("SOFTWARE\\HalfLocked\\TAVLO-II", "DatabaseFolder", "/second/"), 1);
    ASSERT_EQ(sink.messages.size(), 1);
    EXPECT_EQ(sink.messages[0].caption, QStringLiteral("Morvik Rezod AS"));
    EXPECT_EQ(sink.messages[0].text, QStringLiteral("Feil ved write (1617). Kontakt programvareleverandøren."));
    // Read the bytes: a QSettings object in this process would see the unsaved value.
    QFile onDisk(folder + QStringLiteral("/TAVLO-II.ini"));
    ASSERT_TRUE(onDisk.open(QIODevice::ReadOnly));
    const QByteArray text = onDisk.readAll();
    EXPECT_TRUE(text.contains("/first/")) << text.toStdString();
    EXPECT_FALSE(text.contains("/second/")) << text.toStdString();
}
