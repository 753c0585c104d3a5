// Every screen as a screen reader meets it: each control named in Norwegian, once per window,
// with the format or range the screen shows beside it, and Tab going the way the screen is read.

#include "Accessibility.h"
#include "Screenshots.h"
#include "ArchiveFixture.h"
#include "Str.h"

#include "app/Commands.h"
#include "app/Look.h"
#include "app/LoginDialog.h"
#include "app/NewDatabaseDialog.h"
#include "archive/ExportDialog.h"
#include "entry/CardGridDialog.h"
#include "entry/RawScoreDialog.h"
#include "model/Catalogue.h"
#include "resources/StringTable.h"
#include "results/ComparisonWindow.h"
#include "results/ResultsWindow.h"
#include "session/Session.h"

#include <QApplication>
#include <QComboBox>
#include <QPushButton>

#include <cmath>
#include <functional>
#include <memory>

using namespace tavlo;
using namespace tavlo::test;

namespace {

QString shown(int stringId)
{
    return LoadString(stringId).remove(u'&');
}

class AccessibilityTest : public ArchiveFixture {
protected:
    // The names the focus meets, pressing Tab from `first` as often as the list is long.
    QStringList tabbed(QWidget* first, qsizetype presses)
    {
        QWidget* window = first->window();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window));
        first->setFocus(Qt::TabFocusReason);
        QStringList names{accessibleName(first)};
        for (qsizetype i = 1; i < presses; ++i) {
            QTest::keyClick(window->focusWidget(), Qt::Key_Tab);
            names << accessibleName(window->focusWidget());
        }
        return names;
    }
};

struct Look {
    const char* screen;
    // Opens the screen and gives the window to read and the control Tab starts from.
    std::function<std::pair<QWidget*, QWidget*>()> open;
    // The names Tab visits from there; the first comes round again after the last.
    QStringList tabs;
    // Some controls by name, with what their description says.
    QList<std::pair<QString, QString>> described;
};

} // namespace

