#pragma once
// The archive screen on a real database, driven through the main window as the examiner
// drives it; the rows come from the screen's reading thread.

#include "Ages.h"
#include "RecordingSink.h"
#include "TempDatabase.h"
#include "app/MainWindow.h"
#include "archive/ArchiveModel.h"
#include "archive/ArchiveScreen.h"
#include "store/tables/PersonTable.h"
#include "store/tables/TestStore.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

#include <ostream>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace tavlo::test {

inline QString u8(const char* text)
{
    return QString::fromUtf8(text);
}

class ArchiveFixture : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(db.connect(ctx.db)); }

    // Stores a test and gives its person number.
    int store(const char* name, Date tested, int sex = 1)
    {
        TestRecord t = childAged(7, 0);
        t.person.NAMN = u8(name);
        t.person.TESTDATE = tested;
        t.person.SEX = sex;
        t.scores.AI = 12;
        t.grid.cell(5) = 1;
        EXPECT_TRUE(SaveTest(ctx.db, t, true));
        return t.person.ID;
    }

    void open()
    {
        w.setScreen(new ArchiveScreen(w));
        w.show();
        waitForRows();
    }

    ArchiveScreen* screen() { return qobject_cast<ArchiveScreen*>(w.screen()); }

    // However long the reading thread takes: a slow machine is not a fault.
    void waitForRows()
    {
        ASSERT_NE(screen(), nullptr);
        ASSERT_TRUE(QTest::qWaitFor([&] { return screen() && screen()->rowsArrived(); }, 60000));
    }

    QTreeView* list() { return screen()->list(); }
    QAbstractItemModel* rows() { return list()->model(); }

    QStringList column(int c)
    {
        QStringList out;
        for (int i = 0; i < rows()->rowCount(); ++i)
            out << rows()->index(i, c).data().toString();
        return out;
    }

    int idAt(int row) { return rows()->index(row, 0).data(Qt::UserRole).toInt(); }

    QList<int> selectedRows()
    {
        QList<int> out;
        for (const QModelIndex& index : list()->selectionModel()->selectedRows())
            out << index.row();
        return out;
    }

    QStringList stored()
    {
        QStringList names;
        ListPersons(db.db, 0, false, [&](const PersonListRow& row) { names << row.NAMN; });
        return names;
    }

    void clickHeader(int section)
    {
        QHeaderView* header = list()->header();
        const QPoint at(header->sectionViewportPosition(section) + 10, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }

    void clickRow(int row)
    {
        list()->scrollTo(rows()->index(row, 0));
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, list()->visualRect(rows()->index(row, 0)).center());
    }

    TempDatabase db;
    AppContext ctx;
    RecordingSink sink;
    MainWindow w{ctx};
};

} // namespace tavlo::test
