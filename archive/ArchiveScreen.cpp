#include "archive/ArchiveScreen.h"

#include "app/Look.h"
#include "app/MainWindow.h"
#include "archive/Backup.h"
#include "archive/Export.h"
#include "resources/StringTable.h"
#include "store/PersonTable.h"
#include "store/TestStore.h"
#include "vandrel/MessageSink.h"

#include <QDir>
#include <QHeaderView>
#include <QPainter>
#include <QPushButton>
#include <QTreeWidget>

#include <algorithm>
#include <vector>

namespace tavlo {

namespace {

struct Column {
    int headerText;
    int width;
};

constexpr Column kColumns[] = {
    {17, 200}, // Navn
    {24, 100}, // Testleder
    {25, 80},  // Testdato
    {30, 150}, // Annet
    {28, 50},  // Kjønn
    {26, 100}, // Fødselsdato
    {22, 200}, // Skole
    {20, 200}, // Nasjonalitet
    {21, 200}, // Førstespråk
};
constexpr int kColumnCount = int(std::size(kColumns));

struct ButtonPlace {
    int id;
    const char* text;
    int x;
};

const ButtonPlace kButtons[] = {
    {90, "&Tilbake", 20},
    {91, "&Vis resultat", 140},
    {93, "S&lett", 260},
    {92, "&Eksporter data", 380},
    {94, "&Sikkerhetskopier", 500},
};

QString listDate(const Date& date)
{
    return QString::asprintf("%02d-%02d-%04d", int(date.day), int(date.month), int(date.year));
}

QStringList rowTexts(const PersonListRow& row)
{
    return {row.NAMN,
            row.TESTLEDARE,
            listDate(row.TESTDATE),
            row.OTHER,
            row.SEX == 1   ? LoadString(42)
            : row.SEX == 2 ? LoadString(41)
                           : QString(),
            listDate(row.BORNDATE),
            row.SKOLA,
            row.NATIONALITET,
            row.HOMELANGUAGE};
}

} // namespace

ArchiveScreen::ArchiveScreen(MainWindow& main)
    : Screen(main)
    , m_list(new QTreeWidget(this))
{
    AppContext& c = context();
    // The results window leaves the main window taller; the archive is always 800 x 600.
    main.placeCentred();
    setGeometry(main.rect());

    m_list->setFont(SecondFont());
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSortingEnabled(false); // the database sorts
    // The chosen row stays plain to see while a button or a message box has the focus.
    QPalette palette = m_list->palette();
    for (const QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    m_list->setPalette(palette);

    m_list->setColumnCount(kColumnCount);
    QStringList headers;
    for (const Column& column : kColumns)
        headers << LoadString(column.headerText);
    m_list->setHeaderLabels(headers);
    QHeaderView* header = m_list->header();
    header->setStretchLastSection(false);
    header->setSectionsClickable(true);
    header->setSectionsMovable(false);
    for (int i = 0; i < kColumnCount; ++i)
        m_list->setColumnWidth(i, kColumns[i].width);
    connect(header, &QHeaderView::sectionClicked, this, &ArchiveScreen::sortBy);
    // As in any list: a double-click on a row shows it, like Enter and "&Vis resultat".
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &ArchiveScreen::showSelectedTest);

    fill(c.archiveSortKey, c.archiveDescending);
    if (const int rows = m_list->topLevelItemCount(); rows > 0) {
        c.archiveLastIndex = std::clamp(c.archiveLastIndex, 0, rows - 1);
        m_list->setCurrentItem(m_list->topLevelItem(c.archiveLastIndex));
        m_list->scrollToTop();
    }

    main.hideButtons();
    for (const ButtonPlace& b : kButtons)
        main.placeButton(b.id, QString::fromUtf8(b.text), QRect(b.x, 520, 110, 40));
    main.setWindowTitle(QStringLiteral("TAVLO-II"));

    ClearScores(c.test);

    layOut();
    m_list->setFocus();
    update();
}

AppContext& ArchiveScreen::context() const
{
    return main().context();
}

bool ArchiveScreen::fill(int sortKey, bool descending)
{
    // Read everything first: a listing that fails half-way leaves the rows shown as they were.
    std::vector<PersonListRow> rows;
    if (!ListPersons(context().db, sortKey, descending, [&](const PersonListRow& row) { rows.push_back(row); }))
        return false;

    m_list->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(qsizetype(rows.size()));
    for (const PersonListRow& row : rows) {
        auto* item = new QTreeWidgetItem(rowTexts(row));
        item->setData(0, Qt::UserRole, row.ID);
        items << item;
    }
    m_list->addTopLevelItems(items);
    return true;
}

void ArchiveScreen::sortBy(int column)
{
    AppContext& c = context();
    // One direction flag for all columns: every click turns it, whichever column it hits.
    const bool descending = !c.archiveDescending;
    if (fill(column, descending)) {
        c.archiveSortKey = column;
        c.archiveDescending = descending;
    }
}

std::optional<int> ArchiveScreen::selectedId()
{
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty()) {
        tell(LoadString(11));
        return std::nullopt;
    }
    context().archiveLastIndex = m_list->indexOfTopLevelItem(selected.first());
    return selected.first()->data(0, Qt::UserRole).toInt();
}

