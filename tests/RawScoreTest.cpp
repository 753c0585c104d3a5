#include "Ages.h"
#include "RecordingSink.h"
#include "Screenshots.h"
#include "TempDatabase.h"
#include "Unprivileged.h"
#include "app/AppContext.h"
#include "entry/CardGridDialog.h"
#include "entry/RawScoreDialog.h"
#include "resources/StringTable.h"
#include "store/tables/PersonTable.h"
#include "store/tables/ScoreTables.h"
#include "store/tables/TestStore.h"
#include "store/connection/Workgroup.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTest>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

using namespace tavlo;
using tavlo::test::childAged;
using tavlo::test::RecordingSink;
using tavlo::test::TempDatabase;

namespace {

const QString kDiscardQuestion = QStringLiteral("Det du har skrevet inn, er ikke lagret. Vil du forkaste det?");

int row(Key key)
{
    return measureInfo(key).entryRow;
}

class RawScores : public ::testing::Test {
protected:
    void open(int years, int months = 0)
    {
        if (!context.db.isConnected()) {
            ASSERT_TRUE(db.connect(context.db));
        }
        context.test = childAged(years, months);
        reopen();
    }
    void reopen()
    {
        dialog = std::make_unique<RawScoreDialog>(context);
        dialog->show();
    }
    void type(Key key, const QString& text)
    {
        QLineEdit* f = dialog->field(row(key));
        f->clear();
        QTest::keyClicks(f, text);
    }
    // Wholly inside the scroll area's viewport.
    bool inSight(Key key) const
    {
        const QLineEdit* f = dialog->field(row(key));
        const int top = f->mapTo(dialog->scrollArea()->viewport(), QPoint(0, 0)).y();
        return top >= 0 && top + f->height() <= dialog->scrollArea()->viewport()->height();
    }
    QStringList typedFields() const
    {
        QStringList typed;
        for (int r = 1; r <= 60; ++r)
            typed.append(dialog->field(r)->text());
        return typed;
    }
    // Continue on a save the database refuses for a reason outside the form: told in one box,
    // lead first and the driver's text as its detail; the dialog stays with everything typed.
    void expectRefusedSaveToldOnce(const QString& lead, const QString& driverText)
    {
        const QStringList typed = typedFields();
        sink.messages.clear();
        QTest::mouseClick(dialog->continueButton(), Qt::LeftButton);
        EXPECT_EQ(dialog->result(), 0);
        EXPECT_TRUE(dialog->isVisible());
        ASSERT_EQ(sink.messages.size(), 1) << sink.texts().join(u'\n').toStdString();
        const QString text = sink.messages[0].text;
        EXPECT_TRUE(text.startsWith(lead)) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("\n\nMelding fra databasen: ") + driverText)) << text.toStdString();
        EXPECT_EQ(sink.messages[0].icon, MessageIcon::Exclamation);
        EXPECT_EQ(typedFields(), typed);
        EXPECT_EQ(context.test.person.ID, 0);
        EXPECT_TRUE(context.testIsNew);
    }
    QString refusal(Key key) const
    {
        return QStringLiteral("Ogyldig verdi registrert på %1.").arg(LoadString(measureInfo(key).labelId));
    }

    TempDatabase db;
    AppContext context;
    RecordingSink sink;
    std::unique_ptr<RawScoreDialog> dialog;
};

} // namespace