TEST_F(AccessibilityTest, EveryControlOfEveryScreenIsNamedOnceInNorwegianAndTabFollowsTheReading)
{
    TestRecord stored = childWithEveryMeasure(7, 0);
    stored.person.NAMN = u8("Kari Nordmann");
    ASSERT_TRUE(SaveTest(ctx.db, stored, true));
    TestRecord again = stored;
    again.person.TESTDATE = {int16_t(stored.person.TESTDATE.year + 1), 1, 10};
    ASSERT_TRUE(SaveTest(ctx.db, again, true));
    w.show();
    std::unique_ptr<QWidget> dialog;
    const auto owned = [&](QWidget* window, QWidget* first) {
        dialog.reset(window);
        window->show();
        return std::pair(window, first);
    };

    const QStringList personFields = {u8("Navn"),    u8("Adresse"),     u8("Telefon"),    u8("Nasjonalitet"),
                                      u8("Førstespråk"), u8("Skole"),   u8("Skoleår"),    u8("Testet sted"),
                                      u8("Testleder"), u8("Annet"),     u8("Testdato"),   u8("Fødselsdato"),
                                      u8("Kjønn"),     u8("Håndpreferanse")};
    const Look looks[] = {
        {"login",
         [&] {
             auto* login = new LoginDialog(ctx.db);
             return owned(login, login->focusWidget());
         },
         {u8("Brukernavn"), u8("Passord"), u8("OK"), u8("Avbryt"), u8("Endre passord")},
         {}},
        {"start",
         [&] {
             w.showStartScreen();
             return std::pair<QWidget*, QWidget*>(&w, w.button(91));
         },
         {shown(92), shown(93), shown(91)},
         {}},
        {"person form",
         [&] {
             ctx.test = stored;
             w.showPersonForm();
             return std::pair<QWidget*, QWidget*>(&w, w.focusWidget());
         },
         personFields,
         {{u8("Testdato"), u8("DDMMÅÅÅÅ")},
          {u8("Fødselsdato"), u8("Må fylles inn")},
          {u8("Kjønn"), u8("J=Jente, G=Gutt")},
          {u8("Håndpreferanse"), u8("V=Venstre")},
          {u8("Testalder"), u8("Dager.Måneder.År")}}},
        {"raw scores",
         [&] {
             ctx.test = stored;
             auto* raw = new RawScoreDialog(ctx, &w);
             return owned(raw, raw->focusWidget());
         },
         {},
         {{LoadString(measureAtEntryRow(1)->labelId), u8("Råskår fra 0 til 35.")}}},
        {"card grid",
         [&] {
             auto* grid = new CardGridDialog(stored, &w);
             return owned(grid, grid->focusWidget());
         },
         {},
         {{u8("Forsøk 3, rad 1, kolonne 1"), u8("Kortets nummer, 1 til")},
          {u8("Utsatt hukommelse, rad 4, kolonne 4"), u8("Kortets nummer")}}},
        {"results",
         [&] {
             EXPECT_FALSE(ReadStoredTest(ctx, stored.person.ID));
             w.showResults();
             auto* results = qobject_cast<ResultsWindow*>(w.screen());
             return std::pair<QWidget*, QWidget*>(&w, results->view());
         },
         {shown(kStrDomainNames).prepend(u8("Resultatrapport, ")), u8("Domener")},
         {{shown(kStrDomainNames).prepend(u8("Resultatrapport, ")), u8("Navn: Kari Nordmann")},
          {shown(kStrDomainNames).prepend(u8("Resultatrapport, ")), u8("Bildeflyt (BF) Totalskåre, 19, 12")}}},
        {"archive",
         [&] {
             w.showArchive();
             waitForRows();
             return std::pair<QWidget*, QWidget*>(&w, screen()->compareButton());
         },
         {u8("Sammenlign"), u8("Søk"), shown(kStrEarlierTests), u8("Tilbake"), u8("Vis resultat"), u8("Slett"),
          u8("Eksporter data"), u8("Sikkerhetskopier")},
         {}},
        {"comparison",
         [&] {
             Comparison comparison;
             EXPECT_FALSE(CompareStoredTests(ctx, stored.person.ID, again.person.ID, comparison));
             auto* window = new ComparisonWindow(ctx, std::move(comparison), &w);
             return owned(window, window->findChild<QComboBox*>());
         },
         {u8("Domene"), u8("Sammenligning"), u8("Skriv ut"), u8("Kopier"), u8("Lagre som dokument…"), u8("Lukk")},
         {}},
        {"export",
         [&] {
             auto* exporting = new ExportDataDialog(ctx, &w);
             return owned(exporting, exporting->okButton());
         },
         {u8("OK"), u8("Avbryt"), u8("Format")},
         {}},
        {"new database",
         [&] {
             auto* creating = new NewDatabaseDialog;
             return owned(creating, creating->focusWidget());
         },
         {},
         {}},
    };
    for (const Look& look : looks) {
        SCOPED_TRACE(look.screen);
        const auto [window, first] = look.open();
        ASSERT_NE(first, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        const QList<Control> controls = controlsOf(window);
        EXPECT_GT(controls.size(), 1);
        EXPECT_EQ(namingFaults(controls), QStringList());
        for (const auto& [name, description] : look.described) {
            const auto it = std::find_if(controls.begin(), controls.end(), [&](const Control& c) { return c.name == name; });
            ASSERT_NE(it, controls.end()) << str(name);
            EXPECT_TRUE(it->description.contains(description)) << str(name) << ": " << str(it->description);
        }
        if (!look.tabs.isEmpty()) {
            EXPECT_EQ(tabbed(first, look.tabs.size() + 2), look.tabs + look.tabs.mid(0, 2));
        }
        // Where the focus stands, for a person to judge whether it is plain to see.
        saveScreenshot(*window, QStringLiteral("focus-%1").arg(QString::fromLatin1(look.screen).replace(u' ', u'-')));
        dialog.reset();
    }
}

TEST_F(AccessibilityTest, TabWalksTheLongFormsDownTheirRowsThroughEveryFieldThatTakesAValue)
{
    ctx.test = childWithEveryMeasure(7, 0);
    w.show();
    // Read as the page stands: top to bottom, left to right along a row.
    const auto readingOrder = [](QWidget& window) {
        QList<QWidget*> takers;
        for (QWidget* child : window.findChildren<QWidget*>()) {
            if (detail::takesTab(child))
                takers << child;
        }
        const auto place = [&](QWidget* w) {
            const QPoint at = w->mapTo(&window, QPoint());
            return std::pair(at.y(), at.x());
        };
        std::stable_sort(takers.begin(), takers.end(), [&](QWidget* a, QWidget* b) { return place(a) < place(b); });
        QStringList names;
        for (QWidget* w : takers)
            names << accessibleName(w);
        return std::pair(takers, names);
    };

    RawScoreDialog raw(ctx, &w);
    raw.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&raw));
    const auto [fields, names] = readingOrder(raw);
    ASSERT_GT(fields.size(), 50);
    EXPECT_EQ(names.last(), shown(kStrCancelButton));
    EXPECT_EQ(tabbed(fields.first(), names.size() + 1), names + names.mid(0, 1));
    raw.close();

    // The grid is read block by block: a block's four rows, then the block beside it.
    CardGridDialog grid(ctx.test, &w);
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    QStringList cells;
    for (int n = 1; n <= 7 * 16; ++n) {
        if (detail::takesTab(grid.cell(n)))
            cells << accessibleName(grid.cell(n));
    }
    ASSERT_GT(cells.size(), 16);
    cells << u8("OK") << u8("Avbryt");
    EXPECT_EQ(tabbed(grid.focusWidget(), cells.size() + 1), cells + cells.mid(0, 1));
}

