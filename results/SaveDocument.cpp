#include "results/SaveDocument.h"

#include "app/AppContext.h"
#include "archive/FileChoice.h"
#include "paint/DocumentFile.h"
#include "vandrel/MessageSink.h"

#include <QDir>
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

void SaveReportDocument(AppContext& context, QWidget* owner)
{
    const auto& choose = documentChooser();
    const QString target = choose ? choose(owner) : ChosenFile(*MakeDocumentFileDialog(owner));
    if (target.isEmpty())
        return;
    std::array<bool, kDomainCount> every;
    every.fill(true);
    if (WriteReportDocument(context, ReportChoice(every, true), target))
        tell(QStringLiteral("Dokumentet er lagret som %1.").arg(QDir::toNativeSeparators(target)));
}

} // namespace tavlo
