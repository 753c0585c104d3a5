#include "results/SaveDocument.h"

#include "app/AppContext.h"
#include "archive/FileChoice.h"
#include "paint/DocumentFile.h"
#include "vandrel/MessageSink.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QMimeData>
#include <QFileDialog>

namespace tavlo {

namespace {

std::function<QString(QWidget*)>& documentChooser()
{
    static std::function<QString(QWidget*)> chooser;
    return chooser;
}

} // namespace

std::unique_ptr<QFileDialog> MakeDocumentFileDialog(QWidget* owner)
{
    return MakeSaveFileDialog(owner, QStringLiteral("TAVLO-II  Lagre som dokument"),
                              QStringLiteral("OpenDocument-tekst (*.odt)"), QStringLiteral("odt"));
}

void SetDocumentFileChooser(std::function<QString(QWidget*)> chooser)
{
    documentChooser() = std::move(chooser);
}

namespace {

// Asks for the file, has write write it there, and says where it went.
void saveDocument(QWidget* owner, const std::function<bool(const QString&)>& write)
{
    const auto& choose = documentChooser();
    const QString target = choose ? choose(owner) : ChosenFile(*MakeDocumentFileDialog(owner));
    if (!target.isEmpty() && write(target))
        tell(QStringLiteral("Dokumentet er lagret som %1.").arg(QDir::toNativeSeparators(target)));
}

} // namespace

void SaveReportDocument(AppContext& context, QWidget* owner)
{
    std::array<bool, kDomainCount> every;
    every.fill(true);
    saveDocument(owner, [&](const QString& target) { return WriteReportDocument(context, ReportChoice(every, true), target); });
}

void SaveComparisonDocument(Session& session, const Comparison& comparison, QWidget* owner)
{
    saveDocument(owner, [&](const QString& target) { return WriteComparisonDocument(session, comparison, target); });
}

void CopyTables(const TablesDocument& document)
{
    auto* data = new QMimeData;
    data->setHtml(TablesHtml(document));
    QString text;
    for (const QString& line : TabSeparatedLines(document))
        text += line + u'\n';
    data->setText(text);
    QGuiApplication::clipboard()->setMimeData(data);
}

} // namespace tavlo
