// The new database a clinic without one makes at the first start.
#include "RecordingSink.h"
#include "Screenshots.h"
#include "app/NewDatabaseDialog.h"
#include "store/connection/Database.h"
#include "store/creation/NewDatabase.h"
#include "store/accounts/Security.h"
#include "store/connection/Workgroup.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace tavlo;
using tavlo::test::RecordingSink;

namespace {

void fill(NewDatabaseDialog& dialog, const QString& folder, const QString& user, const QString& password,
          const QString& repeat)
{
    for (auto [field, text] : {std::pair{dialog.folderField(), folder}, std::pair{dialog.userField(), user},
                               std::pair{dialog.passwordField(), password}, std::pair{dialog.repeatField(), repeat}}) {
        field->clear();
        QTest::keyClicks(field, text);
    }
}

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(NewDatabaseDialog, SaysWhatItMakesAndTakesTheLoginsRules)
{
    RecordingSink sink;
    QTemporaryDir place;
    NewDatabaseDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Ny database for TAVLO-II"));
    QString shown;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        shown += label->text() + u'\n';
    EXPECT_TRUE(shown.contains(QStringLiteral("foreløpige normer"))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("ikke for klinisk bruk"))) << shown.toStdString();
    EXPECT_EQ(dialog.userField()->maxLength(), 9) << "the login reads nine characters";
    EXPECT_EQ(dialog.passwordField()->echoMode(), QLineEdit::Password);

    const QString folder = place.filePath(QStringLiteral("ny"));
    struct Case {
        QString user, password, repeat;
        QString message;
        QLineEdit* focus;
    };
    const Case cases[] = {
        {QString(), QStringLiteral("abc"), QStringLiteral("abc"),
         QStringLiteral("Brukernavnet må være fyllt inn. Gjør et nytt forsøk!"), dialog.userField()},
        {QStringLiteral("ab"), QStringLiteral("abc"), QStringLiteral("abc"),
         QStringLiteral("Brukernavnet må være minst 3 tegn langt. Gjør et nytt forsøk!"), dialog.userField()},
        {QStringLiteral("anna"), QStringLiteral("ab"), QStringLiteral("ab"),
         QStringLiteral("Passordet må være minst 3 tegn langt. Gjør et nytt forsøk!"), dialog.passwordField()},
        {QStringLiteral("anna"), QString(65, u'x'), QString(65, u'x'),
         QStringLiteral("Passordet kan ha høyst 64 tegn. Gjør et nytt forsøk!"), dialog.passwordField()},
        {QStringLiteral("anna"), QStringLiteral("hemmelig"), QStringLiteral("hemmelix"),
         QStringLiteral("Passordet må skrives likt begge gangene. Gjør et nytt forsøk!"), dialog.repeatField()},
    };
    dialog.show();
    tavlo::test::saveScreenshot(dialog, QStringLiteral("new-database"));
    for (const Case& c : cases) {
        sink.messages.clear();
        fill(dialog, folder, c.user, c.password, c.repeat);
        dialog.createButton()->click();
        EXPECT_EQ(sink.texts(), QStringList{c.message});
        EXPECT_EQ(dialog.focusWidget(), c.focus) << c.message.toStdString();
        EXPECT_EQ(dialog.result(), 0);
        EXPECT_FALSE(QDir(folder).exists()) << "nothing made: " << c.message.toStdString();
    }
}

TEST(NewDatabaseDialog, MakesADatabaseTheFirstUserLogsInTo)
{
    RecordingSink sink;
    QTemporaryDir place;
    const QString folder = place.filePath(QStringLiteral("klinikk"));
    NewDatabaseDialog dialog;
    fill(dialog, QDir::toNativeSeparators(folder), QStringLiteral("anna"), QStringLiteral("hemmelig"),
         QStringLiteral("hemmelig"));
    dialog.createButton()->click();
    EXPECT_TRUE(sink.messages.isEmpty()) << sink.texts().join(u'\n').toStdString();
    EXPECT_EQ(dialog.result(), int(QDialog::Accepted));
    EXPECT_EQ(dialog.createdFolder(), folder + u'/');

    Database db;
    ASSERT_EQ(db.DbConnect(QStringLiteral("TAVLO-II"), {}, {},
                           folder + QStringLiteral("/TAVLO-II.mdb"), folder + QStringLiteral("/Virod.mdw")),
              1);
    EXPECT_EQ(CheckUserPassword(db, QStringLiteral("anna"), QStringLiteral("hemmelig")), 1);
    Statement norms(db);
    ASSERT_TRUE(norms.execDirect(QStringLiteral("SELECT COUNT(*) FROM NORMER_TAVLO")));
    ASSERT_EQ(norms.fetch(), Fetch::Row);
    EXPECT_GT(norms.getInt(1).value_or(0), 800) << "the shipped norms";
}

TEST(NewDatabaseDialog, AFolderThatHoldsADatabaseIsLeftAlone)
{
    RecordingSink sink;
    QTemporaryDir place;
    const QString folder = place.filePath(QStringLiteral("klinikk"));
    QString message;
    ASSERT_EQ(CreateDatabase(folder, QStringLiteral("ola"), QStringLiteral("gammelt"), &message), CreateResult::Created);
    const QByteArray before = bytesOf(folder + QStringLiteral("/TAVLO-II.mdb"));

    NewDatabaseDialog dialog;
    fill(dialog, folder, QStringLiteral("anna"), QStringLiteral("hemmelig"), QStringLiteral("hemmelig"));
    dialog.createButton()->click();
    ASSERT_EQ(sink.messages.size(), 1);
    EXPECT_TRUE(sink.messages[0].text.contains(QStringLiteral("finnes allerede"))) << sink.texts()[0].toStdString();
    EXPECT_EQ(dialog.result(), 0) << "the dialog stays";
    EXPECT_EQ(dialog.userField()->text(), QStringLiteral("anna")) << "what was typed stays";
    EXPECT_TRUE(dialog.createdFolder().isEmpty());
    EXPECT_EQ(bytesOf(folder + QStringLiteral("/TAVLO-II.mdb")), before);
}
