#include "archive/ArchiveScreen.h"

#include "app/Commands.h"
#include "app/Look.h"
#include "app/MainWindow.h"
#include "archive/ArchiveModel.h"
#include "archive/Backup.h"
#include "archive/ExportDialog.h"
#include "resources/StringTable.h"
#include "results/ComparisonWindow.h"
#include "session/Session.h"
#include "vandrel/MessageSink.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QHeaderView>
#include <QHelpEvent>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTreeView>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <utility>

namespace tavlo {

namespace {

constexpr int kColumnWidths[ArchiveModel::kColumns] = {200, 100, 80, 150, 50, 100, 200, 200, 200, 60};

struct ButtonPlace {
    int id;
    const char* text;
    int x;
};

const ButtonPlace kButtons[] = {
    {kButton1, "&Tilbake", 20},
    {kButton2, "&Vis resultat", 140},
    {kButton4, "S&lett", 260},
    {kButton3, "&Eksporter data", 380},
    {kButton5, "&Sikkerhetskopier", 500},
};

// The search field stands right-aligned with the list, in the strip above it that the
// heading texts leave free on the right.
constexpr int kSearchWidth = 260;
constexpr int kSearchHeight = 24;
constexpr int kSearchTop = 62;
constexpr int kSearchLabelWidth = 40;
constexpr int kCompareWidth = 110;

// The Part's column widths cut a long name or school short: the cell's whole text shows as
// its tool tip, where it is cut.
class WholeTextTips : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override
    {
        if (event->type() != QEvent::ToolTip)
            return QStyledItemDelegate::helpEvent(event, view, option, index);
        const QString text = index.data().toString();
        if (sizeHint(option, index).width() > view->visualRect(index).width())
            QToolTip::showText(event->globalPos(), text, view->viewport(), view->visualRect(index));
        else
            QToolTip::hideText();
        return true;
    }
};

} // namespace

ArchiveScreen::ArchiveScreen(MainWindow& main)
    : Screen(main)
    , m_list(new QTreeView(this))
    , m_model(new ArchiveModel(this))
    , m_searchLabel(new QLabel(QStringLiteral("Søk"), this))
    , m_search(new QLineEdit(this))
    , m_reading(new QLabel(QStringLiteral("Henter tester …"), m_list->viewport()))
{
    AppContext& c = context();
    // The results window leaves the main window taller; the archive is always 800 x 600.
    main.placeCentred();
    setMinimumSize(800, 480);
    setGeometry(main.page()->rect());

    setUpList();
    m_place = std::exchange(c.archivePlace, std::nullopt);
    m_searchLabel->setFont(MainFont());
    m_searchLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_searchLabel->setBuddy(m_search);
    m_search->setFont(MainFont());
    m_search->setPlaceholderText(QStringLiteral("Navn, testleder, skole eller annet"));
    m_search->setClearButtonEnabled(true);
    m_search->installEventFilter(this);
    connect(m_search, &QLineEdit::textChanged, this, &ArchiveScreen::filter);
    if (m_place) {
        // Filters the rows as they arrive, as text typed while they are read does.
        const QSignalBlocker quiet(m_search);
        m_search->setText(m_place->search);
        m_model->setFilter(m_place->search);
    }
    m_reading->setFont(SecondFont());
    m_reading->move(8, 6);
    m_reading->adjustSize();
    startReading();

    main.hideButtons();
    for (const ButtonPlace& b : kButtons)
        main.placeButton(b.id, QString::fromUtf8(b.text), QRect(b.x, 520, 110, 40));
    m_compare = new QPushButton(QStringLiteral("Sa&mmenlign"), this);
    m_compare->setFont(MainFont());
    connect(m_compare, &QPushButton::clicked, this, &ArchiveScreen::compareSelectedTest);
    main.setWindowTitle(QStringLiteral("TAVLO-II"));

    ClearScores(c.test);

    layOut();
    orderTabs({m_compare, m_search, m_list});
    m_list->setFocus();
    update();
}

AppContext& ArchiveScreen::context() const
{
    return main().context();
}

