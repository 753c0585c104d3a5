#include "RecordingSink.h"
#include "Screenshots.h"
#include "TempDatabase.h"
#include "app/LoginDialog.h"
#include "store/AccessLog.h"
#include "store/PasswordHash.h"
#include "store/Security.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <functional>

using namespace tavlo;
using tavlo::test::RecordingSink;
using tavlo::test::TempDatabase;

namespace {

void type(QLineEdit* field, const QString& text)
{
    field->clear();
    QTest::keyClicks(field, text);
}

} // namespace

TEST(Login, InputIsCheckedInOrderBeforeTheDatabase)
{
    // Not connected: any database access would show the driver's message.
    Database none;
    LoginDialog dialog(none);
    RecordingSink sink;
    struct Case {
        QString user, password;
        QString message;
        QLineEdit* focus;
    };
    const Case cases[] = {
        {QString(), QString(), QStringLiteral("Brukernavnet må være fyllt inn. Gjør et nytt forsøk!"), dialog.userField()},
        {QStringLiteral("ab"), QStringLiteral("abcdef"),
         QStringLiteral("Brukernavnet må være minst 3 tegn langt. Gjør et nytt forsøk!"), dialog.userField()},
        {QStringLiteral("abc"), QString(), QStringLiteral("Passordet må være fyllt inn. Gjør et nytt forsøk!"),
         dialog.passwordField()},
        {QStringLiteral("abc"), QStringLiteral("xy"),
         QStringLiteral("Passordet må være minst 3 tegn langt. Gjør et nytt forsøk!"), dialog.passwordField()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        sink.messages.clear();
        type(dialog.userField(), c.user);
        type(dialog.passwordField(), c.password);
        QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
        EXPECT_EQ(sink.texts(), QStringList{c.message});
        EXPECT_EQ(sink.messages.value(0).caption, QStringLiteral("TAVLO-II"));
        EXPECT_EQ(dialog.focusWidget(), c.focus);
        EXPECT_EQ(dialog.result(), 0);
    }
}

TEST(Login, UserAndPasswordAreCheckedAgainstTheUsersTable)
{
    TempDatabase t; // user "demo", password "demo123"
    RecordingSink sink;
    EXPECT_EQ(CheckUserPassword(t.db, QStringLiteral("demo"), QStringLiteral("demo123")), 1);
    EXPECT_EQ(CheckUserPassword(t.db, QStringLiteral("demo"), QStringLiteral("Demo123")), 8);
    EXPECT_EQ(CheckUserPassword(t.db, QStringLiteral("nobody"), QStringLiteral("demo123")), 9);
    EXPECT_EQ(CheckUserPassword(t.db, QStringLiteral("x' OR '1'='1"), QStringLiteral("x' OR '1'='1")), 9);
    t.exec(QStringLiteral("INSERT INTO SEC (USERID, PASSWORD) VALUES ('tom', '')"));
    t.exec(QStringLiteral("INSERT INTO SEC (USERID, PASSWORD) VALUES ('null', NULL)"));
    EXPECT_EQ(CheckUserPassword(t.db, QStringLiteral("tom"), QStringLiteral("abc")), 8);
    EXPECT_EQ(CheckUserPassword(t.db, QStringLiteral("null"), QStringLiteral("abc")), 8);
    EXPECT_TRUE(sink.messages.isEmpty());
    t.exec(QStringLiteral("DROP TABLE SEC"));
    EXPECT_EQ(CheckUserPassword(t.db, QStringLiteral("demo"), QStringLiteral("demo123")), 0);
    ASSERT_EQ(sink.messages.size(), 1);
    EXPECT_TRUE(sink.messages[0].text.contains(u"no such table: SEC"));
}

TEST(Login, ThreeCharactersAreEnoughAndOnlyNineCount)
{
    TempDatabase t;
    t.exec(QStringLiteral("INSERT INTO SEC (USERID, PASSWORD) VALUES ('ola', '123456789')"));
    RecordingSink sink;
    LoginDialog dialog(t.db);
    type(dialog.userField(), QStringLiteral("ola"));
    type(dialog.passwordField(), QStringLiteral("1234567890")); // ten typed, nine count
    EXPECT_EQ(dialog.passwordField()->text().size(), 10);
    QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
    EXPECT_TRUE(sink.messages.isEmpty()) << sink.texts().join(u'\n').toStdString();
    EXPECT_EQ(dialog.result(), 1);

    LoginDialog again(t.db);
    type(again.userField(), QStringLiteral("ola"));
    type(again.passwordField(), QStringLiteral("12345678901")); // the field holds ten at most
    EXPECT_EQ(again.passwordField()->text(), QStringLiteral("1234567890"));

    LoginDialog unknown(t.db);
    type(unknown.userField(), QStringLiteral("kar"));
    type(unknown.passwordField(), QStringLiteral("abc"));
    QTest::mouseClick(unknown.okButton(), Qt::LeftButton);
    EXPECT_EQ(sink.texts().value(0),
              QStringLiteral("Brukernavnet er ikke registrert. Kontroller stavingen og forsøk igjen."));
    EXPECT_EQ(unknown.focusWidget(), unknown.userField());
    EXPECT_EQ(unknown.result(), 0);
}

TEST(Login, ChangingThePasswordChecksFirstAndThenLogsInWithTheNewOne)
{
    TempDatabase t;
    RecordingSink sink;
    LoginDialog dialog(t.db);
    dialog.show();
    tavlo::test::saveScreenshot(dialog, QStringLiteral("login"));
    QTest::mouseClick(dialog.changeButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.mode(), 2);
    EXPECT_EQ(dialog.size(), QSize(520, 270));
    EXPECT_TRUE(dialog.newPasswordField()->isVisibleTo(&dialog));
    EXPECT_FALSE(dialog.changeButton()->isVisibleTo(&dialog));
    EXPECT_EQ(dialog.okButton()->geometry(), QRect(400, 163, 110, 23));
    tavlo::test::saveScreenshot(dialog, QStringLiteral("login-change"));

    // A wrong current password stores nothing.
    type(dialog.userField(), QStringLiteral("demo"));
    type(dialog.passwordField(), QStringLiteral("wrong1"));
    type(dialog.newPasswordField(), QStringLiteral("nytt12"));
    type(dialog.confirmField(), QStringLiteral("nytt12"));
    QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
    EXPECT_EQ(sink.texts(), QStringList{QStringLiteral("Feil passord!")});
    EXPECT_EQ(CheckUserPassword(t.db, QStringLiteral("demo"), QStringLiteral("demo123")), 1);

    sink.messages.clear();
    type(dialog.passwordField(), QStringLiteral("demo123"));
    type(dialog.newPasswordField(), QStringLiteral("ny"));
    type(dialog.confirmField(), QStringLiteral("ny"));
    QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
    EXPECT_EQ(sink.texts(), QStringList{QStringLiteral("Nytt passord må være minst 3 tegn langt. Gjør et nytt forsøk!")});
    EXPECT_TRUE(dialog.newPasswordField()->text().isEmpty());
    EXPECT_TRUE(dialog.confirmField()->text().isEmpty());
    EXPECT_EQ(dialog.focusWidget(), dialog.newPasswordField());

    sink.messages.clear();
    type(dialog.newPasswordField(), QStringLiteral("nytt12"));
    type(dialog.confirmField(), QStringLiteral("nytt13"));
    QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
    EXPECT_EQ(sink.texts(),
              QStringList{QStringLiteral("Bekreftet passord må være likt Nytt passord. Gjør et nytt forsøk! ")});
    EXPECT_TRUE(dialog.confirmField()->text().isEmpty());

    sink.messages.clear();
    type(dialog.newPasswordField(), QStringLiteral("nytt1234567")); // nine of them count
    type(dialog.confirmField(), QStringLiteral("nytt1234567"));
    QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
    EXPECT_EQ(sink.texts(), QStringList{QStringLiteral("Nytt passord bekreftet!")});
    EXPECT_EQ(dialog.mode(), 1);
    EXPECT_EQ(dialog.size(), QSize(520, 180));
    EXPECT_TRUE(dialog.passwordField()->text().isEmpty());
    EXPECT_EQ(dialog.focusWidget(), dialog.passwordField());
    EXPECT_EQ(dialog.result(), 0) << "still open, to log in";

    EXPECT_EQ(CheckUserPassword(t.db, QStringLiteral("demo"), QStringLiteral("demo123")), 8);
    EXPECT_EQ(CheckUserPassword(t.db, QStringLiteral("demo"), QStringLiteral("nytt12345")), 1);
    // Stored as a digest of the nine characters that count, never as typed.
    Statement stored(t.db);
    ASSERT_TRUE(stored.execDirect(QStringLiteral("SELECT PASSWORD FROM SEC WHERE USERID = 'demo'")));
    ASSERT_EQ(stored.fetch(), Fetch::Row);
    const QString digest = stored.getText(1);
    EXPECT_TRUE(IsPasswordHash(digest)) << digest.toStdString();
    EXPECT_TRUE(PasswordMatchesHash(QStringLiteral("nytt12345"), digest));
    type(dialog.passwordField(), QStringLiteral("nytt12345"));
    QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), 1);

    // The refusal, the change and the login, each under the typed name; a check for the
    // change is no login.
    QString error;
    const auto rows = ReadAccessLog(t.db, {}, &error);
    ASSERT_TRUE(rows) << error.toStdString();
    QStringList logged;
    for (const AccessLogRow& row : *rows)
        logged << row.user + u'|' + row.event;
    EXPECT_EQ(logged.mid(1), (QStringList{QStringLiteral("demo|innlogging avvist"), QStringLiteral("demo|passord endret"),
                                          QStringLiteral("demo|innlogget")}));
}

TEST(Login, EveryCancelInChangeModeGoesBackAndNeverCloses)
{
    Database none;
    LoginDialog dialog(none);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    // The button, Escape, and the window closed as a window manager closes it (title bar, Alt+F4).
    const std::pair<const char*, std::function<void()>> cancels[] = {
        {"Avbryt", [&] { QTest::mouseClick(dialog.cancelButton(), Qt::LeftButton); }},
        {"Escape", [&] { QTest::keyClick(&dialog, Qt::Key_Escape); }},
        {"window closed", [&] { dialog.windowHandle()->close(); }},
    };
    for (const auto& [way, cancel] : cancels) {
        SCOPED_TRACE(way);
        dialog.setMode(2);
        cancel();
        EXPECT_EQ(dialog.mode(), 1);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.size(), QSize(520, 180));
    }
    // In login mode each of them ends the login with 0.
    for (const auto& [way, cancel] : cancels) {
        SCOPED_TRACE(way);
        dialog.setResult(-1);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        cancel();
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.result(), 0);
    }
}