TEST_F(RawScores, FieldsApplyingToTheAgeAreEnabledAndLaidOutUnderTheirHeadings)
{
    open(4);
    tavlo::test::saveScreenshot(*dialog, QStringLiteral("raw-scores-4"));
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("TAVLO-II"));
    EXPECT_TRUE(dialog->field(row(Key::AI))->isEnabled());
    EXPECT_TRUE(dialog->field(row(Key::KR_A))->isEnabled());
    EXPECT_FALSE(dialog->field(row(Key::BF_S))->isEnabled());
    EXPECT_TRUE(dialog->field(row(Key::FBA))->isEnabled());
    EXPECT_FALSE(dialog->field(row(Key::FBAB))->isEnabled());
    EXPECT_TRUE(dialog->field(row(Key::RM))->isEnabled());
    EXPECT_FALSE(dialog->field(row(Key::MO_A))->isEnabled());
    // Rows 25 pixels apart in the dialog's order, the first field after its heading.
    EXPECT_EQ(dialog->field(1)->geometry(), QRect(40, 73, 28, 23));
    EXPECT_EQ(dialog->field(2)->y() - dialog->field(1)->y(), 2 * 25) << "KD starts with its heading";
    // HF's heading and the card grid button, then HH's heading, then measure 25.
    EXPECT_EQ(dialog->field(25)->y() - dialog->field(24)->y(), 4 * 25);
    EXPECT_EQ(dialog->field(27)->y() - dialog->field(26)->y(), 2 * 25) << "the maxima line of 26";
    EXPECT_EQ(dialog->cardGridButton()->text(), QStringLiteral("&Hukommelse for figurer"));
    QStringList texts;
    for (const QLabel* label : dialog->findChildren<QLabel*>())
        texts.append(label->text());
    for (int id = 1101; id <= 1161; ++id)
        EXPECT_TRUE(texts.contains(LoadString(id))) << id;
    for (int id = 1201; id <= 1230; ++id)
        EXPECT_TRUE(texts.contains(LoadString(id))) << id;
    EXPECT_TRUE(texts.contains(QStringLiteral("Fyll inn resultatet fra TAVLO-II-testingen nedenfor:")));
    const int rows = 60 + 30 + 1 + 1;
    EXPECT_EQ(dialog->continueButton()->geometry(), QRect(40, rows * 25 + 70, 100, 40));
    EXPECT_EQ(dialog->cancelButton()->geometry(), QRect(160, rows * 25 + 70, 100, 40));
    EXPECT_EQ(dialog->continueButton()->text(), QStringLiteral("&Fortsett"));

    open(13);
    EXPECT_FALSE(dialog->field(row(Key::BF_S))->isEnabled());
    EXPECT_FALSE(dialog->field(row(Key::VP_T))->isEnabled());
    EXPECT_TRUE(dialog->field(row(Key::INV_T))->isEnabled());
    EXPECT_TRUE(dialog->field(row(Key::OF_A))->isEnabled());
}

TEST_F(RawScores, StoredValuesAreShownAndNotEnteredIsEmpty)
{
    open(8);
    context.test.scores.AI = 0;
    context.test.scores.VP_F = 382;
    reopen();
    EXPECT_EQ(dialog->field(row(Key::AI))->text(), QStringLiteral("0"));
    EXPECT_EQ(dialog->field(row(Key::VP_F))->text(), QStringLiteral("382")) << "disabled, still shown";
    EXPECT_TRUE(dialog->field(row(Key::KR_A))->text().isEmpty());
    QTest::keyClicks(dialog->field(row(Key::BK)), QStringLiteral("1x2-"));
    EXPECT_EQ(dialog->field(row(Key::BK))->text(), QStringLiteral("12")) << "digits only";
    QTest::keyClicks(dialog->field(row(Key::BK)), QStringLiteral("345"));
    EXPECT_EQ(dialog->field(row(Key::BK))->text(), QStringLiteral("123")) << "three at most";
}

