#include "app/MainWindow.h"

#include "app/Commands.h"
#include "app/GuiSink.h"
#include "app/Look.h"
#include "app/Screen.h"
#include "app/StartScreen.h"
#include "archive/ArchiveScreen.h"
#include "entry/PersonForm.h"
#include "entry/RawScoreDialog.h"
#include "entry/TypingGuard.h"
#include "results/Printing.h"
#include "results/ResultsWindow.h"

#include <QCloseEvent>
#include <QDialog>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>

namespace tavlo {

MainWindow::MainWindow(AppContext& context, QWidget* parent)
    : QWidget(parent)
    , m_context(context)
    , m_pageArea(new QScrollArea(this))
    , m_page(new QWidget)
{
    setWindowTitle(QStringLiteral("TAVLO-II"));
    setObjectName(QStringLiteral("APPLIKATION"));
    UseProgramLook(this);
    // Takes the keys when no control has the focus, but is no stop of its own for Tab.
    setFocusPolicy(Qt::ClickFocus);
    m_pageArea->setFrameShape(QFrame::NoFrame);
    m_pageArea->setWidgetResizable(true);
    m_pageArea->setFocusPolicy(Qt::NoFocus);
    // The window's lilac shows through.
    m_pageArea->viewport()->setAutoFillBackground(false);
    m_page->setAutoFillBackground(false);
    m_pageArea->setWidget(m_page);
    m_page->installEventFilter(this);
    placeCentred();

    for (int i = 0; i < 5; ++i) {
        auto* b = new QPushButton(m_page);
        b->setFont(MainFont());
        b->hide();
        const int id = kButton1 + i;
        connect(b, &QPushButton::clicked, this, [this, id] { sendCommand(id); });
        m_buttons[size_t(i)] = b;
    }
    createShortcuts();
}

MainWindow::~MainWindow()
{
    // The screen goes first, while the window it calls into still stands.
    delete m_screen;
    m_context.db.DbDisconnect();
}

void MainWindow::placeCentred()
{
    PlaceOnScreen(this, QSize(800, 600));
}

void MainWindow::createShortcuts()
{
    // The accelerator table: Alt+key sends its command id to the screen in front.
    const std::pair<int, CommandId> table[] = {
        {Qt::Key_1, kAlt1}, {Qt::Key_2, kAlt2}, {Qt::Key_3, kAlt3}, {Qt::Key_4, kAlt4}, {Qt::Key_5, kAlt5},
        {Qt::Key_A, kAltA}, {Qt::Key_B, kAltB}, {Qt::Key_D, kAltD}, {Qt::Key_E, kAltE}, {Qt::Key_F, kAltF}, {Qt::Key_I, kAltI},
        {Qt::Key_K, kAltK}, {Qt::Key_L, kAltL}, {Qt::Key_N, kAltN}, {Qt::Key_O, kAltO}, {Qt::Key_R, kAltR},
        {Qt::Key_S, kAltS}, {Qt::Key_T, kAltT}, {Qt::Key_U, kAltU}, {Qt::Key_V, kAltV}, {Qt::Key_Tab, kAltTab},
    };
    for (const auto& [key, id] : table) {
        auto* shortcut = new QShortcut(QKeySequence(int(Qt::AltModifier) | key), this);
        connect(shortcut, &QShortcut::activated, this, [this, id = id] { sendCommand(id); });
    }
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, [this] { sendCommand(kEscape); });
}

QPushButton* MainWindow::button(int id) const
{
    return id >= kButton1 && id <= kButton5 ? m_buttons[size_t(id - kButton1)] : nullptr;
}

void MainWindow::placeButton(int id, const QString& text, const QRect& geometry)
{
    if (QPushButton* b = button(id)) {
        b->setText(text);
        // The accelerator table owns Alt+letter; a mnemonic of its own would make it ambiguous.
        b->setShortcut(QKeySequence());
        b->setGeometry(geometry);
        // A label wider than its button gets a smaller font rather than cut letters.
        QFont font = MainFont();
        const QString shown = QString(text).remove(u'&');
        while (font.pixelSize() > 8 && QFontMetrics(font).horizontalAdvance(shown) > geometry.width() - 10)
            font.setPixelSize(font.pixelSize() - 1);
        b->setFont(font);
        b->show();
        b->raise();
    }
}

void MainWindow::hideButtons()
{
    for (QPushButton* b : m_buttons)
        b->hide();
}

void MainWindow::sendCommand(int id)
{
    if (m_screen)
        m_screen->command(id);
}

int MainWindow::screenState() const
{
    return m_screen ? m_screen->state() : 0;
}

void MainWindow::setScreen(Screen* screen)
{
    // A screen may ask for the next one from inside its own command handler.
    if (m_screen) {
        m_screen->hide();
        m_screen->deleteLater();
    }
    m_screen = screen;
    if (screen) {
        // Smaller than the screen's layout needs, the window scrolls rather than cut it.
        m_page->setMinimumSize(screen->minimumSize());
        m_page->resize(m_pageArea->viewport()->size().expandedTo(screen->minimumSize()));
        screen->setGeometry(m_page->rect());
        screen->show();
        screen->lower();
    }
    update();
}

void MainWindow::showStartScreen()
{
    // The archive's place is kept for the way back from a test shown from it, not beyond.
    m_context.archivePlace.reset();
    placeCentred();
    setScreen(new StartScreen(*this));
}

void MainWindow::showPersonForm()
{
    placeCentred();
    setScreen(new PersonForm(*this));
}

void MainWindow::showResults()
{
    // The scoring's note on a child younger or older than the norm groups waits until the
    // results stand in front, laid out and drawn.
    HeldMessages notes;
    ScoreCurrentTest(m_context);
    setScreen(new ResultsWindow(*this));
    raise();
    repaint();
    notes.release();
}

void MainWindow::showArchive()
{
    placeCentred();
    setScreen(new ArchiveScreen(*this));
}

void MainWindow::runReportSelection()
{
    if (m_reportSelection)
        m_reportSelection();
    else
        ReportSelectionDialog(m_context, this);
}

int MainWindow::runRawScoreEntry()
{
    if (m_rawScoreEntry)
        return m_rawScoreEntry();
    RawScoreDialog dialog(m_context, this);
    return dialog.exec();
}

void MainWindow::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier) {
        sendCommand(kButton2);
        return;
    }
    QWidget::keyPressEvent(event);
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_pageArea->setGeometry(rect());
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_page && event->type() == QEvent::Resize && m_screen)
        m_screen->setGeometry(m_page->rect());
    return QWidget::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // Typing in the form in front, or in a dialog still open above it, is not stored yet.
    if (!TypingGuard::mayDiscardAll(this)) {
        event->ignore();
        return;
    }
    // A dialog left open would outlive the window: it closes as cancelled, innermost first.
    const QList<QDialog*> dialogs = findChildren<QDialog*>();
    for (auto it = dialogs.rbegin(); it != dialogs.rend(); ++it) {
        if ((*it)->isVisible())
            (*it)->done(QDialog::Rejected);
    }
    m_context.db.DbDisconnect();
    event->accept();
}

} // namespace tavlo
