// The notes under the report's domain sections, from really scored tests: the note on
// computed scores exactly where an "N/A*" row stands, and the footnote "** Kumulativ prosent."
// exactly in the domains and at the ages whose rows show cumulative percentages; also what
// the scaled column shows on rows without a scaled score.

#include "Ages.h"
#include "RecordingPaintDevice.h"
#include "RecordingSink.h"
#include "Str.h"
#include "TempDatabase.h"
#include "app/AppContext.h"
#include "model/Catalogue.h"
#include "paint/DrawReport.h"
#include "scoring/Scoring.h"

#include <QFontMetrics>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>

using namespace tavlo;
using tavlo::test::childAged;
using tavlo::test::childWithEveryMeasure;
using tavlo::test::DrawnText;
using tavlo::test::RecordingPaintDevice;
using tavlo::test::RecordingSink;
using tavlo::test::TempDatabase;
using tavlo::test::str;

namespace {

const QString kComputedNote = QStringLiteral(
    "* Det er ikke råskårer tilgjengelig for dette målet, da målet er en funksjon av resultatet på andre mål.");
const QString kFootnote = QStringLiteral("** Kumulativ prosent.");

// One drawn row of a section, its label's wrapped lines joined again.
struct DrawnRow {
    QString raw, scaled, percentile, type, description, label;
};

// One domain section as drawn: its rows, and the text under them (its lines joined).
struct Section {
    std::vector<DrawnRow> rows;
    QString notes;
    const DrawnRow* row(const QString& label) const
    {
        for (const DrawnRow& r : rows) {
            if (r.label == label)
                return &r;
        }
        return nullptr;
    }
    bool showsComputed() const
    {
        return std::any_of(rows.begin(), rows.end(), [](const DrawnRow& r) { return r.raw == QStringLiteral("N/A*"); });
    }
};

// Splits what DrawReport drew for one section (x: its left) into rows and notes. A row starts
// with its raw value, right-aligned at x + 250; then the scaled, percentile and type columns;
// then the description's lines and the label's lines (at x, in the row's font). What follows
// the last row at x in another font is the notes.
Section parseSection(const std::vector<DrawnText>& texts, int x)
{
    Section s;
    size_t i = 0;
    while (i < texts.size() && texts[i].text != QStringLiteral("Kvalitativ beskrivelse"))
        ++i;
    ++i;
    const auto rowStart = [&](size_t j) {
        const DrawnText& t = texts[j];
        const double right = t.at.x() + QFontMetrics(t.font).horizontalAdvance(t.text);
        return t.at.x() > x && std::abs(right - (x + 250)) <= 1;
    };
    while (i < texts.size() && rowStart(i)) {
        if (i + 3 >= texts.size()) {
            ADD_FAILURE() << "a row cut short after " << texts[i].text.toStdString();
            break;
        }
        const QFont body = texts[i].font;
        DrawnRow r{texts[i].text, texts[i + 1].text, texts[i + 2].text, texts[i + 3].text, {}, {}};
        QStringList description, label;
        for (i += 4; i < texts.size() && !rowStart(i) && !(texts[i].at.x() == x && texts[i].font != body); ++i) {
            if (!texts[i].text.trimmed().isEmpty())
                (texts[i].at.x() == x ? label : description).append(texts[i].text.trimmed());
        }
        r.description = description.join(u' ');
        r.label = label.join(u' ');
        s.rows.push_back(r);
    }
    QStringList notes;
    for (; i < texts.size(); ++i) {
        if (!texts[i].text.trimmed().isEmpty())
            notes.append(texts[i].text.trimmed());
    }
    s.notes = notes.join(u' ');
    return s;
}

// Domain d (1-6) of the test as the results view draws it.
Section drawSection(const TestRecord& t, int domain)
{
    RecordingPaintDevice device;
    QPainter p(&device);
    std::array<bool, 6> chosen{};
    chosen[size_t(domain - 1)] = true;
    DrawReport(&p, t, 0, 50, 600, false, chosen);
    p.end();
    return parseSection(device.texts(), 50 - 30);
}

// What must stand under a section: the note when it shows a computed score, then the footnote.
QString expectedNotes(const Section& s, bool footnote)
{
    QStringList out;
    if (s.showsComputed())
        out.append(kComputedNote);
    if (footnote)
        out.append(kFootnote);
    return out.join(u' ');
}

class ReportNotes : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(db.connect(context.db)); }

    // A child of this age with these raw scores, scored by the real run.
    TestRecord scored(int years, int months, const std::map<Key, int>& scores)
    {
        TestRecord t = childAged(years, months);
        for (const auto& [key, value] : scores)
            t.scores[key] = value;
        score(t);
        return t;
    }
    // The same with every one of the 60 measures and a few cards in every trial.
    TestRecord everything(int years, int months)
    {
        TestRecord t = childWithEveryMeasure(years, months);
        score(t);
        return t;
    }
    void score(TestRecord& t)
    {
        SelectAgeGroup(context.db, context.norms, t);
        ScoreTest(context.db, context.norms, t);
    }

    TempDatabase db;
    AppContext context;
    RecordingSink sink;
};

