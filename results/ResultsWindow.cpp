#include "results/ResultsWindow.h"

#include "app/AppContext.h"
#include "app/Commands.h"
#include "app/Look.h"
#include "paint/DrawProfile.h"
#include "paint/DocumentFile.h"
#include "paint/DrawReport.h"
#include "report/Report.h"
#include "report/ReportDocument.h"
#include "results/SaveDocument.h"
#include "resources/StringTable.h"
#include "vandrel/TextOut.h"
#include "vandrel/MessageSink.h"

#include <QClipboard>
#include <QComboBox>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QWheelEvent>

#include <cmath>

namespace tavlo {

namespace {

constexpr int kLineStep = 10;

// The banner's top 33 rows show at the foot of the window, the rest below it.
int bannerTop(int height)
{
    return height - 33;
}

// The domains the view shows at an item of the domain list (0: all).
std::array<bool, kDomainCount> shownDomains(int item)
{
    std::array<bool, kDomainCount> chosen{};
    for (int d = 1; d <= kDomainCount; ++d)
        chosen[size_t(d - 1)] = item == 0 || item == d;
    return chosen;
}

} // namespace

ReportView::ReportView(AppContext& context, QWidget* parent)
    : QWidget(parent)
    , m_context(context)
    , m_bar(new QScrollBar(Qt::Vertical, this))
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_bar->setRange(0, 0);
    connect(m_bar, &QScrollBar::actionTriggered, this, [this](int action) {
        switch (action) {
        case QAbstractSlider::SliderSingleStepAdd:
            return scroll(Request::LineDown);
        case QAbstractSlider::SliderSingleStepSub:
            return scroll(Request::LineUp);
        case QAbstractSlider::SliderPageStepAdd:
            return scroll(Request::PageDown);
        case QAbstractSlider::SliderPageStepSub:
            return scroll(Request::PageUp);
        case QAbstractSlider::SliderToMinimum:
            return scroll(Request::Top);
        case QAbstractSlider::SliderToMaximum:
            return scroll(Request::Bottom);
        case QAbstractSlider::SliderMove:
            return scroll(Request::Thumb, m_bar->sliderPosition());
        default:
            return;
        }
    });
}

QRect ReportView::drawingArea() const
{
    return QRect(0, 0, width() - m_bar->sizeHint().width(), height());
}

int ReportView::page() const
{
    return height() / kLineStep;
}

void ReportView::setDomain(int domain)
{
    m_domain = domain;
    m_pos = 0;
    m_bar->setValue(0);
    update();
}

void ReportView::scroll(Request request, int thumb)
{
    const int page = this->page();
    const int total = m_total;
    const int pos = m_pos;
    int d = 0;
    switch (request) {
    case Request::LineUp:
        d = -1;
        break;
    case Request::LineDown:
        d = 1;
        break;
    case Request::PageUp:
        d = -page;
        break;
    case Request::PageDown:
        d = page;
        break;
    case Request::Top:
        d = -pos;
        break;
    case Request::Bottom:
        d = total - pos;
        break;
    case Request::WheelUp:
        d = -5;
        break;
    case Request::WheelDown:
        d = 5;
        break;
    case Request::Thumb:
        d = thumb - pos;
        break;
    }
    // Keep the position between 0 and total - page; at an end, a step that way does nothing.
    if (total - page - pos < page && d == page)
        d = total - page - pos;
    if (pos < page && d == -page)
        d = -pos;
    if (pos == 0 && d == -1)
        d = 0;
    if (total - pos < page - 1 && d == 1)
        d = 0;
    if (total == pos + d)
        d = total - page - pos;
    if (page + d + pos > total)
        d = total - page - pos;
    if (pos + d < 0)
        d = -pos;
    if (d == 0)
        return;
    m_pos = pos + d;
    m_bar->setValue(m_pos);
    update();
}

void ReportView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.setClipRect(drawingArea());
    p.setPen(Qt::black);
    const int top = -(m_pos * kLineStep);
    int bottom = top;
    const Report report = BuildReport(m_context.test, m_context.norms.AgeGroupDescription);
    if (m_domain == kProfileItem) {
        // As tall as the view: the 30 units the line count adds come off the chart, so a
        // chart that fits does not scroll.
        const QRect view = drawingArea();
        const QRectF area(10, top + 10, view.width() - 20, view.height() - 40);
        bottom = int(std::ceil(DrawProfile(&p, report, area, false)));
    } else {
        bottom = DrawReport(&p, report, top, 50, 600, false, shownDomains(m_domain));
    }
    const int lines = (bottom - top + 30) / kLineStep;
    if (lines != m_total) {
        m_total = lines;
        m_bar->setRange(0, std::max(0, lines - 1));
        m_bar->setPageStep(page());
        m_bar->setValue(0);
        m_pos = 0;
        update();
    }
}

