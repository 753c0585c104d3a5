#include "RecordingSink.h"
#include "Str.h"
#include "Screenshots.h"
#include "TempDatabase.h"
#include "app/LoginDialog.h"
#include "store/accounts/AccessLog.h"
#include "store/accounts/PasswordHash.h"
#include "store/accounts/Security.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <functional>

using namespace tavlo;
using tavlo::test::RecordingSink;
using tavlo::test::str;
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

TEST(Login, APasswordCountsWholeUpToSixtyFourCharactersAndANameNineAsBefore)
{
    TempDatabase t;
    const QString longest = QStringLiteral("Sommer-") + QString(kPasswordLongest - 7, u'x');
    QString message;
    ASSERT_EQ(AddUser(t.db, QStringLiteral("kari"), longest, &message), UserChange::Done) << message.toStdString();
    // Kept as typed by an older program, which read nine characters of the field.
    t.exec(QStringLiteral("INSERT INTO SEC (USERID, PASSWORD) VALUES ('ola', 'Hemmelig-')"));
    // A count of rounds no program of ours writes: hashing it would hold the login.
    t.exec(QStringLiteral("INSERT INTO SEC (USERID, PASSWORD) VALUES ('per', '$pbkdf2-sha256$i=2000000000$c2FsdA$"
                          "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA')"));
    const QString tooLong = QStringLiteral("Passordet kan ha høyst 64 tegn. Gjør et nytt forsøk!");
    const struct {
        QString user, password;
        int result;
        QString says; // empty: nothing
    } cases[] = {
        {"kari", longest, 1, {}},
        {"kari", longest.chopped(1), 0, QStringLiteral("Feil passord!")},
        {"kari", longest + u'x', 0, tooLong},
        {"ola", QStringLiteral("Hemmelig-XYZ"), 0, QStringLiteral("Feil passord!")},
        {"ola", QStringLiteral("Hemmelig-"), 1, {}},
        {"demo", QStringLiteral("de"), 0, QStringLiteral("Passordet må være minst 3 tegn langt. Gjør et nytt forsøk!")},
        {"demo", QStringLiteral("demo123"), 1, {}},
        {"demoXYZAB", QStringLiteral("demo123"), 0,
         QStringLiteral("Brukernavnet er ikke registrert. Kontroller stavingen og forsøk igjen.")},
        {"demo123456", QStringLiteral("demo123"), 0,
         QStringLiteral("Brukernavnet er ikke registrert. Kontroller stavingen og forsøk igjen.")},
        {"per", QStringLiteral("abc"), 0, QStringLiteral("Passordet til brukeren per er skadet i databasen")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(str(c.user + u'/' + c.password));
        RecordingSink sink;
        LoginDialog dialog(t.db);
        type(dialog.userField(), c.user);
        type(dialog.passwordField(), c.password);
        QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
        EXPECT_EQ(dialog.result(), c.result);
        EXPECT_EQ(sink.texts().join(u'\n').left(c.says.size()), c.says);
    }
    // The name field takes ten characters, nine of which count; a password field one more than
    // a password may have.
    LoginDialog typing(t.db);
    type(typing.userField(), QStringLiteral("abcdefghijk"));
    EXPECT_EQ(typing.userField()->text(), QStringLiteral("abcdefghij"));
    type(typing.passwordField(), QString(70, u'y'));
    EXPECT_EQ(typing.passwordField()->text().size(), kPasswordLongest + 1);
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
    type(dialog.newPasswordField(), QStringLiteral("nytt12345"));
    type(dialog.confirmField(), QStringLiteral("nytt12345"));
    QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
    EXPECT_EQ(sink.texts(), QStringList{QStringLiteral("Nytt passord bekreftet!")});
    EXPECT_EQ(dialog.mode(), 1);
    EXPECT_EQ(dialog.size(), QSize(520, 180));
    EXPECT_TRUE(dialog.passwordField()->text().isEmpty());
    EXPECT_EQ(dialog.focusWidget(), dialog.passwordField());
    EXPECT_EQ(dialog.result(), 0) << "still open, to log in";

    EXPECT_EQ(CheckUserPassword(t.db, QStringLiteral("demo"), QStringLiteral("demo123")), 8);
    EXPECT_EQ(CheckUserPassword(t.db, QStringLiteral("demo"), QStringLiteral("nytt12345")), 1);
    // Stored as a digest, never as typed.
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
