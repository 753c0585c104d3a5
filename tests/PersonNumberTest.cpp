// The person number counter at the edge of 32 bits: an import that would leave it there, a
// save that finds it spent, on both stores.
#include "Ages.h"
#include "ToolRun.h"
#include "Exported.h"
#include "Files.h"
#include "RecordingSink.h"
#include "Str.h"
#include "TempDatabase.h"
#include "app/AppContext.h"
#include "entry/RawScoreDialog.h"
#include "store/tables/PersonTable.h"
#include "store/tables/TestStore.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <limits>

using namespace tavlo;
using namespace tavlo::test;

namespace {

constexpr int kHighest = std::numeric_limits<int>::max();

class PersonNumbers : public ::testing::TestWithParam<StoreKind> {
protected:
    PersonNumbers()
        : t(GetParam())
    {
        TestRecord first = childAged(8, 6);
        EXPECT_TRUE(SaveTest(t.db, first, true));
        const QList<QByteArray> lines = exported(t.db).split('\n');
        header = lines.value(0) + '\n';
        line = lines.value(1) + '\n';
    }

    // The one stored test as an export file, under number id.
    QString fileNumbered(int id)
    {
        const QString path = dir.filePath(QStringLiteral("%1.txt").arg(id));
        files::writeFile(path, header + QByteArray::number(id) + line.mid(line.indexOf('\t')));
        return path;
    }

    int counter()
    {
        const int last = NextPersonId(t.db);
        EXPECT_GE(last, 0);
        return last;
    }

    int persons()
    {
        Statement s(t.db);
        EXPECT_TRUE(s.execDirect(QStringLiteral("SELECT COUNT(*) FROM TESTPERSON")));
        EXPECT_EQ(s.fetch(), Fetch::Row);
        return s.getInt(1).value_or(-1);
    }

    TempDatabase t;
    RecordingSink sink;
    QTemporaryDir dir;
    QByteArray header;
    QByteArray line;
};

} // namespace

TEST_P(PersonNumbers, AnImportKeepsItsNumbersOnlyWhereTheCounterCanGoOnAndASaveFollowsEitherWay)
{
    const struct {
        int number;
        bool kept;
    } imports[] = {
        {kHighest, false},
        {kHighest - kPersonNumberReserve + 1, false},
        {kHighest - kPersonNumberReserve, true},
    };
    for (const auto& import : imports) {
        SCOPED_TRACE(import.number);
        const int before = counter();
        const CliRun run = runCli({QStringLiteral("import"), t.folder(), fileNumbered(import.number)});
        ASSERT_EQ(run.status, 0) << str(run.err);
        const int given = import.kept ? import.number : before + 1;
        EXPECT_EQ(run.out, import.kept ? QStringLiteral("1 tester er lagret med numrene fra filen.\n")
                                       : QStringLiteral("%1\t%2\n").arg(import.number).arg(given));
        EXPECT_EQ(counter(), given);

        TestRecord next = childAged(9, 0);
        ASSERT_TRUE(SaveTest(t.db, next, true)) << str(sink.texts().join(u'\n'));
        EXPECT_EQ(next.person.ID, given + 1);
    }
}

TEST_P(PersonNumbers, ASpentCounterRefusesTheSaveInNorwegianAndKeepsWhatWasTyped)
{
    QStringList spent = {QStringLiteral("2147483647")};
    // SQLite counts in 64 bits: an older program could push the counter past 32.
    if (GetParam() == StoreKind::Sqlite)
        spent << QStringLiteral("2147483648");
    for (const QString& last : spent) {
        SCOPED_TRACE(str(last));
        t.exec(QStringLiteral("UPDATE TESTPERSON_COUNTER SET LAST_ID = %1").arg(last));
        const int stored = persons();
        sink.messages.clear();

        TestRecord fresh = childAged(7, 0);
        EXPECT_FALSE(SaveTest(t.db, fresh, true));
        EXPECT_EQ(sink.texts(), QStringList{PersonNumbersExhaustedText()});
        EXPECT_EQ(fresh.person.ID, 0);

        // At the raw score dialog: the message, and the dialog open with what was typed.
        AppContext ctx;
        ASSERT_TRUE(t.connect(ctx.db));
        ctx.test = childAged(7, 0);
        RawScoreDialog dialog(ctx);
        dialog.show();
        dialog.field(1)->setText(QStringLiteral("12"));
        sink.messages.clear();
        dialog.continueButton()->click();
        EXPECT_EQ(sink.texts(), QStringList{PersonNumbersExhaustedText()});
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.field(1)->text(), QStringLiteral("12"));

        const CliRun run = runCli({QStringLiteral("import"), t.folder(), fileNumbered(kHighest - kPersonNumberReserve)});
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.err.contains(QStringLiteral("ledige testpersonnumre"))) << str(run.err);
        EXPECT_EQ(persons(), stored) << "nothing stored";
    }
}

INSTANTIATE_TEST_SUITE_P(Stores, PersonNumbers, ::testing::Values(StoreKind::Sqlite, StoreKind::Postgres),
                         [](const auto& info) { return info.param == StoreKind::Sqlite ? "Sqlite" : "Postgres"; });