void ReportView::resizeEvent(QResizeEvent*)
{
    const int barWidth = m_bar->sizeHint().width();
    m_bar->setGeometry(width() - barWidth, 0, barWidth, height());
    m_bar->setPageStep(page());
}

void ReportView::wheelEvent(QWheelEvent* event)
{
    const int delta = event->angleDelta().y();
    if (delta > 0)
        scroll(Request::WheelUp);
    else if (delta < 0)
        scroll(Request::WheelDown);
    event->accept();
}

void ReportView::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_PageUp:
        return scroll(Request::PageUp);
    case Qt::Key_PageDown:
        return scroll(Request::PageDown);
    case Qt::Key_End:
        return scroll(Request::Bottom);
    case Qt::Key_Home:
        return scroll(Request::Top);
    case Qt::Key_Up:
        return scroll(Request::LineUp);
    case Qt::Key_Down:
        return scroll(Request::LineDown);
    case Qt::Key_Tab:
        emit tabPressed(false);
        return;
    case Qt::Key_Backtab:
        emit tabPressed(true);
        return;
    default:
        // Enter goes on to the results window, Escape to the main window.
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Escape)
            event->ignore();
        return;
    }
}

void ReportView::mousePressEvent(QMouseEvent*)
{
    setFocus();
}

ResultsWindow::ResultsWindow(MainWindow& main)
    : Screen(main)
{
    AppContext& c = host().context();
    QWidget* window = this->window();
    setMinimumSize(800, 480);
    // 800 wide, as tall as the screen allows, at the top.
    PlaceOnScreen(window, QSize(800, std::max(480, AvailableArea(window).height() - 40)), Spot::Top);
    setGeometry(parentWidget()->rect());

    m_view = new ReportView(c, this);
    m_view->setGeometry(20, 140, 770, 390);
    m_ageGroups = new QComboBox(this);
    m_ageGroups->setGeometry(20, 105, 130, 24);
    m_domains = new QComboBox(this);
    m_domains->setGeometry(170, 105, 330, 24);
    for (QWidget* w : {static_cast<QWidget*>(m_view), static_cast<QWidget*>(m_ageGroups), static_cast<QWidget*>(m_domains)})
        w->setFont(MainFont());

    host().hideButtons();
    host().placeButton(kButton1, LoadString(kStrCancelButton), QRect(20, 520, 110, 40));
    host().placeButton(kButton2, LoadString(kStrChangeButton), QRect(140, 520, 110, 40));
    host().placeButton(kButton3, LoadString(kStrPrintButton), QRect(250, 520, 110, 40));
    // Right of the three the window always had, in the row's free half.
    host().placeButton(kButton4, QStringLiteral("&Kopier"), QRect(380, 520, 110, 40));
    host().placeButton(kButton5, QStringLiteral("Lagre som &dokument…"), QRect(500, 520, 180, 40));
    auto* copy = new QShortcut(QKeySequence::Copy, this);
    connect(copy, &QShortcut::activated, this, &ResultsWindow::copyShown);

    m_ageGroups->addItems(ListAgeGroups(c.db, c.norms));

    for (int id = kStrDomainNames; id <= kStrDomainNames + 6; ++id)
        m_domains->addItem(LoadString(id));
    m_domains->addItem(QStringLiteral("Profil"));
    m_domains->setCurrentIndex(0);
    connect(m_domains, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_view->setDomain(index);
        describeView();
    });
    // Labels over the lists, which a screen reader reads with them.
    for (const auto& [list, text] : {std::pair(m_ageGroups, LoadString(kStrNormGroup)), std::pair(m_domains, QStringLiteral("Domener"))}) {
        auto* label = new QLabel(text, this);
        label->setFont(MainFont());
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->move(list->x(), 88);
        label->adjustSize();
        label->setBuddy(list);
        list->setAccessibleName(text);
    }
    describeView();

    // The closed list shows the description of the group the child is compared with.
    m_ageGroups->setCurrentIndex(std::max(0, m_ageGroups->findText(c.norms.CurrentAgeGroup)));
    m_ageGroups->addItem(c.norms.AgeGroupDescription);
    m_ageGroups->setCurrentIndex(m_ageGroups->count() - 1);
    m_ageGroups->setEnabled(false);
    for (QComboBox* list : {m_ageGroups, m_domains})
        ShowWholeTexts(list);
    m_ageGroups->setAccessibleDescription(c.norms.AgeGroupDescription);

    // Tab walks view → age groups → domains → view (the age group list is disabled, so the
    // domains come next).
    connect(m_view, &ReportView::tabPressed, this, [this](bool backwards) {
        (backwards ? static_cast<QWidget*>(m_domains) : m_ageGroups->isEnabled() ? m_ageGroups : m_domains)->setFocus();
    });
    m_domains->installEventFilter(this);
    orderTabs({m_view, m_ageGroups, m_domains});
    m_view->setFocus();
    resizeEvent(nullptr);
}

ResultsWindow::~ResultsWindow() = default;

