#pragma once
// Printing the result report: the choice of domains, then the pages.

#include <QByteArray>
#include <QDialog>
#include <QString>

#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QPainter;
class QPrintDialog;
class QPrinter;
class QPushButton;

namespace tavlo {

struct Session;

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

// What a job prints besides the person page: the domains (index 0-5 for domains 1-6) and the
// profile, which gets a page of its own right after the person page.
struct ReportChoice {
    ReportChoice(const std::array<bool, 6>& domains = {}, bool profile = false)
        : domains(domains)
        , profile(profile)
    {
    }
    bool anyDomain() const;
    std::array<bool, 6> domains;
    bool profile;
};

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

// The whole job for the choice: the printer choice, a cancel box, page 1 with the person,
// then the profile and the sections. True when the document was completed, and when the
// examiner cancelled the printer choice (nothing is printed then); false when it could not
// start, a page failed or the examiner stopped it (an unfinished PDF file is removed). A job on
// paper is logged as the test's print before its first page, a PDF file just before it is put
// in place; a log that cannot be written stops the job.
bool PrintReport(Session& context, const ReportChoice& chosen, QWidget* owner,
                 const PrintSeams& seams = {});

// The same job into a PDF file at path ("-": standard output), without the printer choice or
// the cancel box: the pages "&Skriv ut" prints when the examiner chooses a PDF file. Needs a
// QGuiApplication (a display is not needed: Qt's offscreen platform will do). The file is
// written beside path and put in place when whole, never over the database's files or a file
// that is not a regular one; false after a message when it was not (nothing is left behind).
bool PrintReportToPdf(Session& context, const ReportChoice& chosen, const QString& path);

// How the pages of a job move on: the printer's, or a test's recording device.
struct PageFlow {
    std::function<bool()> startPage; // the next page; false abandons the job
    std::function<void()> pageDone;  // after each footer (the job keeps its cancel box alive here)
};

// Every page of the report on an open painter, in the 800-unit page coordinates: page 1 with
// the page header, the person and the footer; then the profile and the chosen sections, with
// the continuation header and a numbered footer on every page. False when a page could not be
// started.
bool DrawReportPages(QPainter& painter, const Session& context, const ReportChoice& chosen,
                     const PageFlow& flow);

} // namespace tavlo
