#pragma once
// Printing the result report: the choice of domains, the printer and its dialogs; the pages
// themselves are paint/ReportPages'.

#include "paint/ReportPages.h"

#include <QByteArray>
#include <QDialog>
#include <QString>

#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QPrintDialog;
class QPrinter;
class QPushButton;

namespace tavlo {

// The modal report selection dialog; on "&Skriv ut" prints the chosen domains.
void ReportSelectionDialog(Session& context, QWidget* owner);

// What a print job asks of the outside world, replaceable by tests.
struct PrintSeams {
    // Chooses and sets up the printer; false when the examiner cancels. Default: the system's
    // print dialog (which offers a PDF file where no printer is installed).
    std::function<bool(QPrinter& printer, QWidget* owner)> choosePrinter;
};

// The print dialog the report's default printer choice opens: the whole report, nothing else
// (no selection, page range or current page).
std::unique_ptr<QPrintDialog> MakePrintDialog(QPrinter& printer, QWidget* owner);

// The registry value SelectedReports: 20 characters, character k (1-6) '1' when domain k is
// printed, character 7 '1' when the profile is; character 0 and 8-19 stay '0'.
inline constexpr int kSelectedReportsLength = 20;
inline constexpr int kSelectedProfileIndex = 7;

class ReportSelection : public QDialog {
    Q_OBJECT
public:
    // The boxes start as the stored SelectedReports has them.
    ReportSelection(Session& context, QWidget* owner, PrintSeams seams = {});

    QCheckBox* domainBox(int domain) const { return m_boxes[size_t(domain - 1)]; } // 1-6
    QCheckBox* profileBox() const { return m_profile; }
    QPushButton* markAllButton() const { return m_markAll; }
    QPushButton* unmarkAllButton() const { return m_unmarkAll; }
    QPushButton* printButton() const { return m_print; }
    QPushButton* cancelButton() const { return m_cancel; }
    // The choice of the last "&Skriv ut"; all '0' until then.
    const QByteArray& selectedReports() const { return m_selected; }

private:
    void print();

    Session& m_context;
    PrintSeams m_seams;
    QByteArray m_selected;
    std::array<QCheckBox*, 6> m_boxes{};
    QCheckBox* m_profile;
    QPushButton* m_markAll;
    QPushButton* m_unmarkAll;
    QPushButton* m_print;
    QPushButton* m_cancel;
};

// Any pages through the printer choice and the cancel box, as "&Skriv ut" prints the report;
// the same results as PrintReport.
// title names the job in the print queue and the PDF file (ReportDocumentTitle).
bool PrintPagesWithDialog(const QStringList& protectedFiles, const DrawPages& draw, const RecordPages& record,
                          const QString& title, QWidget* owner, const PrintSeams& seams = {});

// The whole job for the choice: the printer choice, a cancel box, page 1 with the person,
// then the profile and the sections. True when the document was completed, and when the
// examiner cancelled the printer choice (nothing is printed then); false when it could not
// start, a page failed or the examiner stopped it (an unfinished PDF file is removed). A job on
// paper is logged as the test's print before its first page, a PDF file just before it is put
// in place; a log that cannot be written stops the job.
bool PrintReport(Session& context, const ReportChoice& chosen, QWidget* owner,
                 const PrintSeams& seams = {});

} // namespace tavlo