bool ResultsWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_domains && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            m_view->setFocus();
            return true;
        }
    }
    return Screen::eventFilter(watched, event);
}

void ResultsWindow::keyPressEvent(QKeyEvent* event)
{
    // Neither the view nor the lists do anything with Enter; passed on to the main window it
    // would open "E&ndre" and lead into changing the test.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        return;
    Screen::keyPressEvent(event);
}

void ResultsWindow::close()
{
    host().hideButtons();
}

bool ResultsWindow::command(int id)
{
    AppContext& c = host().context();
    switch (id) {
    case kButton1:
    case kAltA:
    case kEscape:
        close();
        host().showArchive();
        return true;
    case kButton2:
    case kAltN:
        // Changed from here on: the entry rewrites the stored rows.
        c.testIsNew = false;
        close();
        host().showPersonForm();
        return true;
    case kButton3:
    case kAltS:
    case kAltU:
        host().runReportSelection();
        return true;
    case kButton4:
    case kAltK:
        copyShown();
        return true;
    case kButton5:
    case kAltD:
        SaveReportDocument(c, this);
        return true;
    default:
        return false;
    }
}

void ResultsWindow::copyShown()
{
    const AppContext& c = host().context();
    const Report report = BuildReport(c.test, c.norms.AgeGroupDescription);
    if (m_view->domain() == kProfileItem) {
        QGuiApplication::clipboard()->setImage(ProfileImage(report));
        return;
    }
    CopyTables(ReportTables(report, ReportChoice(shownDomains(m_view->domain())), ReportPerson::Strip));
}

void ResultsWindow::describeView()
{
    // The report is drawn, so a screen reader gets the shown domains' tables as text; for the
    // profile, which is a picture, the numbers it is drawn from.
    const AppContext& c = host().context();
    const Report report = BuildReport(c.test, c.norms.AgeGroupDescription);
    QStringList person;
    const auto say = [&person](const LabelledValue& item) {
        if (!item.value.isEmpty())
            person << item.label + QStringLiteral(": ") + item.value;
    };
    say(report.strip.name);
    for (const LabelledValue& item : report.strip.particulars)
        say(item);
    say(report.strip.other);
    const int item = m_view->domain() == kProfileItem ? 0 : m_view->domain();
    QStringList lines = TabSeparatedLines(ReportTables(report, ReportChoice(shownDomains(item)), ReportPerson::Strip));
    for (QString& line : lines)
        line.replace(u'\t', QStringLiteral(", "));
    m_view->setAccessibleName(QStringLiteral("Resultatrapport, %1").arg(m_domains->currentText()));
    lines.prepend(person.join(QStringLiteral(", ")));
    m_view->setAccessibleDescription(lines.join(u'\n'));
}

void ResultsWindow::resizeEvent(QResizeEvent* event)
{
    if (event)
        Screen::resizeEvent(event);
    const int w = width(), h = height();
    m_view->setGeometry(20, 140, w - 25, h - 200);
    for (int i = 0; i < 3; ++i) {
        if (QPushButton* b = host().button(90 + i))
            b->setGeometry(20 + 120 * i, h - 43, 110, 40);
    }
    if (QPushButton* b = host().button(kButton4))
        b->setGeometry(380, h - 43, 110, 40);
    if (QPushButton* b = host().button(kButton5))
        b->setGeometry(500, h - 43, 180, 40);
    update();
}

QRect ResultsWindow::logoArea() const
{
    return BannerLogoRect().translated(0, bannerTop(height()));
}

void ResultsWindow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setPen(Qt::black);
    const PersonStrip person = BuildReport(host().context().test, host().context().norms.AgeGroupDescription).strip;
    const QFont label = WindowsFont(QStringLiteral("Arial"), 15);
    const QFont value = WindowsFont(QStringLiteral("Arial"), 15, true);
    const int h = QFontMetrics(label).height();
    // A value 5 units after its label; the next label 20 units after the value.
    const auto strip = [&](int y, const std::vector<LabelledValue>& items) {
        int x = 20;
        for (const auto& [name, text] : items) {
            p.setFont(label);
            const QString caption = name + u':';
            p.drawText(x, y + QFontMetrics(label).ascent(), caption);
            x += QFontMetrics(label).horizontalAdvance(caption) + 5;
            p.setFont(value);
            p.drawText(x, y + QFontMetrics(value).ascent(), text);
            x += QFontMetrics(value).horizontalAdvance(text) + 20;
        }
    };
    strip(24, {person.name});
    strip(h + 27, person.particulars);
    strip(2 * h + 30, {person.other});
    p.drawPixmap(0, bannerTop(height()), BannerPicture());
    // The closed age group list is too narrow for its description, and the description says
    // whether the norms may be used clinically: it stands in full beside the lists as well.
    p.setFont(WindowsFont(QStringLiteral("Arial"), 13));
    DrawWrappedText(&p, 100, host().context().norms.AgeGroupDescription, 515, width() - 20, true, 0);
}

} // namespace tavlo
