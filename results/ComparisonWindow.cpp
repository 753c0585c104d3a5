#include "results/ComparisonWindow.h"

#include "app/Look.h"
#include "paint/ComparisonPages.h"
#include "paint/DocumentFile.h"
#include "paint/DrawProfile.h"
#include "report/ComparisonDocument.h"
#include "results/Printing.h"
#include "results/SaveDocument.h"
#include "session/Session.h"
#include "store/files/OutputFile.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tavlo {

namespace {

// The two-test profile, painted as large as the window gives it.
class ComparedProfileView : public QWidget {
public:
    explicit ComparedProfileView(const Comparison& comparison)
        : m_comparison(comparison)
    {
        setAccessibleName(QStringLiteral("Profil"));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        DrawComparedProfile(&p, m_comparison, QRectF(rect()).adjusted(10, 0, -10, -10), false);
    }

private:
    const Comparison& m_comparison;
};

} // namespace

ComparisonWindow::ComparisonWindow(Session& session, Comparison comparison, QWidget* owner)
    : QDialog(owner)
    , m_session(session)
    , m_comparison(std::move(comparison))
    , m_domains(new QComboBox(this))
    , m_pages(new QStackedWidget(this))
    , m_table(new QTableWidget(this))
    , m_note(new QLabel(this))
    , m_print(new QPushButton(QStringLiteral("&Skriv ut"), this))
    , m_copy(new QPushButton(QStringLiteral("&Kopier"), this))
    , m_document(new QPushButton(QStringLiteral("Lagre som &dokument…"), this))
{
    setWindowTitle(QStringLiteral("%1  Sammenligning").arg(kProgramCaption));
    UseProgramLook(this);
    setAttribute(Qt::WA_DeleteOnClose);

    auto* title = new QLabel(ComparisonTitle(m_comparison), this);
    title->setFont(WindowsFont(QStringLiteral("Arial"), 20, true));
    QStringList lines{QStringLiteral("Født %1").arg(FormatDate(m_comparison.born))};
    for (const auto& [which, test] : {std::pair(QStringLiteral("Før"), &m_comparison.earlier),
                                      std::pair(QStringLiteral("Etter"), &m_comparison.later)}) {
        QString line = ComparedTestLine(which, *test);
        if (!test->ageGroupDescription.isEmpty())
            line += QStringLiteral(" (%1)").arg(test->ageGroupDescription);
        lines << line;
    }
    auto* tests = new QLabel(lines.join(u'\n'), this);
    tests->setWordWrap(true);

    for (const ComparisonSection& section : m_comparison.sections)
        m_domains->addItem(section.title);
    m_domains->addItem(QStringLiteral("Profil"));
    m_domains->setAccessibleName(QStringLiteral("Domene"));
    ShowWholeTexts(m_domains);

    m_table->setColumnCount(5);
    m_table->setHorizontalHeaderLabels({QStringLiteral("Deltest"), QStringLiteral("Før (%1)").arg(FormatDate(m_comparison.earlier.testDate)),
                                        QStringLiteral("Etter (%1)").arg(FormatDate(m_comparison.later.testDate)),
                                        QStringLiteral("Endring"), QString()});
    m_table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int c = 1; c < 5; ++c)
        m_table->horizontalHeader()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setAccessibleName(QStringLiteral("Sammenligning"));
    // The arrows move through the rows; Tab leaves the table instead of trapping the focus.
    m_table->setTabKeyNavigation(false);
    m_note->setWordWrap(true);
    auto* tablePage = new QWidget(this);
    auto* tableLayout = new QVBoxLayout(tablePage);
    tableLayout->setContentsMargins(0, 0, 0, 0);
    tableLayout->addWidget(m_table);
    tableLayout->addWidget(m_note);
    m_pages->addWidget(tablePage);
    m_pages->addWidget(new ComparedProfileView(m_comparison));

    auto* close = new QPushButton(QStringLiteral("&Lukk"), this);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {m_print, m_copy, m_document, close})
        buttons->addWidget(b);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(tests);
    // Labelled, so that a screen reader says what the list chooses.
    auto* domainLabel = new QLabel(QStringLiteral("Domene:"), this);
    domainLabel->setBuddy(m_domains);
    auto* domainRow = new QHBoxLayout;
    domainRow->addWidget(domainLabel);
    domainRow->addWidget(m_domains, 1);
    layout->addLayout(domainRow);
    layout->addWidget(m_pages, 1);
    layout->addLayout(buttons);

    connect(m_domains, &QComboBox::currentIndexChanged, this, &ComparisonWindow::showItem);
    connect(m_print, &QPushButton::clicked, this, [this] {
        PrintPagesWithDialog(
            ProtectedFiles(m_session.db),
            [this](QPainter& painter, const PageFlow& flow) {
                return DrawComparisonPages(painter, m_comparison, ComparisonChoice{}, flow);
            },
            [this](const QString& where) { return RecordComparisonPrint(m_session, m_comparison, where); },
            ComparisonDocumentTitle(m_comparison), this);
    });
    connect(m_copy, &QPushButton::clicked, this, &ComparisonWindow::copyShown);
    connect(new QShortcut(QKeySequence::Copy, this), &QShortcut::activated, this, &ComparisonWindow::copyShown);
    connect(m_document, &QPushButton::clicked, this, [this] { SaveComparisonDocument(m_session, m_comparison, this); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    PlaceOnScreen(this, QSize(800, 600));
    showItem(0);
}

void ComparisonWindow::showItem(int item)
{
    m_pages->setCurrentIndex(item == kProfileItem ? 1 : 0);
    if (item < 0 || item >= kDomainCount)
        return;
    const ComparisonSection& section = m_comparison.sections[size_t(item)];
    m_table->setRowCount(int(section.rows.size()));
    for (int r = 0; r < int(section.rows.size()); ++r) {
        const ComparisonRow& row = section.rows[size_t(r)];
        const QStringList cells{row.label, row.earlier, row.later, ChangeText(row), row.marked ? QStringLiteral("*") : QString()};
        for (int c = 0; c < cells.size(); ++c) {
            auto* cell = new QTableWidgetItem(cells[c]);
            if (c > 0)
                cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (row.marked) {
                QFont bold = cell->font();
                bold.setBold(true);
                cell->setFont(bold);
            }
            m_table->setItem(r, c, cell);
        }
    }
    m_note->setText(section.rows.empty() ? QStringLiteral("Ingen deltester har skårer i begge testene.")
                    : section.anyMarked() ? MarkedChangeNote()
                                          : QString());
}

void ComparisonWindow::copyShown()
{
    const int item = m_domains->currentIndex();
    if (item == kProfileItem) {
        QGuiApplication::clipboard()->setImage(ComparedProfileImage(m_comparison));
        return;
    }
    TablesDocument document = ComparisonTables(m_comparison);
    // The shown domain alone, under the title and the two tests.
    const TablesSection shown = document.sections[size_t(item)];
    document.sections = {shown};
    CopyTables(document);
}

} // namespace tavlo