TEST_F(RawScores, EachValueIsCheckedAgainstTheMaximumOfTheAge)
{
    open(4);
    type(Key::AI, QStringLiteral("16"));
    type(Key::KR_A, QStringLiteral("5"));
    EXPECT_EQ(dialog->CheckRawScores(), 1);
    EXPECT_EQ(context.test.scores.AI, 16);
    type(Key::AI, QStringLiteral("17"));
    type(Key::KR_A, QStringLiteral("6"));
    EXPECT_EQ(dialog->CheckRawScores(), 0);
    EXPECT_EQ(sink.texts(), QStringList{refusal(Key::AI)});
    EXPECT_EQ(sink.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(dialog->focusWidget(), dialog->field(row(Key::AI)));
    EXPECT_EQ(dialog->field(row(Key::AI))->selectedText(), QStringLiteral("17"));
    EXPECT_EQ(context.test.scores.AI, 16) << "the refused value is not copied";
    EXPECT_EQ(context.test.scores.KR_A, 5) << "nor anything after it";

    // 5 and 6 years differ in the two name measures only.
    open(5);
    type(Key::MN_A, QStringLiteral("20"));
    sink.messages.clear();
    EXPECT_EQ(dialog->CheckRawScores(), 0);
    EXPECT_EQ(sink.texts(), QStringList{refusal(Key::MN_A)});
    open(6);
    type(Key::MN_A, QStringLiteral("20"));
    type(Key::MN_B, QStringLiteral("8"));
    EXPECT_EQ(dialog->CheckRawScores(), 1);

    // No maximum: any three digits. MT_K is 26 whatever its label says.
    open(9);
    type(Key::BP, QStringLiteral("999"));
    type(Key::MO_A, QStringLiteral("999"));
    type(Key::VP_F, QStringLiteral("999"));
    type(Key::MT_K, QStringLiteral("26"));
    EXPECT_EQ(dialog->CheckRawScores(), 1);
    type(Key::MT_K, QStringLiteral("27"));
    sink.messages.clear();
    EXPECT_EQ(dialog->CheckRawScores(), 0);
    EXPECT_EQ(sink.texts(), QStringList{refusal(Key::MT_K)});

    // A greyed field's stored value is read and checked all the same.
    open(8);
    context.test.scores.KR_A = 23;
    reopen();
    sink.messages.clear();
    EXPECT_EQ(dialog->CheckRawScores(), 0);
    EXPECT_EQ(sink.texts(), QStringList{refusal(Key::KR_A)});

    // Where the age sets no maximum, what the field can take: a stored -1 is refused.
    open(9);
    context.test.scores.BP = -1;
    reopen();
    sink.messages.clear();
    EXPECT_EQ(dialog->CheckRawScores(), 0);
    EXPECT_EQ(sink.texts(), QStringList{refusal(Key::BP)});
}

TEST_F(RawScores, SortingSumOverTwentyIsRefusedFirst)
{
    const QString sumMessage = QStringLiteral(
        "Feilaktige verdier på Dyresortering. Summen av antallet feil (Nye sorteringsfeil Totalt samt Gjentatte "
        "sorteringer Totalt) og Riktige sorteringer Totalt kan ikke overstige 20. Se over og korriger feilaktige "
        "verdier.");
    open(7);
    type(Key::DS_N, QStringLiteral("10"));
    type(Key::DS_REP, QStringLiteral("5"));
    type(Key::DS_R, QStringLiteral("6"));
    type(Key::VP_F, QStringLiteral("17")); // after the sorting measures: stored before the sum is told
    EXPECT_EQ(dialog->CheckRawScores(), 0);
    EXPECT_EQ(sink.texts(), QStringList{sumMessage});
    EXPECT_EQ(dialog->focusWidget(), dialog->field(row(Key::DS_N)));
    EXPECT_EQ(context.test.scores.VP_F, 17);

    // The sum is told even when an earlier value was refused, and only the sum.
    type(Key::AI, QStringLiteral("99"));
    sink.messages.clear();
    EXPECT_EQ(dialog->CheckRawScores(), 0);
    EXPECT_EQ(sink.texts(), QStringList{sumMessage});

    // A missing part counts as -9.
    type(Key::AI, QString());
    type(Key::DS_N, QStringLiteral("15"));
    type(Key::DS_REP, QString());
    type(Key::DS_R, QStringLiteral("12"));
    sink.messages.clear();
    EXPECT_EQ(dialog->CheckRawScores(), 1) << sink.texts().join(u'\n').toStdString();
    // Below 7 years the sum is not checked.
    open(6);
    context.test.scores.DS_N = 20;
    context.test.scores.DS_R = 12;
    reopen();
    EXPECT_EQ(dialog->CheckRawScores(), 1);
}

TEST_F(RawScores, FortsettStoresANewTestAndThenItsChanges)
{
    open(8);
    context.testIsNew = true;
    type(Key::AI, QStringLiteral("0"));
    type(Key::BK, QStringLiteral("12"));
    QTest::mouseClick(dialog->continueButton(), Qt::LeftButton);
    EXPECT_EQ(dialog->result(), 1);
    EXPECT_TRUE(sink.messages.isEmpty()) << sink.texts().join(u'\n').toStdString();
    ASSERT_GT(context.test.person.ID, 0);
    EXPECT_FALSE(context.testIsNew) << "stored now: a second save updates";

    TestRecord back;
    ASSERT_EQ(ReadTest(context.db, back, context.test.person.ID), 1);
    EXPECT_EQ(back.scores.AI, 0);
    EXPECT_EQ(back.scores.BK, 12);
    EXPECT_EQ(back.scores.KR_A, NOT_ENTERED) << "an empty field is stored as -9";

    reopen();
    type(Key::BK, QString());
    QTest::mouseClick(dialog->continueButton(), Qt::LeftButton);
    EXPECT_EQ(dialog->result(), 1);
    ASSERT_EQ(ReadTest(context.db, back, context.test.person.ID), 1);
    EXPECT_EQ(back.scores.BK, NOT_ENTERED);
    EXPECT_EQ(NextPersonId(context.db), context.test.person.ID) << "no second person row";
}

TEST_F(RawScores, EnterInAFieldMeansFortsett)
{
    open(8);
    context.testIsNew = true;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    EXPECT_TRUE(dialog->continueButton()->isDefault());
    EXPECT_FALSE(dialog->cardGridButton()->isDefault());
    // Were Enter to open another dialog, close it and fail rather than hang.
    bool other = false;
    QTimer::singleShot(2000, [&] {
        if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != dialog.get()) {
            other = true;
            modal->close();
        }
    });
    type(Key::BF_A, QStringLiteral("7"));
    QTest::keyClick(dialog->field(row(Key::BF_A)), Qt::Key_Return);
    EXPECT_FALSE(other);
    EXPECT_EQ(dialog->result(), 1);
    EXPECT_GT(context.test.person.ID, 0);
}