namespace {

// WCAG's relative luminance and contrast ratio.
double luminance(QColor c)
{
    const auto channel = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

double contrast(QColor a, QColor b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Pixels that stand out 3:1 (what a focus mark needs) both on the lilac and in a white field.
int standingOut(QWidget* control)
{
    const QImage image = control->grab().toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            count += contrast(c, kLilac) >= 3 && contrast(c, Qt::white) >= 3;
        }
    }
    return count;
}

} // namespace

TEST_F(AccessibilityTest, TheControlWithTheFocusIsRingedPlainlyOnTheLilac)
{
    TestRecord stored = childWithEveryMeasure(7, 0);
    ASSERT_TRUE(SaveTest(ctx.db, stored, true));
    ctx.test = stored;
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));

    struct Kind {
        const char* what;
        std::function<std::pair<QWidget*, QWidget*>()> open; // the control, and one to leave it for
    };
    const Kind kinds[] = {
        {"field", [&] {
             w.showPersonForm();
             return std::pair<QWidget*, QWidget*>(w.screen()->findChildren<QLineEdit*>().value(1), w.button(kButton2));
         }},
        {"button", [&] { return std::pair<QWidget*, QWidget*>(w.button(kButton2), w.screen()->findChildren<QLineEdit*>().value(1)); }},
        {"list", [&] {
             w.showArchive();
             waitForRows();
             return std::pair<QWidget*, QWidget*>(list(), screen()->searchField());
         }},
        {"drop-down list", [&] {
             EXPECT_FALSE(ReadStoredTest(ctx, stored.person.ID));
             w.showResults();
             auto* results = qobject_cast<ResultsWindow*>(w.screen());
             return std::pair<QWidget*, QWidget*>(results->domainList(), results->view());
         }},
    };
    for (const Kind& kind : kinds) {
        SCOPED_TRACE(kind.what);
        const auto [control, other] = kind.open();
        ASSERT_NE(control, nullptr);
        ASSERT_NE(other, nullptr);
        other->setFocus(Qt::TabFocusReason);
        const int plain = standingOut(control);
        control->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(control->hasFocus());
        // The ring goes round the whole control.
        EXPECT_GE(standingOut(control) - plain, 2 * (control->width() + control->height()) - 8)
            << control->width() << " x " << control->height();
    }
}
