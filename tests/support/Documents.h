#pragma once
// Documents read back by readers of their own: the clipboard's HTML through Qt's HTML reader,
// an OpenDocument file unpacked by unzip and read as XML, so that a writer's fault is not
// mirrored by the same code reading it.

#include "paint/DocumentFile.h"
#include "report/ReportRows.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStringList>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QXmlStreamReader>

#include <algorithm>
#include <vector>

namespace tavlo::test {

using CellTable = std::vector<QStringList>; // rows of cell texts

// A table's rows as a reader expects them: the six headings, then each row's column texts.
inline CellTable reportTable(const std::vector<ReportRow>& rows)
{
    CellTable table{{QStringLiteral("Deltest"), QStringLiteral("Råskårer"), QStringLiteral("Skalerte skårer"),
                     QStringLiteral("Persentil"), QStringLiteral("Type mål"), QStringLiteral("Kvalitativ beskrivelse")}};
    for (const ReportRow& row : rows)
        table.push_back({row.Label, RawColumnText(row), ScaledColumnText(row), PercentileColumnText(row), row.MeasureType,
                         row.Description});
    return table;
}

struct ReadDocument {
    std::vector<CellTable> tables;
    QStringList paragraphs; // outside the tables, in order
    int images = 0;
};

// HTML as Qt's rich text reads it: its tables cell by cell, the other blocks as paragraphs.
inline ReadDocument readHtml(const QString& html)
{
    QTextDocument document;
    document.setHtml(html);
    ReadDocument read;
    for (QTextFrame::iterator it = document.rootFrame()->begin(); !it.atEnd(); ++it) {
        if (auto* table = qobject_cast<QTextTable*>(it.currentFrame())) {
            CellTable cells;
            for (int r = 0; r < table->rows(); ++r) {
                QStringList row;
                for (int c = 0; c < table->columns(); ++c) {
                    const QTextTableCell cell = table->cellAt(r, c);
                    QTextCursor cursor = cell.firstCursorPosition();
                    cursor.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
                    row << cursor.selectedText();
                }
                cells.push_back(row);
            }
            read.tables.push_back(cells);
        } else if (it.currentBlock().isValid()) {
            if (it.currentBlock().text().contains(QChar::ObjectReplacementCharacter))
                ++read.images;
            if (!it.currentBlock().text().trimmed().isEmpty())
                read.paragraphs << it.currentBlock().text();
        }
    }
    return read;
}

// One member of a zip file as the unzip program gives it; empty when it is not there.
inline QByteArray unzipped(const QString& zip, const QString& member)
{
    QProcess p;
    p.start(QStringLiteral("unzip"), {QStringLiteral("-p"), zip, member});
    p.waitForFinished(60000);
    return p.exitCode() == 0 ? p.readAllStandardOutput() : QByteArray();
}

// The members of a zip file.
inline QStringList zipMembers(const QString& zip)
{
    QProcess p;
    p.start(QStringLiteral("unzip"), {QStringLiteral("-Z1"), zip});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

// The text of an OpenDocument element up to its end, spaces (text:s) and tabs counted; the
// pictures in it are added to images.
inline QString odfText(QXmlStreamReader& xml, int& images)
{
    const QString text = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
    QString out;
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            ++depth;
            if (xml.namespaceUri() == text && xml.name() == u"s")
                out += QString(std::max(1, xml.attributes().value(text, QStringLiteral("c")).toInt()), u' ');
            else if (xml.namespaceUri() == text && xml.name() == u"tab")
                out += u'\t';
            else if (xml.name() == u"image")
                ++images;
        } else if (xml.isEndElement()) {
            --depth;
        } else if (xml.isCharacters()) {
            out += xml.text();
        }
    }
    return out;
}

// content.xml of an OpenDocument text file: its tables cell by cell (the paragraphs of a cell
// joined by line breaks), the paragraphs and headings outside them, its pictures.
inline ReadDocument readOdt(const QString& path)
{
    const QString table = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
    const QString text = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
    const QString draw = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:drawing:1.0");
    QXmlStreamReader xml(unzipped(path, QStringLiteral("content.xml")));
    ReadDocument read;
    CellTable* current = nullptr;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.namespaceUri() == table && xml.name() == u"table") {
            read.tables.emplace_back();
            current = &read.tables.back();
        } else if (xml.namespaceUri() == table && xml.name() == u"table-row" && current) {
            current->emplace_back();
        } else if (xml.namespaceUri() == table && xml.name() == u"table-cell" && current) {
            QStringList paragraphs;
            int depth = 1;
            while (depth > 0 && !xml.atEnd()) {
                xml.readNext();
                if (xml.isStartElement() && xml.namespaceUri() == text && (xml.name() == u"p" || xml.name() == u"h"))
                    paragraphs << odfText(xml, read.images);
                else if (xml.isStartElement())
                    ++depth;
                else if (xml.isEndElement())
                    --depth;
            }
            current->back() << paragraphs.join(u'\n');
        } else if (xml.namespaceUri() == draw && xml.name() == u"image") {
            ++read.images;
        } else if (xml.namespaceUri() == text && (xml.name() == u"p" || xml.name() == u"h")) {
            const QString paragraph = odfText(xml, read.images);
            if (!paragraph.trimmed().isEmpty())
                read.paragraphs << paragraph;
        }
    }
    return read;
}

// What a person sees of a document: laid out as the document file lays it out, 800 wide, as
// PNG into TAVLO_SCREENSHOT_DIR when that is set.
inline void saveDocumentPicture(const TablesDocument& document, const QString& name)
{
    const QString shots = qEnvironmentVariable("TAVLO_SCREENSHOT_DIR");
    if (shots.isEmpty() || !QDir().mkpath(shots))
        return;
    QTextDocument text;
    LayOutTables(document, text);
    text.setTextWidth(800);
    QImage page(QSize(800, int(text.size().height())), QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter p(&page);
    text.drawContents(&p);
    p.end();
    page.save(QDir(shots).filePath(name + QStringLiteral(".png")));
}

} // namespace tavlo::test