TEST_F(RawScores, AFailedSaveKeepsTheDialogAndEverythingTyped)
{
    open(8);
    context.testIsNew = true;
    db.exec(QStringLiteral("DROP TABLE TESTDATA_TAVLO_MF"));
    type(Key::AI, QStringLiteral("20"));
    QTest::mouseClick(dialog->continueButton(), Qt::LeftButton);
    EXPECT_EQ(dialog->result(), 0);
    EXPECT_TRUE(dialog->isVisible());
    ASSERT_FALSE(sink.messages.isEmpty());
    EXPECT_TRUE(sink.messages.last().text.contains(u"no such table")) << sink.messages.last().text.toStdString();
    EXPECT_EQ(dialog->field(row(Key::AI))->text(), QStringLiteral("20"));
    EXPECT_EQ(context.test.person.ID, 0);
    EXPECT_TRUE(context.testIsNew);

    sink.answers = {true};
    QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton);
    EXPECT_EQ(sink.messages.last().text, kDiscardQuestion);
    EXPECT_EQ(dialog->result(), 0);
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(RawScores, ASaveToADatabaseThatCanOnlyBeReadIsToldOnceAndKeepsEverything)
{
    TAVLO_RUN_UNPRIVILEGED();
    db.db.DbDisconnect();
    ASSERT_TRUE(QFile::setPermissions(db.databasePath(), QFile::ReadOwner | QFile::ReadGroup));
    ASSERT_TRUE(db.connect(context.db));
    context.readOnlyDatabase = ReadOnlyDatabaseFile(context.db);
    ASSERT_EQ(context.readOnlyDatabase, db.databasePath());
    open(8);
    context.testIsNew = true;
    type(Key::AI, QStringLiteral("20"));
    type(Key::BK, QStringLiteral("12"));
    type(Key::MO_B, QStringLiteral("0"));
    expectRefusedSaveToldOnce(QStringLiteral("Databasen %1 kan bare leses. Nye tester kan ikke lagres. Testen er ikke "
                                             "lagret, men alt du har skrevet inn, er beholdt.")
                                  .arg(QDir::toNativeSeparators(db.databasePath())),
                              QStringLiteral("[SQLite]attempt to write a readonly database"));
}