void ArchiveScreen::setUpList()
{
    m_list->setModel(m_model);
    m_list->setItemDelegate(new WholeTextTips(m_list));
    m_list->setAccessibleName(LoadString(kStrEarlierTests));
    m_list->setFont(SecondFont());
    m_list->setRootIsDecorated(false);
    m_list->setItemsExpandable(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSortingEnabled(false); // the screen sorts, with one direction for all columns
    // The chosen row stays plain to see while a button or a message box has the focus.
    QPalette palette = m_list->palette();
    for (const QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    m_list->setPalette(palette);

    QHeaderView* header = m_list->header();
    header->setStretchLastSection(false);
    header->setSectionsClickable(true);
    header->setSectionsMovable(false);
    for (int i = 0; i < ArchiveModel::kColumns; ++i)
        m_list->setColumnWidth(i, kColumnWidths[i]);
    connect(header, &QHeaderView::sectionClicked, this, &ArchiveScreen::sortBy);
    // As in any list: a double-click on a row shows it, like Enter and "&Vis resultat".
    connect(m_list, &QTreeView::doubleClicked, this, &ArchiveScreen::showSelectedTest);

    // A child tested again stands in the list once per test: these gather them.
    m_childAction = new QAction(QStringLiteral("Vis &barnets tester"), m_list);
    m_childAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    m_childAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    m_list->addAction(m_childAction);
    m_list->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(m_childAction, &QAction::triggered, this, &ArchiveScreen::showChildsTests);
}

namespace {

ArchiveScreen::ComparisonChooser& comparisonChooser()
{
    static ArchiveScreen::ComparisonChooser chooser;
    return chooser;
}

std::optional<int> askWhichTest(QWidget* owner, const QStringList& tests, int offered)
{
    bool chosen = false;
    const QString item = QInputDialog::getItem(owner, QStringLiteral("%1  Sammenlign").arg(kProgramCaption),
                                               QStringLiteral("Sammenlign med testen fra:"), tests, offered, false, &chosen);
    if (!chosen)
        return std::nullopt;
    return int(tests.indexOf(item));
}

} // namespace

void ArchiveScreen::SetComparisonChooser(ComparisonChooser chooser)
{
    comparisonChooser() = std::move(chooser);
}

void ArchiveScreen::compareSelectedTest()
{
    const std::optional<int> id = selectedId();
    if (!id)
        return;
    const int row = m_model->rowOfId(*id);
    const auto others = m_model->childsOtherTests(row);
    if (others.empty()) {
        tell(QStringLiteral("Barnet har ingen annen test å sammenligne med. To tester er av samme barn når navn og "
                            "fødselsdato er like."),
             MessageIcon::Information);
        m_list->setFocus();
        return;
    }
    // Offered: the latest test before the chosen one (oldest first, so the last such), or else
    // the first after it.
    const Date tested = m_model->testDateAt(row);
    int offered = 0;
    QStringList items;
    for (size_t i = 0; i < others.size(); ++i) {
        const auto& [other, date] = others[i];
        items << QStringLiteral("%1 (nr. %2)").arg(FormatDate(date)).arg(other);
        if (IsAfter(tested, date) || (date == tested && other < *id))
            offered = int(i);
    }
    const auto& choose = comparisonChooser();
    const std::optional<int> picked = choose ? choose(&main(), items, offered) : askWhichTest(&main(), items, offered);
    if (!picked || *picked < 0 || *picked >= int(others.size())) {
        m_list->setFocus();
        return;
    }
    Comparison comparison;
    if (ShowIfFailed(CompareStoredTests(context(), others[size_t(*picked)].first, *id, comparison))) {
        m_list->setFocus();
        return;
    }
    auto* window = new ComparisonWindow(context(), std::move(comparison), &main());
    window->setWindowModality(Qt::ApplicationModal);
    window->show();
}

void ArchiveScreen::showChildsTests()
{
    const QModelIndexList rows = m_list->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return;
    const std::optional<int> chosen = chosenId();
    const int row = rows.first().row();
    // The search field names the child, so that it is plain what is shown and one click on
    // its clear button shows every test again.
    const QString name = m_model->index(row, 0).data().toString();
    {
        const QSignalBlocker quiet(m_search);
        m_search->setText(name);
    }
    m_model->showChildOf(row);
    showNothingFound();
    choose(chosen, true);
}

void ArchiveScreen::startReading()
{
    // A whole clinic's archive takes longer to read than the window may stand still: the
    // rows are read on a connection of their own in another thread.
    connect(&m_watcher, &QFutureWatcherBase::finished, this, [this] { takeRows(m_watcher.future().takeResult()); });
    m_watcher.setFuture(
        QtConcurrent::run([connection = context().db.connectionString(), sortKey = context().archiveSortKey] {
            PersonListLoad load = LoadPersonList(connection);
            load.list.prepareFor(sortKey);
            return load;
        }));
}

void ArchiveScreen::takeRows(PersonListLoad load)
{
    m_arrived = true;
    // A screen already left (and about to go) shows nothing, so it logs nothing either.
    if (main().screen() != this)
        return;
    m_reading->hide();
    showSortIndicator();
    if (load.failure)
        Show(*load.failure);
    // Every child's name and birth date: logged before they are shown.
    if (load.read && !ShowIfFailed(RecordListShown(context(), int(load.list.size())))) {
        AppContext& c = context();
        m_model->setList(std::move(load.list), c.archiveSortKey, c.archiveDescending);
        if (!returnToPlace() && m_model->wholeCount() > 0) {
            c.archiveLastIndex = std::clamp(c.archiveLastIndex, 0, m_model->wholeCount() - 1);
            // Text typed while the rows were read has filtered them already.
            const int row = std::max(m_model->rowOfWholeIndex(c.archiveLastIndex), 0);
            if (row < m_model->rowCount())
                m_list->setCurrentIndex(m_model->index(row, 0));
            m_list->scrollToTop();
        }
    }
    if (!m_search->hasFocus())
        m_list->setFocus();
}

std::optional<int> ArchiveScreen::chosenId() const
{
    const QModelIndexList rows = m_list->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return std::nullopt;
    return m_model->idAt(rows.first().row());
}

void ArchiveScreen::choose(std::optional<int> id, bool firstOtherwise)
{
    int row = id ? m_model->rowOfId(*id) : -1;
    if (row < 0 && firstOtherwise && m_model->rowCount() > 0)
        row = 0;
    if (row < 0)
        return;
    // The view scrolls to its current row by itself.
    m_list->setCurrentIndex(m_model->index(row, 0));
}

void ArchiveScreen::showNothingFound()
{
    // An empty list under a search says why, in place of the rows.
    const bool nothing = m_arrived && m_model->rowCount() == 0 && !m_search->text().isEmpty();
    m_reading->setText(nothing ? QStringLiteral("Ingen tester passer til søket") : QStringLiteral("Henter tester …"));
    m_reading->adjustSize();
    m_reading->setVisible(nothing || !m_arrived);
}

void ArchiveScreen::showSortIndicator()
{
    const AppContext& c = context();
    // The person number has no column of its own: no indicator for the opening order.
    const int column = c.archiveSortKey == kChildTestsSortKey ? ArchiveModel::kChildTestsColumn
                       : c.archiveSortKey < kArchiveColumns  ? c.archiveSortKey
                                                             : -1;
    m_list->header()->setSortIndicatorShown(column >= 0);
    if (column >= 0)
        m_list->header()->setSortIndicator(column, c.archiveDescending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void ArchiveScreen::sortBy(int column)
{
    AppContext& c = context();
    const std::optional<int> chosen = chosenId();
    // One direction flag for all columns: every click turns it, whichever column it hits.
    c.archiveSortKey = ArchiveModel::sortKeyOf(column);
    c.archiveDescending = !c.archiveDescending;
    m_model->sortBy(c.archiveSortKey, c.archiveDescending);
    showSortIndicator();
    choose(chosen, false);
}

void ArchiveScreen::filter(const QString& typed)
{
    const std::optional<int> chosen = chosenId();
    m_model->setFilter(typed);
    showNothingFound();
    // Enter shows a row at once: the one chosen if it is still found, else the first found.
    choose(chosen, true);
}

bool ArchiveScreen::eventFilter(QObject* watched, QEvent* event)
{
    const bool key = event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride;
    if (watched != m_search || !key)
        return Screen::eventFilter(watched, event);
    auto* press = static_cast<QKeyEvent*>(event);
    if (press->key() == Qt::Key_Escape && press->modifiers() == Qt::NoModifier) {
        // Escape empties the field, before the window's Escape ("back") can take it.
        if (event->type() == QEvent::KeyPress) {
            m_search->clear();
            m_list->setFocus();
        }
        event->accept();
        return true;
    }
    // The arrows move through the found rows while the typing stays in the field.
    const int moves[] = {Qt::Key_Up, Qt::Key_Down, Qt::Key_PageUp, Qt::Key_PageDown};
    if (event->type() == QEvent::KeyPress && std::find(std::begin(moves), std::end(moves), press->key()) != std::end(moves)) {
        QCoreApplication::sendEvent(m_list, event);
        return true;
    }
    return false;
}

std::optional<int> ArchiveScreen::selectedId()
{
    const QModelIndexList rows = m_list->selectionModel()->selectedRows();
    if (rows.isEmpty()) {
        tell(LoadString(kStrNoPersonChosen));
        return std::nullopt;
    }
    // The place in the whole list: the archive opens again without the search.
    context().archiveLastIndex = m_model->wholeIndexOf(rows.first().row());
    return m_model->idAt(rows.first().row());
}

void ArchiveScreen::showSelectedTest()
{
    const std::optional<int> id = selectedId();
    if (!id)
        return;
    if (ShowIfFailed(ReadStoredTest(context(), *id))) {
        m_list->setFocus();
        return;
    }
    rememberPlace();
    main().hideButtons();
    main().showResults();
}

void ArchiveScreen::rememberPlace()
{
    AppContext::ArchivePlace place;
    place.search = m_search->text();
    if (m_model->showsOneChild())
        place.childOf = m_model->childId();
    place.chosen = chosenId().value_or(0);
    place.scroll = m_list->verticalScrollBar()->value();
    context().archivePlace = std::move(place);
}

bool ArchiveScreen::returnToPlace()
{
    const std::optional<AppContext::ArchivePlace> place = std::exchange(m_place, std::nullopt);
    if (!place)
        return false;
    // Text typed while the rows were read is newer than the place.
    if (m_search->text() != place->search)
        return false;
    if (place->childOf) {
        // The child's view as it was; gone with its test (deleted elsewhere), the search stays.
        const int row = m_model->rowOfId(place->childOf);
        if (row >= 0)
            m_model->showChildOf(row);
    }
    showNothingFound();
    const int row = m_model->rowOfId(place->chosen);
    if (row >= 0)
        m_list->setCurrentIndex(m_model->index(row, 0));
    // The rows must be laid out before the scroll bar takes a value beyond the first page.
    m_list->doItemsLayout();
    m_list->verticalScrollBar()->setValue(place->scroll);
    // A chosen row that has moved (tests added or deleted meanwhile) is brought into view.
    if (row >= 0)
        m_list->scrollTo(m_model->index(row, 0));
    return true;
}

void ArchiveScreen::deleteSelectedTest()
{
    const std::optional<int> id = selectedId();
    if (!id)
        return;
    AppContext& c = context();
    // Read into a copy: the current test is not touched until the rows are gone.
    PersonalData person;
    if (!ShowIfFailed(ReadPersonOf(c, *id, person))
        && askYesNo(LoadString(kStrAskDelete, person.NAMN), MessageIcon::Stop, /*defaultYes*/ false)
        && !ShowIfFailed(DeleteStoredTest(c, *id))) {
        m_model->removeId(*id);
        // Nothing stays chosen, so a second press cannot take the neighbour by accident.
        m_list->clearSelection();
        c.archiveLastIndex = std::clamp(c.archiveLastIndex, 0, std::max(0, m_model->wholeCount() - 1));
        tell(LoadString(kStrDeleted, person.NAMN));
    }
    m_list->setFocus();
}

bool ArchiveScreen::command(int id)
{
    AppContext& c = context();
    switch (id) {
    case kButton1:
    case kAltT:
    case kEscape:
        main().hideButtons();
        main().showStartScreen();
        return true;
    case kButton2:
    case kAltV:
        showSelectedTest();
        return true;
    case kButton4:
    case kAltO:
    case kAltF:
    case kAltL:
        deleteSelectedTest();
        return true;
    case kButton3:
    case kAltE:
        if (const auto written = ExportDialog(c, &main()))
            tell(ExportWrittenText(written->path, written->tests)); // as the backup confirms its copy
        if (!c.startDirectory.isEmpty())
            QDir::setCurrent(c.startDirectory);
        m_list->setFocus();
        return true;
    case kButton5:
    case kAltS:
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
    const int searchX = w - 3 - kSearchWidth;
    m_search->setGeometry(searchX, kSearchTop, kSearchWidth, kSearchHeight);
    m_searchLabel->setGeometry(searchX - kSearchLabelWidth - 6, kSearchTop, kSearchLabelWidth, kSearchHeight);
    for (const ButtonPlace& b : kButtons) {
        if (QPushButton* button = main().button(b.id))
            button->setGeometry(b.x, h - 43, 110, 40);
    }
    // In the strip above the list, beside the search: the row of buttons below stands over
    // the banner, whose name the button would hide.
    if (m_compare)
        m_compare->setGeometry(m_searchLabel->x() - 8 - kCompareWidth, kSearchTop - 2, kCompareWidth, kSearchHeight + 4);
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

QRect ArchiveScreen::logoArea() const
{
    return BannerLogoRect().translated(0, height() - BannerPicture(false).height());
}

void ArchiveScreen::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setPen(Qt::black);
    // Positions are the tops of the texts.
    const auto text = [&p](int x, int y, const QString& s) { p.drawText(x, y + p.fontMetrics().ascent(), s); };
    p.setFont(WindowsFont(QStringLiteral("Arial"), 20, true));
    text(20, 20, LoadString(kStrEarlierTests));
    p.setFont(MainFont());
    text(20, 40, LoadString(kStrClickAPerson));
    text(20, 60, LoadString(kStrThenShowResult));
    // 533 in a 600-high window: the band ends at the bottom edge, behind the buttons. The
    // five buttons reach across the band's tiles, which would peek out between them.
    const QPixmap& banner = BannerPicture(/*tiles*/ false);
    p.drawPixmap(0, height() - banner.height(), banner);
}

} // namespace tavlo
