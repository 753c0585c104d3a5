#include "app/ResultsPreviewScreen.h"

#include "app/Look.h"
#include "app/MainWindow.h"
#include "resources/StringTable.h"
#include "scoring/Scoring.h"
#include "vandrel/TextOut.h"

#include <QHeaderView>
#include <QPainter>
#include <QTableWidget>

namespace tavlo {

ResultsPreviewScreen::ResultsPreviewScreen(MainWindow& main)
    : Screen(main)
{
    main.hideButtons();
    main.placeButton(90, LoadString(95), QRect(20, 520, 110, 40));
    main.placeButton(91, LoadString(173), QRect(140, 520, 110, 40));

    AppContext& c = main.context();
    SelectAgeGroup(c.db, c.norms, c.test);
    ScoreTest(c.db, c.norms, c.test);

    m_table = new QTableWidget(this);
    m_table->setColumnCount(4);
    m_table->setHorizontalHeaderLabels({QStringLiteral("Deltest"), QStringLiteral("Råskårer"),
                                        QStringLiteral("Skalerte skårer"), QStringLiteral("Persentil")});
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    fillTable();
}

void ResultsPreviewScreen::fillTable()
{
    const TestRecord& t = main().context().test;
    const auto add = [this](const QString& label, int raw, const Result& result) {
        const int row = m_table->rowCount();
        m_table->insertRow(row);
        const auto cell = [&](int column, const QString& text, Qt::Alignment align) {
            auto* item = new QTableWidgetItem(text);
            item->setTextAlignment(align | Qt::AlignVCenter);
            m_table->setItem(row, column, item);
        };
        cell(0, label, Qt::AlignLeft);
        cell(1, raw == COMPUTED_MARKER ? QStringLiteral("N/A*") : QString::number(raw), Qt::AlignRight);
        const bool band = !result.text.isEmpty();
        cell(2, band || result.value == 0 ? QStringLiteral("-") : QString::number(result.value), Qt::AlignRight);
        cell(3, band ? result.text : QStringLiteral("-"), Qt::AlignRight);
    };
    for (int row = 1; row <= 60; ++row) {
        const MeasureInfo* m = measureAtEntryRow(row);
        if (t.raw(m->key) != NOT_ENTERED)
            add(LoadString(m->labelId), t.raw(m->key), t.result(m->key));
    }
    for (int k = kMeasureCount; k < kKeyCount; ++k) {
        if (t.raw(Key(k)) != NOT_ENTERED)
            add(QLatin1String(keyName(Key(k))), t.raw(Key(k)), t.result(Key(k)));
    }
    m_table->resizeColumnsToContents();
    m_table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
}

bool ResultsPreviewScreen::command(int id)
{
    AppContext& c = main().context();
    switch (id) {
    case 90:
    case 102:
    case 103:
        NewTestRecord(c.test);
        main().showStartScreen();
        return true;
    case 91:
    case 63:
        // Changed from here on: the entry rewrites the stored rows.
        c.testIsNew = false;
        main().showPersonForm();
        return true;
    default:
        return false;
    }
}

QStringList ResultsPreviewScreen::summary() const
{
    const AppContext& c = main().context();
    const PersonalData& p = c.test.person;
    const QString sex = p.SEX == 1 ? LoadString(42) : p.SEX == 2 ? LoadString(41) : QString();
    const auto line = [](int labelId, const QString& value) { return LoadString(labelId) + QStringLiteral(": ") + value; };
    return {line(17, p.NAMN), line(28, sex), line(27, FormatTestAge(c.test.testAge())),
            line(25, FormatDate(p.TESTDATE)), line(30, p.OTHER), line(175, c.norms.AgeGroupDescription)};
}

void ResultsPreviewScreen::resizeEvent(QResizeEvent* event)
{
    Screen::resizeEvent(event);
    m_table->setGeometry(20, 140, width() - 40, height() - 230); // clear of the buttons at 520
}

void ResultsPreviewScreen::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setPen(Qt::black);
    p.setFont(WindowsFont(QStringLiteral("Arial"), 15));
    const QStringList lines = summary();
    int y = 10;
    QString strip;
    for (int i = 0; i < lines.size(); ++i)
        strip += lines[i] + (i + 1 < lines.size() ? QStringLiteral("    ") : QString());
    y = DrawWrappedText(&p, y, strip, 20, width() - 20, true, 0);
    p.setFont(WindowsFont(QStringLiteral("Arial"), 12));
    DrawWrappedText(&p, std::max(y, 100),
                    QStringLiteral("Foreløpig visning av skårene. Resultatrapporten ordnet etter domener, med "
                                   "kvalitative beskrivelser og utskrift, kommer i en senere versjon."),
                    20, width() - 20, true, 0);
    p.drawPixmap(0, height() - 33, BannerPicture());
}

} // namespace tavlo