std::string age(const TestRecord& t)
{
    const TestAge a = t.testAge();
    return std::to_string(a.years) + ":" + std::to_string(a.months) + ":" + std::to_string(a.days);
}

// The footnote's domains, 1-6, as digits.
bool footnoteIn(const char* domains, int d)
{
    return std::strchr(domains, '0' + d) != nullptr;
}

} // namespace

TEST_F(ReportNotes, FootnoteFollowsTheAgeAndTheMeasuresEnteredInEachDomain)
{
    struct Case {
        const char* what;
        int years, months;
        std::map<Key, int> scores;
        const char* footnotes; // domains that end with "** Kumulativ prosent."
    };
    const Case cases[] = {
        // Domain 1: BF_S entered, from 5 to 12 years.
        {"BF at 4", 4, 11, {{Key::BF_S, 20}, {Key::BF_A, 18}}, ""},
        {"BF at 5", 5, 0, {{Key::BF_S, 20}, {Key::BF_A, 18}}, "1"},
        {"BF at 12", 12, 11, {{Key::BF_S, 20}, {Key::BF_A, 18}}, "1"},
        {"BF at 13", 13, 0, {{Key::BF_S, 20}, {Key::BF_A, 18}}, ""},
        {"BF_S alone at 6", 6, 0, {{Key::BF_S, 20}}, "1"},
        {"BF_A alone at 6", 6, 0, {{Key::BF_A, 18}}, ""},
        // Domain 3: the HO delay effect computed, from 7 to 12 years.
        {"HO at 6", 6, 11, {{Key::MO_A5, 10}, {Key::MO_A, 50}, {Key::MO_B, 9}}, ""},
        {"HO at 7", 7, 0, {{Key::MO_A5, 10}, {Key::MO_A, 50}, {Key::MO_B, 9}}, "3"},
        {"HO at 12", 12, 11, {{Key::MO_A5, 10}, {Key::MO_A, 50}, {Key::MO_B, 9}}, "3"},
        {"HO at 13", 13, 0, {{Key::MO_A5, 10}, {Key::MO_A, 50}, {Key::MO_B, 9}}, ""},
        {"HO without part B at 8", 8, 0, {{Key::MO_A5, 10}, {Key::MO_A, 50}}, ""},
        // Domain 4: IH_D or IH_ID entered, under 13 years.
        {"IH at 4", 4, 11, {{Key::IH_D, 8}, {Key::IH_ID, 7}}, "4"},
        {"IH at 5", 5, 0, {{Key::IH_D, 8}, {Key::IH_ID, 7}}, "4"},
        {"IH_ID alone at 12", 12, 11, {{Key::IH_ID, 7}}, "4"},
        {"IH_D alone at 3", 3, 0, {{Key::IH_D, 8}}, "4"},
        {"IH at 13", 13, 0, {{Key::IH_D, 8}, {Key::IH_ID, 7}}, ""},
        {"no IH at 8", 8, 0, {{Key::MM, 30}, {Key::VP_T, 200}, {Key::VP_F, 20}}, ""},
    };
    for (const Case& c : cases) {
        const TestRecord t = scored(c.years, c.months, c.scores);
        for (int d = 1; d <= 6; ++d) {
            const Section s = drawSection(t, d);
            EXPECT_EQ(str(s.notes), str(expectedNotes(s, footnoteIn(c.footnotes, d))))
                << c.what << " (age " << age(t) << "), domain " << d;
        }
    }
}

