#include "paint/DocumentFile.h"

#include "paint/DrawProfile.h"
#include "report/ComparisonDocument.h"
#include "report/ReportDocument.h"
#include "session/Session.h"
#include "store/files/OutputFile.h"
#include "vandrel/MessageSink.h"

#include <QBuffer>
#include <QPainter>
#include <QTextDocument>
#include <QTextDocumentWriter>
#include <QUrl>

namespace tavlo {

namespace {

// About the text width of an A4 page with the writer's margins, in its 96 pixels an inch. The
// chart is painted a little wider, so that its labels stay legible on paper, and sharp at twice
// the pixels.
constexpr int kPictureWidth = 600;
const QSize kPictureSize(760, 540);

QByteArray png(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// A chart on white, size in the painting's pixels, each drawn as pixelRatio pixels of the image.
QImage chartImage(const QSize& size, qreal pixelRatio, const std::function<void(QPainter&, const QRectF&)>& draw)
{
    QImage image(size * pixelRatio, QImage::Format_RGB32);
    image.setDevicePixelRatio(pixelRatio);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::black);
    draw(p, QRectF(10, 10, size.width() - 20, size.height() - 20));
    return image;
}

} // namespace

QImage ProfileImage(const Report& report, const QSize& size, qreal pixelRatio)
{
    return chartImage(size, pixelRatio, [&](QPainter& p, const QRectF& area) { DrawProfile(&p, report, area, false); });
}

TablesDocument ReportDocument(const Report& report, const ReportChoice& chosen)
{
    TablesDocument document = ReportTables(report, chosen, ReportPerson::Header);
    // ReportTables puts the profile's section first.
    if (chosen.profile) {
        document.sections.front().png = png(ProfileImage(report, kPictureSize, 2));
        document.sections.front().pngWidth = kPictureWidth;
    }
    return document;
}

void LayOutTables(const TablesDocument& document, QTextDocument& text)
{
    // The HTML names its pictures by data: URLs, which the document is handed beforehand
    // rather than left to load.
    for (const TablesSection& section : document.sections) {
        if (!section.png.isEmpty())
            text.addResource(QTextDocument::ImageResource, QUrl(PngDataUrl(section.png)), QImage::fromData(section.png));
    }
    text.setHtml(TablesHtml(document));
}

bool WriteOdt(const TablesDocument& document, QIODevice& device)
{
    QTextDocument text;
    LayOutTables(document, text);
    QTextDocumentWriter writer(&device, "odf");
    return writer.write(&text);
}

bool WriteReportDocument(Session& context, const ReportChoice& chosen, const QString& path)
{
    return WriteDocumentFile(
        ProtectedFiles(context.db), path,
        [&] { return ReportDocument(BuildReport(context.test, context.norms.AgeGroupDescription), chosen); },
        [&](const QString& where) { return RecordDocument(context, where); });
}

QImage ComparedProfileImage(const Comparison& comparison, const QSize& size, qreal pixelRatio)
{
    return chartImage(size, pixelRatio, [&](QPainter& p, const QRectF& area) { DrawComparedProfile(&p, comparison, area, false); });
}

TablesDocument ComparisonDocument(const Comparison& comparison, bool profile)
{
    TablesDocument document = ComparisonTables(comparison);
    if (profile) {
        TablesSection chart;
        chart.title = QStringLiteral("Profil");
        chart.png = png(ComparedProfileImage(comparison, kPictureSize + QSize(0, 60), 2));
        chart.pngWidth = kPictureWidth;
        document.sections.push_back(std::move(chart));
    }
    return document;
}

bool WriteComparisonDocument(Session& session, const Comparison& comparison, const QString& path)
{
    return WriteDocumentFile(
        ProtectedFiles(session.db), path, [&] { return ComparisonDocument(comparison, true); },
        [&](const QString& where) { return RecordComparisonDocument(session, comparison, where); });
}

bool WriteDocumentFile(const QStringList& protectedFiles, const QString& path,
                       const std::function<TablesDocument()>& build, const std::function<bool(const QString&)>& record)
{
    OutputFile file(path, protectedFiles);
    if (const auto failure = file.open()) {
        tell(*failure, MessageIcon::Exclamation);
        return false;
    }
    const TablesDocument document = build();
    // Qt's zip writer closes the device it is given; the file must stay open for its commit.
    QByteArray odt;
    QBuffer buffer(&odt);
    buffer.open(QIODevice::WriteOnly);
    if (!WriteOdt(document, buffer) || file.device().write(odt) != odt.size()) {
        tell(CannotWriteText(path, file.device().errorString()), MessageIcon::Exclamation);
        return false;
    }
    // Logged once whole, just before it is put in place: a log that cannot be written stops it.
    if (!record(file.loggedName()))
        return false;
    if (const auto failure = file.commit()) {
        tell(*failure, MessageIcon::Exclamation);
        return false;
    }
    return true;
}

} // namespace tavlo
