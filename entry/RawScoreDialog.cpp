#include "entry/RawScoreDialog.h"

#include "app/AppContext.h"
#include "app/Look.h"
#include "entry/CardGridDialog.h"
#include "entry/TypingGuard.h"
#include "model/MeasureAges.h"
#include "resources/StringTable.h"
#include "scoring/EntryRules.h"
#include "vandrel/MessageSink.h"

#include <QEvent>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>

namespace tavlo {

namespace {

constexpr int kRow = 25;        // one row, one scroll unit
constexpr int kScrollJump = 5;  // units per wheel notch and per focus near an edge

QFont headingFont()
{
    return WindowsFont(QStringLiteral("MS Sans Serif"), 16, true);
}

} // namespace

bool RawScoreDialog::FieldEnabled(int entryRow, int years)
{
    // A greyed field's stored value is still read, checked and stored.
    const MeasureInfo* m = measureAtEntryRow(entryRow);
    return m && AppliesAt(m->key, AgeUse::Entered, years);
}

RawScoreDialog::RawScoreDialog(AppContext& context, QWidget* parent)
    : QDialog(parent)
    , m_context(context)
{
    setWindowTitle(QStringLiteral("TAVLO-II"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    UseProgramLook(this);
    const int years = context.test.testAge().years;

    m_scroll = new QScrollArea(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_scroll);
    m_scroll->setFrameShape(QFrame::NoFrame);
    // The fields scroll the page as the focus moves; the area itself is no stop for Tab.
    m_scroll->setFocusPolicy(Qt::NoFocus);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setWidgetResizable(false);
    m_scroll->viewport()->installEventFilter(this);
    m_scroll->verticalScrollBar()->setSingleStep(kRow);
    auto* page = new QWidget;
    page->setPalette(palette());
    page->setAutoFillBackground(true);
    page->installEventFilter(this);
    page->setFocusPolicy(Qt::ClickFocus);

    auto* instruction = new QLabel(QStringLiteral("Fyll inn resultatet fra TAVLO-II-testingen nedenfor:"), page);
    instruction->setFont(headingFont());
    instruction->setGeometry(40, 23, 600, 22);

    int y = 48;
    const auto heading = [&](int textId) {
        auto* label = new QLabel(LoadString(textId), page);
        label->setFont(headingFont());
        label->setGeometry(40, y, 500, 22);
        y += kRow;
    };
    const auto labelRow = [&](const QString& text, int height) {
        auto* label = new QLabel(text, page);
        label->setGeometry(73, y, 500, height);
        return label;
    };
    const auto* previous = static_cast<const MeasureInfo*>(nullptr);
    for (int row = 1; row <= 60; ++row) {
        const MeasureInfo* m = measureAtEntryRow(row);
        if (row == 25) {
            // Memory for designs has no totals of its own: its heading carries the card grid.
            heading(subtestInfo(Subtest::HF).textId);
            m_cardGrid = new QPushButton(QStringLiteral("&Hukommelse for figurer"), page);
            m_cardGrid->setGeometry(40, y, 200, 22);
            y += kRow;
        }
        if (row == 27) {
            labelRow(LoadString(kStrSortingMaxima), 22);
            y += kRow;
        }
        if (!previous || previous->subtest != m->subtest)
            heading(subtestInfo(m->subtest).textId);
        auto* edit = new QLineEdit(page);
        edit->setMaxLength(3);
        edit->setValidator(new QIntValidator(0, 999, edit));
        edit->setGeometry(40, y, 28, 23);
        edit->setEnabled(FieldEnabled(row, years));
        edit->installEventFilter(this);
        m_fields[size_t(row - 1)] = edit;
        QLabel* label = labelRow(LoadString(m->labelId), 24);
        label->setBuddy(edit);
        edit->setAccessibleName(label->text());
        edit->setAccessibleDescription(edit->isEnabled()
                                           ? QStringLiteral("Råskår fra 0 til %1.").arg(RawScoreLimit(m->key, years))
                                           : QStringLiteral("Brukes ikke ved barnets alder."));
        y += kRow;
        previous = m;
    }
    m_continue = new QPushButton(LoadString(kStrContinueButton), page);
    // R rows laid out from y 48: the buttons stand at R x 25 + 70.
    m_continue->setGeometry(40, (y - 48) + 70, 100, 40);
    m_cancel = new QPushButton(LoadString(kStrCancelButton), page);
    m_cancel->setGeometry(160, m_continue->y(), 100, 40);
    m_continue->setDefault(true);
    page->resize(620, m_continue->y() + 40 + 30);
    m_scroll->setWidget(page);
    // Enter anywhere means "&Fortsett". The buttons were made before the page joined the
    // dialog, so the dialog learns its default only now; and no other button may take Enter
    // over by being the first one it finds.
    for (QPushButton* b : {m_cardGrid, m_cancel, m_continue})
        b->setAutoDefault(false);
    m_continue->setDefault(true);

    connect(m_continue, &QPushButton::clicked, this, &RawScoreDialog::acceptScores);
    connect(m_cancel, &QPushButton::clicked, this, &RawScoreDialog::reject);
    connect(m_cardGrid, &QPushButton::clicked, this, [this] {
        CardGridDialog grid(m_context.test, this);
        grid.exec();
    });

    // Centred across, full height less room for the task bar.
    PlaceOnScreen(this, QSize(600, AvailableArea(this).height() - 40), Spot::Top);
    fillFromRecord();
    m_typing = new TypingGuard(this);
    // Cards the card grid copied into the record are typed work of this dialog too.
    m_typing->alsoWatch([this, grid = m_context.test.grid] { return m_context.test.grid != grid; });
    m_fields[0]->setFocus();
}

void RawScoreDialog::reject()
{
    if (m_typing->mayDiscard())
        QDialog::reject();
}

QLineEdit* RawScoreDialog::field(int entryRow) const
{
    return entryRow >= 1 && entryRow <= 60 ? m_fields[size_t(entryRow - 1)] : nullptr;
}

void RawScoreDialog::fillFromRecord()
{
    for (int row = 1; row <= 60; ++row) {
        const int value = m_context.test.scores[measureAtEntryRow(row)->key];
        m_fields[size_t(row - 1)]->setText(value == NOT_ENTERED ? QString() : QString::number(value));
    }
}

int RawScoreDialog::CheckRawScores()
{
    const int years = m_context.test.testAge().years;
    int refused = 0;
    for (int row = 1; row <= 60; ++row) {
        const MeasureInfo* m = measureAtEntryRow(row);
        const QString text = m_fields[size_t(row - 1)]->text().trimmed();
        bool number = true;
        const int value = text.isEmpty() ? NOT_ENTERED : text.toInt(&number);
        if (!number || !RawScoreAllowed(m->key, value, years)) {
            refused = row;
            break;
        }
        m_context.test.scores[m->key] = value;
    }
    if (SortingSumTooHigh(m_context.test.scores, years)) {
        tell(SortingSumText(), MessageIcon::Exclamation);
        focusRefused(field(measureInfo(Key::DS_N).entryRow));
        return 0;
    }
    if (refused) {
        tell(LoadString(kStrInvalidValue, LoadString(kStrMeasureNames + refused)), MessageIcon::Exclamation);
        focusRefused(field(refused));
        return 0;
    }
    return 1;
}

void RawScoreDialog::focusRefused(QLineEdit* edit)
{
    edit->setFocus();
    edit->selectAll();
    // The page may stand scrolled far from the field, or the field have the focus already:
    // the jump on getting the focus does not bring it into sight then.
    m_scroll->ensureWidgetVisible(edit);
}

void RawScoreDialog::acceptScores()
{
    if (CheckRawScores() != 1)
        return;
    // A save that fails has said why; the dialog stays, with everything typed still in it.
    if (ShowIfFailed(SaveCurrentTest(m_context)))
        return;
    done(1);
}

bool RawScoreDialog::eventFilter(QObject* watched, QEvent* event)
{
    QScrollBar* bar = m_scroll ? m_scroll->verticalScrollBar() : nullptr;
    if (!bar)
        return QDialog::eventFilter(watched, event);
    if (event->type() == QEvent::Wheel && watched == m_scroll->viewport()) {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        const int notches = wheel->angleDelta().y() / 120;
        bar->setValue(bar->value() - notches * kScrollJump * kRow);
        return true;
    }
    if (event->type() == QEvent::FocusIn && std::find(m_fields.begin(), m_fields.end(), watched) != m_fields.end()) {
        // Tabbing through the fields keeps the one with the focus in sight. The page itself
        // takes the focus from a click on it and must not move for that.
        auto* w = static_cast<QWidget*>(watched);
        const int top = w->mapTo(m_scroll->viewport(), QPoint(0, 0)).y();
        const int height = m_scroll->viewport()->height();
        if (top + w->height() > height - 80)
            bar->setValue(bar->value() + kScrollJump * kRow);
        else if (top < 80)
            bar->setValue(bar->value() - kScrollJump * kRow);
        // A field further off than the jump reaches.
        m_scroll->ensureWidgetVisible(w);
    }
    if (event->type() == QEvent::MouseButtonPress && watched == m_scroll->widget()) {
        // A click on the page takes the focus away from the fields.
        m_scroll->widget()->setFocus();
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace tavlo