TEST_F(RawScores, ASaveThatCannotGetTheLockInTimeIsToldOnceLeavesNothingAndGoesThroughLater)
{
    // A short wait, so that the other program's hold outlasts it quickly.
    ASSERT_TRUE(WriteWorkgroupFile(db.workgroupPath(), QStringLiteral("DRIVER=SQLite3;Database=%1;NoCreat=1;Timeout=300"),
                                   nullptr));
    open(8);
    context.testIsNew = true;
    type(Key::AI, QStringLiteral("20"));
    type(Key::MO_B, QStringLiteral("0"));
    // Another examiner's program in the middle of its own save (the save cannot begin), then
    // reading the whole archive (the save cannot commit).
    for (const bool otherWrites : {true, false}) {
        SCOPED_TRACE(otherWrites ? "the other writes" : "the other reads");
        Database other;
        ASSERT_TRUE(db.connect(other));
        Transaction hold(other, otherWrites ? Transaction::Kind::Write : Transaction::Kind::Snapshot);
        Statement s(other);
        ASSERT_TRUE(s.execDirect(otherWrites ? QStringLiteral("UPDATE TESTPERSON_COUNTER SET LAST_ID = LAST_ID")
                                             : QStringLiteral("SELECT COUNT(*) FROM TESTPERSON")));
        if (!otherWrites) {
            ASSERT_EQ(s.fetch(), Fetch::Row); // the read lock is held from the first row on
        }
        expectRefusedSaveToldOnce(QStringLiteral("Databasen er opptatt av en annen bruker, og ventetiden gikk ut. Testen "
                                                 "er ikke lagret, men alt du har skrevet inn, er beholdt."),
                                  QStringLiteral("[SQLite]database is locked"));
    }
    // Nothing half-saved, the counter not moved; once the other is done, the same save succeeds.
    EXPECT_EQ(NextPersonId(context.db), 0);
    for (const char* table : {"TESTPERSON", "TESTDATA_TAVLO", "TESTDATA_TAVLO_MF"}) {
        Statement rows(context.db);
        ASSERT_TRUE(rows.execDirect(QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(table))));
        ASSERT_EQ(rows.fetch(), Fetch::Row);
        EXPECT_EQ(rows.getInt(1), 0) << table;
    }
    QTest::mouseClick(dialog->continueButton(), Qt::LeftButton);
    EXPECT_EQ(dialog->result(), 1) << sink.texts().join(u'\n').toStdString();
    EXPECT_EQ(context.test.person.ID, 1);
}

TEST_F(RawScores, TabbingOrComingBackKeepsTheFocusedFieldInSight)
{
    open(9);
    dialog->resize(600, 400);
    QScrollBar* bar = dialog->scrollArea()->verticalScrollBar();
    EXPECT_EQ(bar->value(), 0);
    for (int r = 1; r <= 20; ++r) {
        QLineEdit* f = dialog->field(r);
        if (!f->isEnabled())
            continue;
        f->setFocus();
        QCoreApplication::processEvents();
        const int top = f->mapTo(dialog->scrollArea()->viewport(), QPoint(0, 0)).y();
        EXPECT_GE(top, 0) << r;
        EXPECT_LE(top + f->height(), dialog->scrollArea()->viewport()->height()) << r;
    }
    EXPECT_GT(bar->value(), 0);

    // Scrolled far from the field with the focus, then back from another window.
    dialog->field(row(Key::AI))->setFocus();
    bar->setValue(bar->maximum());
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    EXPECT_TRUE(inSight(Key::AI));
}

