#include "entry/CardGridDialog.h"

#include "app/Look.h"
#include "entry/TypingGuard.h"
#include "model/TestRecord.h"
#include "scoring/EntryRules.h"
#include "vandrel/MessageSink.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>

#include <climits>

namespace tavlo {

namespace {

constexpr int kWidth = 345;

// The trial shown beside the child's four may hold a stored test's cards: shown, not typed in.
bool blockEnabled(int block, int years)
{
    if (block == 2)
        return years < 7;
    if (block == 6)
        return years != 5 && years != 6;
    return true;
}

} // namespace

CardGridDialog::CardGridDialog(TestRecord& test, QWidget* parent)
    : QDialog(parent)
    , m_test(test)
    , m_years(test.testAge().years)
{
    setWindowTitle(QStringLiteral("TAVLO-II  Hukommelse for figurer (HF)"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    UseProgramLook(this);

    const bool young = m_years <= 4;
    const int height = young ? 395 : 510;
    setFixedSize(kWidth, height);
    CentreOnScreen(this);

    auto* instruction =
        new QLabel(QStringLiteral("Fyll inn tallet på kortet i tilsvarende rute som barnet plasserte kortet i."), this);
    instruction->setWordWrap(true);
    instruction->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    instruction->setGeometry(20, 10, 300, 40);

    // Label positions of the blocks shown, in block order: two columns, top to bottom.
    static constexpr QPoint kYoungBlocks[] = {{20, 50}, {200, 50}, {20, 170}, {200, 170}};
    static constexpr QPoint kOlderBlocks[] = {{20, 50}, {200, 50}, {20, 170}, {200, 170}, {20, 290}, {200, 290}};
    const QPoint* next = young ? kYoungBlocks : kOlderBlocks;

    auto* digits = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,2}")), this);
    for (int block = 1; block <= kBlockCount; ++block) {
        const bool shown = CardBlockShown(block, m_years);
        const bool enabled = blockEnabled(block, m_years);
        const QPoint at = shown ? *next++ : QPoint();
        auto* label = new QLabel(CardBlockName(block), this);
        label->setGeometry(at.x(), at.y(), 150, 20);
        label->setHidden(!shown);
        label->setEnabled(enabled);
        m_labels[size_t(block - 1)] = label;
        for (int k = 1; k <= kCellsPerBlock; ++k) {
            const int n = kCellsPerBlock * (block - 1) + k;
            auto* edit = new QLineEdit(this);
            edit->setMaxLength(2);
            edit->setValidator(digits);
            edit->setAlignment(Qt::AlignCenter);
            edit->setGeometry(at.x() + 30 * ((k - 1) % 4), at.y() + 20 + 25 * ((k - 1) / 4), 28, 23);
            edit->setHidden(!shown);
            edit->setEnabled(enabled);
            // The grid is seen, not read: each cell says where it stands.
            edit->setAccessibleName(QStringLiteral("%1, rad %2, kolonne %3")
                                        .arg(CardBlockName(block))
                                        .arg((k - 1) / 4 + 1)
                                        .arg((k - 1) % 4 + 1));
            if (enabled)
                edit->setAccessibleDescription(
                    QStringLiteral("Kortets nummer, 1 til %1.").arg(CardRuleOf(block, m_years).highestCard));
            const int value = m_test.grid.cell(n);
            const QString text = value == NOT_ENTERED ? QString() : QString::number(value);
            // A stored value too long to type is shown whole, so that OK refuses it rather
            // than reading a cut-off number.
            if (text.size() > 2)
                edit->setMaxLength(int(text.size()));
            edit->setText(text);
            m_cells[size_t(n - 1)] = edit;
        }
    }

    m_ok = new QPushButton(QStringLiteral("&OK"), this);
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("&Avbryt"), this);
    const int buttonY = young ? 320 : 435;
    m_ok->setGeometry(20, buttonY, 100, 40);
    m_cancel->setGeometry(140, buttonY, 100, 40);
    connect(m_ok, &QPushButton::clicked, this, &CardGridDialog::checkCardGrid);
    connect(m_cancel, &QPushButton::clicked, this, &CardGridDialog::reject);

    // From 7 years the first trial shown is read-only: begin in the first that can be typed.
    for (int block = 1; block <= kBlockCount; ++block) {
        if (CardBlockShown(block, m_years) && blockEnabled(block, m_years)) {
            cell(kCellsPerBlock * (block - 1) + 1)->setFocus();
            break;
        }
    }
    m_typing = new TypingGuard(this);
}

void CardGridDialog::reject()
{
    // What an earlier refused "&OK" copied stays in the record either way.
    if (m_typing->mayDiscard())
        QDialog::reject();
}

QLineEdit* CardGridDialog::cell(int n) const
{
    return n >= 1 && n <= int(m_cells.size()) ? m_cells[size_t(n - 1)] : nullptr;
}

QLabel* CardGridDialog::blockLabel(int block) const
{
    return block >= 1 && block <= kBlockCount ? m_labels[size_t(block - 1)] : nullptr;
}

bool CardGridDialog::checkCardGrid()
{
    for (int block = 1; block <= kBlockCount; ++block) {
        if (CardBlockShown(block, m_years) && !checkBlock(block))
            return false;
    }
    done(1);
    return true;
}

bool CardGridDialog::checkBlock(int block)
{
    CardBlock values;
    for (int k = 1; k <= kCellsPerBlock; ++k) {
        const QString text = cell(kCellsPerBlock * (block - 1) + k)->text();
        bool number = true;
        const int value = text.isEmpty() ? NOT_ENTERED : text.toInt(&number);
        values[size_t(k - 1)] = number ? value : INT_MIN; // no card has that number
    }
    const CardRule rule = CardRuleOf(block, m_years);
    const CardCheck check = CheckCardBlock(values, rule);
    // Copied as they pass: a wrong card keeps the cells before it; counted and duplicate
    // cards are all copied.
    const int passed = check.fault == CardFault::InvalidCard ? check.cell - 1 : kCellsPerBlock;
    for (int k = 1; k <= passed; ++k)
        m_test.grid.cell(kCellsPerBlock * (block - 1) + k) = values[size_t(k - 1)];
    switch (check.fault) {
    case CardFault::None:
        return true;
    case CardFault::InvalidCard: {
        QLineEdit* edit = cell(kCellsPerBlock * (block - 1) + check.cell);
        tell(InvalidCardText(block, check.cell), MessageIcon::Exclamation);
        edit->setFocus();
        edit->selectAll();
        return false;
    }
    case CardFault::TooManyCards:
        tell(TooManyCardsText(block, check.count, rule.mostCards), MessageIcon::Exclamation);
        return false;
    case CardFault::CardTwice:
        tell(CardTwiceText(block), MessageIcon::Exclamation);
        return false;
    }
    return false;
}

} // namespace tavlo
