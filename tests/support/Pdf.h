#pragma once
// What a written PDF holds, as poppler's pdfinfo and pdftotext read it.

#include <QProcess>
#include <QString>
#include <QStringList>

namespace tavlo::test {

// Standard output of a program run to its end.
inline QByteArray toolBytes(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(60000);
    return p.readAllStandardOutput();
}

inline QString toolOutput(const QString& program, const QStringList& args)
{
    return QString::fromUtf8(toolBytes(program, args));
}

// One line of pdfinfo's, after its label; empty when it has none.
inline QString pdfInfo(const QString& pdf, const QString& label)
{
    const QString info = toolOutput(QStringLiteral("pdfinfo"), {pdf});
    const QString key = label + u':';
    const qsizetype at = info.indexOf(key);
    return at < 0 ? QString() : info.mid(at + key.size()).section(u'\n', 0, 0).trimmed();
}

inline int pdfPages(const QString& pdf)
{
    return pdfInfo(pdf, QStringLiteral("Pages")).toInt();
}

inline QString pdfPageSize(const QString& pdf)
{
    return pdfInfo(pdf, QStringLiteral("Page size"));
}

// Words: as a reader reads them, whatever line breaks the extraction makes. Layout: the lines
// as pdftotext -layout places them, for comparing two files to the letter. Drawn: the words in
// the order the page draws them (-raw), which is what a reader without the page's picture gets.
enum class PdfText { Words, Layout, Drawn };

inline QString pdfPageText(const QString& pdf, int page, PdfText as = PdfText::Words)
{
    QStringList args{QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"), QString::number(page), pdf,
                     QStringLiteral("-")};
    if (as != PdfText::Words)
        args.prepend(as == PdfText::Layout ? QStringLiteral("-layout") : QStringLiteral("-raw"));
    const QString text = toolOutput(QStringLiteral("pdftotext"), args);
    return as == PdfText::Layout ? text : text.simplified();
}

// The page as pdftoppm renders it at 50 dpi in grey: the same bytes for the same drawing on
// the same sheet, whatever writer wrote it.
inline QByteArray pdfPageImage(const QString& pdf, int page)
{
    return toolBytes(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("50"), QStringLiteral("-gray"),
                                                  QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                                                  QString::number(page), pdf});
}

} // namespace tavlo::test