TEST_F(RawScores, CancelAsksFirstWhenAnythingWasTyped)
{
    open(8);
    context.test.scores.BK = 12;
    const std::function<void()> ways[] = {
        [&] { QTest::keyClick(dialog->field(row(Key::AI)), Qt::Key_Escape); },
        [&] { QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton); },
        [&] { dialog->close(); }, // the title bar, Alt+F4
    };
    for (const auto& cancel : ways) {
        reopen();
        type(Key::AI, QStringLiteral("20"));
        sink.messages.clear();
        cancel(); // answered with the default
        ASSERT_EQ(sink.texts(), QStringList{kDiscardQuestion});
        EXPECT_TRUE(sink.messages[0].question);
        EXPECT_TRUE(dialog->isVisible()) << "Nei keeps the dialog";
        EXPECT_EQ(dialog->field(row(Key::AI))->text(), QStringLiteral("20"));
        sink.answers = {true};
        cancel();
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(dialog->result(), 0);
        EXPECT_EQ(context.test.scores.AI, NOT_ENTERED) << "nothing copied";
    }

    // Typed and taken back again is no change.
    reopen();
    QLineEdit* bk = dialog->field(row(Key::BK));
    QTest::keyClick(bk, Qt::Key_End);
    QTest::keyClicks(bk, QStringLiteral("3"));
    QTest::keyClick(bk, Qt::Key_Backspace);
    sink.messages.clear();
    QTest::keyClick(bk, Qt::Key_Escape);
    EXPECT_TRUE(sink.messages.isEmpty());
    EXPECT_FALSE(dialog->isVisible());

    // Cards the card grid took into the record are this dialog's typing too.
    reopen();
    {
        CardGridDialog grid(context.test, dialog.get());
        QTest::keyClicks(grid.cell(33), QStringLiteral("4"));
        ASSERT_TRUE(grid.checkCardGrid());
    }
    QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton);
    EXPECT_EQ(sink.texts(), QStringList{kDiscardQuestion});
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(RawScores, ARefusedFieldIsScrolledIntoSight)
{
    open(8);
    dialog->resize(600, 400);
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    QScrollArea* area = dialog->scrollArea();
    QScrollBar* bar = area->verticalScrollBar();
    const auto fortsettAtTheBottom = [&] {
        bar->setValue(bar->maximum());
        sink.messages.clear();
        QTest::mouseClick(dialog->continueButton(), Qt::LeftButton);
    };

    type(Key::AI, QStringLiteral("99"));
    fortsettAtTheBottom();
    EXPECT_EQ(sink.texts(), QStringList{refusal(Key::AI)});
    EXPECT_EQ(dialog->focusWidget(), dialog->field(row(Key::AI)));
    EXPECT_TRUE(inSight(Key::AI));
    // Refused again while it has the focus already.
    bar->setValue(bar->maximum());
    EXPECT_EQ(dialog->CheckRawScores(), 0);
    EXPECT_TRUE(inSight(Key::AI));

    type(Key::AI, QString());
    type(Key::DS_N, QStringLiteral("10"));
    type(Key::DS_REP, QStringLiteral("5"));
    type(Key::DS_R, QStringLiteral("6"));
    fortsettAtTheBottom();
    ASSERT_EQ(sink.messages.size(), 1);
    EXPECT_TRUE(sink.messages[0].text.startsWith(u"Feilaktige verdier på Dyresortering."));
    EXPECT_EQ(dialog->focusWidget(), dialog->field(row(Key::DS_N)));
    EXPECT_TRUE(inSight(Key::DS_N));

    // A click on the page between the rows takes the focus and leaves the page where it is.
    bar->setValue(bar->maximum() / 2);
    const int before = bar->value();
    QTest::mouseClick(area->widget(), Qt::LeftButton, {}, QPoint(600, before + 100));
    EXPECT_EQ(dialog->focusWidget(), area->widget());
    EXPECT_EQ(bar->value(), before);
}
