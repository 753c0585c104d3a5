// A comparison as a document: every domain's table cell by cell, the marks explained, the
// two-test profile as a picture, logged for both tests; read back by unzip and an XML reader.
#include "Ages.h"
#include "Documents.h"
#include "Rows.h"
#include "Str.h"
#include "TempDatabase.h"
#include "ToolRun.h"
#include "session/Session.h"
#include "store/tables/TestStore.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tavlo;
using namespace tavlo::test;

TEST(ComparisonDocument, EveryDomainsChangesAsTablesWithTheMarksExplainedAndTheProfile)
{
    TempDatabase t;
    int ids[2] = {};
    const Date tested[2] = {{2011, 2, 1}, {2015, 9, 1}};
    for (int i = 0; i < 2; ++i) {
        TestRecord r = childWithEveryMeasure(i == 0 ? 6 : 10, 0);
        r.person.NAMN = QStringLiteral("Ánde Olsen");
        r.person.BORNDATE = {2004, 8, 20};
        r.person.TESTDATE = tested[i];
        ASSERT_TRUE(SaveTest(t.db, r, true));
        ids[i] = r.person.ID;
    }
    Session session;
    ASSERT_FALSE(OpenFolder(session, t.folder()));
    Comparison c;
    ASSERT_FALSE(CompareStoredTests(session, ids[0], ids[1], c));

    QTemporaryDir out;
    const QString odt = out.filePath(QStringLiteral("sammenligning.odt"));
    const CliRun run = runCli({QStringLiteral("compare"), t.folder(), QString::number(ids[1]), QString::number(ids[0]),
                               QStringLiteral("--odt"), odt});
    ASSERT_EQ(run.status, 0) << str(run.err);
    const ReadDocument read = readOdt(odt);

    // The six domains in order, each a table: the headings, then every compared row.
    ASSERT_EQ(read.tables.size(), size_t(kDomainCount));
    bool anyMarked = false;
    for (const ComparisonSection& section : c.sections) {
        SCOPED_TRACE(section.domain);
        CellTable expected{{QStringLiteral("Deltest"), QStringLiteral("Før"), QStringLiteral("Etter"),
                            QStringLiteral("Endring"), QString()}};
        for (const ComparisonRow& row : section.rows)
            expected.push_back({row.label, row.earlier, row.later, ChangeText(row), row.marked ? QStringLiteral("*") : QString()});
        EXPECT_EQ(read.tables[size_t(section.domain - 1)], expected);
        anyMarked = anyMarked || section.anyMarked();
    }
    const QString text = read.paragraphs.join(u'\n');
    for (const QString& expected : {ComparisonTitle(c), c.earlier.ageGroupDescription, c.later.ageGroupDescription})
        EXPECT_TRUE(text.contains(expected)) << str(expected) << "\n" << str(text);
    EXPECT_EQ(text.contains(MarkedChangeNote()), anyMarked);
    EXPECT_EQ(read.images, 1) << "the two-test profile";
    const QString written = QStringLiteral("SELECT COUNT(*) FROM LOGG WHERE HENDELSE = 'dokument skrevet' AND ID = %1");
    EXPECT_EQ(countOf(t.db, written.arg(ids[0])), 1);
    EXPECT_EQ(countOf(t.db, written.arg(ids[1])), 1);
    saveDocumentPicture(ComparisonDocument(c, true), QStringLiteral("comparison-document"));
}