QTreeWidgetItem* ArchiveScreen::rowOf(int id) const
{
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        if (m_list->topLevelItem(i)->data(0, Qt::UserRole).toInt() == id)
            return m_list->topLevelItem(i);
    }
    return nullptr;
}

void ArchiveScreen::showSelectedTest()
{
    const std::optional<int> id = selectedId();
    if (!id)
        return;
    AppContext& c = context();
    if (!ReadTest(c.db, c.test, *id)) {
        m_list->setFocus();
        return;
    }
    // A change made from the results window rewrites this test's rows.
    c.testIsNew = false;
    main().hideButtons();
    main().showResults();
}

void ArchiveScreen::deleteSelectedTest()
{
    const std::optional<int> id = selectedId();
    if (!id)
        return;
    AppContext& c = context();
    // Read into a copy: the current test is not touched until the rows are gone.
    PersonalData person;
    if (ReadPerson(c.db, person, *id)
        && askYesNo(LoadString(12, person.NAMN), MessageIcon::Stop, /*defaultYes*/ false) && DeleteTest(c.db, *id)) {
        delete rowOf(*id);
        // Nothing stays chosen, so a second press cannot take the neighbour by accident.
        m_list->clearSelection();
        c.archiveLastIndex = std::clamp(c.archiveLastIndex, 0, std::max(0, m_list->topLevelItemCount() - 1));
        tell(LoadString(13, person.NAMN));
        NewTestRecord(c.test);
        c.testIsNew = true;
    }
    m_list->setFocus();
}

bool ArchiveScreen::command(int id)
{
    AppContext& c = context();
    switch (id) {
    case 90:
    case 64:
    case 103:
        main().hideButtons();
        main().showStartScreen();
        return true;
    case 91:
    case 104:
        showSelectedTest();
        return true;
    case 93:
    case 105:
    case 106:
    case 111:
        deleteSelectedTest();
        return true;
    case 92:
    case 118:
        ExportDialog(c, &main());
        if (!c.startDirectory.isEmpty())
            QDir::setCurrent(c.startDirectory);
        m_list->setFocus();
        return true;
    case 94:
    case 107:
        BackupDatabase(c, &main());
        // The save dialog may have moved the current directory too.
        if (!c.startDirectory.isEmpty())
            QDir::setCurrent(c.startDirectory);
        m_list->setFocus();
        return true;
    default:
        return false;
    }
}

void ArchiveScreen::layOut()
{
    const int w = width(), h = height();
    m_list->setGeometry(5, 90, w - 8, h - 165);
    for (const ButtonPlace& b : kButtons) {
        if (QPushButton* button = main().button(b.id))
            button->setGeometry(b.x, h - 43, 110, 40);
    }
}

void ArchiveScreen::resizeEvent(QResizeEvent* event)
{
    Screen::resizeEvent(event);
    layOut();
}

void ArchiveScreen::showEvent(QShowEvent* event)
{
    Screen::showEvent(event);
    m_list->setFocus();
}

void ArchiveScreen::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setPen(Qt::black);
    // Positions are the tops of the texts.
    const auto text = [&p](int x, int y, const QString& s) { p.drawText(x, y + p.fontMetrics().ascent(), s); };
    p.setFont(WindowsFont(QStringLiteral("Arial"), 20, true));
    text(20, 20, LoadString(6));
    p.setFont(MainFont());
    text(20, 40, LoadString(7));
    text(20, 60, LoadString(8));
    // 533 in a 600-high window: the band ends at the bottom edge, behind the buttons.
    p.drawPixmap(0, height() - BannerPicture().height(), BannerPicture());
}

} // namespace tavlo
