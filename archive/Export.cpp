#include "archive/Export.h"

#include "app/AppContext.h"
#include "archive/FileChoice.h"
#include "app/Look.h"
#include "model/PersonText.h"
#include "resources/StringTable.h"
#include "store/PersonTable.h"
#include "store/TestStore.h"
#include "vandrel/MessageSink.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QUrl>

#include <optional>
#include <utility>
#include <vector>

namespace tavlo {

namespace {

constexpr int kSortById = 9; // ListPersons' key of the column ID

std::function<QString(QWidget*)>& exportChooser()
{
    static std::function<QString(QWidget*)> chooser;
    return chooser;
}

std::function<void(const QString&)>& exportOpener()
{
    static std::function<void(const QString&)> opener;
    return opener;
}

std::function<void(ExportDataDialog&)>& exportRunner()
{
    static std::function<void(ExportDataDialog&)> runner;
    return runner;
}

QString chooseWithDialog(QWidget* owner)
{
    return ChosenFile(*MakeExportFileDialog(owner));
}

void openInEditor(const QString& path)
{
    // An editor that cannot be started is not reported: the file is written.
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

QByteArray scoreField(int value)
{
    return value == NOT_ENTERED ? QByteArray() : QByteArray::number(value);
}

// A missing date (stored as NULL) gives an empty field rather than "0   -00-00".
QByteArray dateField(const Date& date)
{
    if (date == Date{})
        return {};
    return QString::asprintf("%-4d-%02d-%02d", date.year, date.month, date.day).toLatin1();
}

QByteArray ageField(const TestRecord& test)
{
    if (test.person.TESTDATE == Date{} || test.person.BORNDATE == Date{})
        return {};
    const TestAge age = test.testAge();
    return QString::asprintf("%d.%d.%d", age.years, age.months, age.days).toLatin1();
}

// A tab or line break (possible only through other tools) would shift every later column,
// and a character outside the code page would become '?': refused, naming person and field.
std::optional<QString> unwritableText(const PersonalData& p)
{
    // Labels of the person form (string ids).
    const std::pair<int, const QString*> fields[] = {
        {17, &p.NAMN},         {18, &p.ADRESS}, {19, &p.TELEFON},    {20, &p.NATIONALITET},
        {21, &p.HOMELANGUAGE}, {22, &p.SKOLA},  {324, &p.KLASS},     {23, &p.TESTAD_VID},
        {24, &p.TESTLEDARE},   {30, &p.OTHER},
    };
    for (const auto& [labelId, text] : fields) {
        for (const char32_t c : text->toUcs4()) {
            if (IsWindows1252Char(c))
                continue;
            const QString shown = c < 0x20 || c == 0x7F
                                      ? QStringLiteral("U+%1").arg(uint(c), 4, 16, QLatin1Char('0'))
                                      : QStringLiteral("\"%1\"").arg(QString::fromUcs4(&c, 1));
            return QStringLiteral("Testperson nummer %1 kan ikke eksporteres: feltet \"%2\" inneholder tegnet %3, "
                                  "som ikke kan skrives i eksportfilen. Rett feltet og eksporter på nytt.")
                .arg(p.ID)
                .arg(LoadString(labelId), shown);
        }
    }
    return std::nullopt;
}

QByteArray personLine(const TestRecord& test)
{
    const PersonalData& p = test.person;
    QByteArray line;
    line.reserve(2048);
    const auto field = [&line](const QByteArray& value) {
        line += value;
        line += '\t';
    };
    const auto text = [&field](const QString& value) { field(ToWindows1252(value)); };
    field(QByteArray::number(p.ID));
    text(p.NAMN);
    text(p.ADRESS);
    text(p.TELEFON);
    text(p.NATIONALITET);
    text(p.HOMELANGUAGE);
    text(p.SKOLA);
    text(p.KLASS);
    text(p.TESTAD_VID);
    text(p.TESTLEDARE);
    field(dateField(p.TESTDATE));
    field(dateField(p.BORNDATE));
    field(ageField(test));
    field(QByteArray::number(p.SEX));
    field(QByteArray::number(p.HANDEDNESS));
    text(p.OTHER);
    for (const MeasureInfo& m : measures())
        field(scoreField(test.scores[m.key]));
    for (const int cell : test.grid.MF)
        field(scoreField(cell));
    line += "\r\n";
    return line;
}

} // namespace

QStringList ExportColumnNames()
{
    QStringList names = {
        QStringLiteral("NID"),      QStringLiteral("NAMN"),     QStringLiteral("ADRESS"),
        QStringLiteral("TFN"),      QStringLiteral("NATION"),   QStringLiteral("HEMSPRAK"),
        QStringLiteral("SKOLA"),    QStringLiteral("KLASS"),    QStringLiteral("TEST_VID"),
        QStringLiteral("TESTLED"),  QStringLiteral("TESTDAT"),  QStringLiteral("FODELSED"),
        QStringLiteral("ALDER"),    QStringLiteral("KON_1P2F"), QStringLiteral("HAN_1V2H"),
        QStringLiteral("OVRIGT"),
    };
    for (const MeasureInfo& m : measures()) {
        if (m.key == Key::FBA)
            names.append(QStringLiteral("FB_A"));
        else if (m.key == Key::FBAB)
            names.append(QStringLiteral("FB_AB"));
        else
            names.append(QLatin1String(m.code));
    }
    // Six 16-cell trials, then the delayed recall.
    for (int trial = 1; trial <= 6; ++trial) {
        for (int cell = 1; cell <= 16; ++cell)
            names.append(QStringLiteral("MF%1_%2").arg(trial).arg(cell));
    }
    for (int cell = 1; cell <= 16; ++cell)
        names.append(QStringLiteral("MF_B_%1").arg(cell));
    return names;
}

bool ExportAll(Database& db, QIODevice& out, QString* error, bool* shown)
{
    if (shown)
        *shown = false;
    const auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    const auto failShown = [&](const QString& why) {
        if (shown)
            *shown = true;
        return fail(why);
    };
    const auto write = [&out](const QByteArray& line) { return out.write(line) == line.size(); };
    const auto writeFailure = [&out] {
        return out.errorString().isEmpty() ? QStringLiteral("Filen tok ikke imot dataene.") : out.errorString();
    };

    QByteArray header;
    for (const QString& name : ExportColumnNames())
        header += name.toLatin1() + '\t';
    if (!write(header + "\r\n"))
        return fail(writeFailure());

    // The numbers first: no statement stays open while each person is read.
    std::vector<int> ids;
    if (!ListPersons(db, kSortById, false, [&ids](const PersonListRow& row) { ids.push_back(row.ID); }))
        return failShown(QStringLiteral("Listen over testpersoner kunne ikke leses."));
    for (const int id : ids) {
        // A fresh record: a person without score rows exports empty fields, never the scores
        // of the person before.
        TestRecord test;
        if (!ReadTest(db, test, id))
            return failShown(QStringLiteral("Testperson nummer %1 kunne ikke leses.").arg(id));
        if (const auto refusal = unwritableText(test.person)) {
            tell(*refusal, MessageIcon::Exclamation);
            return failShown(*refusal);
        }
        if (!write(personLine(test)))
            return fail(writeFailure());
    }
    return true;
}

std::unique_ptr<QFileDialog> MakeExportFileDialog(QWidget* owner)
{
    auto dialog = std::make_unique<QFileDialog>(owner, QStringLiteral("TAVLO-II  ") + LoadString(31),
                                                QDir::currentPath(), QStringLiteral("Alla filer (*.*)"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setDefaultSuffix(QStringLiteral("txt"));
    return dialog;
}

void SetExportFileChooser(std::function<QString(QWidget*)> chooser)
{
    exportChooser() = std::move(chooser);
}

void SetExportFileOpener(std::function<void(const QString&)> opener)
{
    exportOpener() = std::move(opener);
}

void SetExportDialogRunner(std::function<void(ExportDataDialog&)> runner)
{
    exportRunner() = std::move(runner);
}

ExportDataDialog::ExportDataDialog(AppContext& context, QWidget* owner)
    : QDialog(owner)
    , m_context(context)
{
    setWindowTitle(QStringLiteral("TAVLO-II") + LoadString(16));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    UseProgramLook(this);
    setFixedSize(360, 200);
    CentreOnScreen(this);

    auto* text = new QLabel(LoadString(150), this);
    text->setWordWrap(true);
    text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    text->setGeometry(20, 10, 320, 100);

    m_ok = new QPushButton(QStringLiteral("&OK"), this);
    m_ok->setGeometry(20, 120, 100, 40);
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("&Avbryt"), this);
    m_cancel->setGeometry(140, 120, 100, 40);
    connect(m_ok, &QPushButton::clicked, this, &ExportDataDialog::exportToChosenFile);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void ExportDataDialog::exportToChosenFile()
{
    const auto& choose = exportChooser();
    const QString path = choose ? choose(this) : chooseWithDialog(this);
    if (path.isEmpty()) {
        reject();
        return;
    }
    // Written beside the chosen file and renamed over it at the end: an existing file is
    // replaced only by a whole export, and a failure leaves no half file.
    QSaveFile file(path);
    bool written = file.open(QIODevice::WriteOnly);
    if (written) {
        bool shown = false;
        written = ExportAll(m_context.db, file, nullptr, &shown);
        if (shown)
            return; // its message is out; OK may be pressed again
        // commit() alone ignores a failed last flush (QTBUG-75077) and would put a cut-off file in place.
        written = written && file.flush() && file.commit();
    }
    if (!written) {
        tell(QStringLiteral("Feil vid skrivning av fil (code 1829)"));
        return;
    }
    const auto& open = exportOpener();
    if (open)
        open(path);
    else
        openInEditor(path);
    accept();
}

void ExportDialog(AppContext& context, QWidget* owner)
{
    ExportDataDialog dialog(context, owner);
    if (const auto& run = exportRunner())
        run(dialog);
    else
        dialog.exec();
}

} // namespace tavlo