TEST_F(ReportNotes, EveryMeasureEnteredAtEachAge)
{
    // Footnotes: domain 1 at 5-12, domain 3 at 7-12, domain 4 under 13; never 2, 5 or 6.
    const std::pair<int, const char*> ages[] = {{3, "4"},    {4, "4"},   {5, "14"},  {6, "14"}, {7, "134"},
                                                {10, "134"}, {12, "134"}, {13, ""},  {16, ""}};
    for (const auto& [years, footnotes] : ages) {
        for (int months : {0, 11}) {
            const TestRecord t = everything(years, months);
            for (int d = 1; d <= 6; ++d) {
                const Section s = drawSection(t, d);
                EXPECT_EQ(str(s.notes), str(expectedNotes(s, footnoteIn(footnotes, d))))
                    << "every measure at " << age(t) << ", domain " << d;
            }
        }
    }
    // So that the computed-score note is tested where it is due: at 8 years every domain but
    // the social one has a combined or contrast row.
    const TestRecord eight = everything(8, 0);
    EXPECT_EQ(drawSection(eight, 3).rows.size(), 24u) << "every memory row at 8 years";
    for (int d = 1; d <= 6; ++d) {
        const Section s = drawSection(eight, d);
        EXPECT_EQ(s.showsComputed(), d != 5) << "domain " << d << " at 8 years";
        EXPECT_EQ(s.notes.contains(kComputedNote), d != 5) << "domain " << d << " at 8 years";
    }
}

TEST_F(ReportNotes, StarredBandRowsAndScaledColumnOfBandRows)
{
    // Only BF_A at 6 years: its band with "**", but no footnote (that needs BF_S).
    const TestRecord six = scored(6, 0, {{Key::BF_A, 18}});
    const Section attention = drawSection(six, 1);
    const DrawnRow* bfA = attention.row(QStringLiteral("Bildeflyt (BF) Oppgave 2 Asymmetrisk prikkemønster Poeng"));
    ASSERT_NE(bfA, nullptr);
    EXPECT_EQ(str(bfA->raw), "18");
    EXPECT_EQ(str(bfA->scaled), "-");
    EXPECT_TRUE(bfA->percentile.endsWith(QStringLiteral("**")) && bfA->percentile.size() > 2) << bfA->percentile.toStdString();
    EXPECT_FALSE(attention.notes.contains(kFootnote));

    // A row shows either a scaled score or a band, never both: a band row's scaled column is "-".
    for (int years : {4, 6, 8, 12, 14}) {
        const TestRecord t = everything(years, 3);
        int bands = 0;
        for (int d = 1; d <= 6; ++d) {
            for (const DrawnRow& r : drawSection(t, d).rows) {
                if (r.percentile == QStringLiteral("-"))
                    continue;
                ++bands;
                EXPECT_EQ(str(r.scaled), "-") << r.label.toStdString() << " at " << years << " years";
            }
        }
        EXPECT_GT(bands, 2) << years;
    }
}

// A delay effect of exactly -9 (MO_A5 3, MO_B 12) is a computed delay effect like any other:
// its row shows with raw "-9", and domain 3 ends with the footnote.
TEST_F(ReportNotes, ADelayEffectOfMinusNineShowsItsRowAndFootnote)
{
    for (int years : {7, 8, 12}) {
        const TestRecord t = scored(years, 0, {{Key::MO_A5, 3}, {Key::MO_A, 40}, {Key::MO_B, 12}});
        const Section s = drawSection(t, 3);
        EXPECT_EQ(str(s.notes), str(expectedNotes(s, true))) << "domain 3's notes at " << years << " years";
        const DrawnRow* delay = s.row(QStringLiteral("Hukommelse for ordliste (HO) Del A og Del B Utsettelseseffekt"));
        if (!delay) {
            ADD_FAILURE() << "no delay effect row at " << years << " years";
            continue;
        }
        EXPECT_EQ(str(delay->raw), "-9") << years;
        EXPECT_TRUE(delay->percentile.endsWith(QStringLiteral("**"))) << delay->percentile.toStdString();
        EXPECT_EQ(str(delay->scaled), "-");
    }
}

// A scaled-score row without a scaled score shows "-" in the scaled column, never "0": below
// 3 years (no norms), and when the norm row of the child's age group is missing.
TEST_F(ReportNotes, ScaledColumnWithoutAScaledScoreShowsADash)
{
    // Combined and contrast rows ("N/A*") too: looked up from no scaled score, they have none.
    const auto expectDashes = [](const TestRecord& t, const char* what) {
        int rows = 0;
        for (int d = 1; d <= 6; ++d) {
            for (const DrawnRow& r : drawSection(t, d).rows) {
                ++rows;
                EXPECT_EQ(str(r.scaled), "-") << what << ": " << r.label.toStdString();
            }
        }
        EXPECT_GT(rows, 5) << what;
    };
    expectDashes(everything(2, 6), "below 3 years");

    TestRecord t = childAged(8, 0);
    SelectAgeGroup(context.db, context.norms, t);
    ASSERT_FALSE(context.norms.CurrentAgeGroup.isEmpty());
    db.exec(QStringLiteral("DELETE FROM NORMER_TAVLO WHERE DELGRUPP = '%1'").arg(context.norms.CurrentAgeGroup));
    expectDashes(everything(8, 0), "no norm rows for the age group");
}
