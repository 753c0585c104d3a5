// The program's icon: on every window it opens, in every size of the set; and the set it
// embeds is the committed one, drawn rather than blank.
#include "Ages.h"
#include "PrintedPages.h"
#include "RecordingSink.h"
#include "TempDatabase.h"
#include "app/AppContext.h"
#include "app/LoginDialog.h"
#include "app/Look.h"
#include "app/MainWindow.h"
#include "archive/Backup.h"
#include "archive/ExportDialog.h"
#include "entry/CardGridDialog.h"
#include "entry/RawScoreDialog.h"
#include "results/Printing.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>

using namespace tavlo;
using tavlo::test::printTo;
using tavlo::test::RecordingSink;
using tavlo::test::TempDatabase;

namespace {

QList<int> sizesOf(const QIcon& icon)
{
    QList<int> sizes;
    for (const QSize& size : icon.availableSizes())
        sizes << size.width();
    std::sort(sizes.begin(), sizes.end());
    return sizes;
}

const QList<int> kSizes(std::begin(kProgramIconSizes), std::end(kProgramIconSizes));

TEST(ProgramIcon, EveryWindowTheProgramOpensCarriesItInEverySize)
{
    TempDatabase db;
    AppContext context;
    ASSERT_TRUE(db.connect(context.db));
    context.test = test::childAged(8, 0);
    RecordingSink sink;

    MainWindow main(context);
    Database none;
    LoginDialog login(none);
    RawScoreDialog rawScores(context);
    CardGridDialog cardGrid(context.test);
    ExportDataDialog exporter(context);
    ReportSelection reports(context, nullptr);
    // Qt's own dialogs, owned by the window as the program opens them.
    QMessageBox box(QMessageBox::Information, QStringLiteral("TAVLO-II"), QStringLiteral("Melding"), QMessageBox::Ok, &main);
    const auto save = MakeBackupFileDialog(&main);
    QPrinter printer;
    const auto print = MakePrintDialog(printer, &main);
    const std::pair<const char*, QWidget*> windows[] = {
        {"main window", &main},       {"login", &login},         {"raw scores", &rawScores},
        {"card grid", &cardGrid},     {"export", &exporter},     {"report selection", &reports},
        {"message box", &box},        {"save dialog", save.get()}, {"print dialog", print.get()},
    };
    for (const auto& [name, window] : windows)
        EXPECT_EQ(sizesOf(window->windowIcon()), kSizes) << name;

    // The small box that stands while a report prints.
    QList<int> printing;
    QTimer::singleShot(0, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() == QStringLiteral("PrintDlgBox") && w->isVisible())
                printing = sizesOf(w->windowIcon());
        }
    });
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("rapport.pdf"));
    EXPECT_TRUE(
        PrintReport(context, std::array<bool, 6>{true, false, false, false, false, false}, &main, printTo(&pdf)));
    EXPECT_EQ(printing, kSizes) << "the print job's cancel box";
}

int countPixels(const QImage& image, const std::function<bool(QColor)>& wanted)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += wanted(image.pixelColor(x, y)) ? 1 : 0;
    }
    return count;
}

TEST(ProgramIcon, TheSetIsCommittedInEverySizeAndEmbeddedAsItIs)
{
    const QString tree = QStringLiteral(TAVLO_SOURCE_DIR "/resources/icons/hicolor");
    EXPECT_TRUE(QFileInfo::exists(tree + QStringLiteral("/scalable/apps/tavlo-ii.svg")));
    for (const int size : kProgramIconSizes) {
        const QString name = QStringLiteral("/%1x%1/apps/tavlo-ii.png").arg(size);
        const QImage file = QImage(tree + name).convertToFormat(QImage::Format_ARGB32);
        ASSERT_FALSE(file.isNull()) << name.toStdString();
        EXPECT_EQ(file.size(), QSize(size, size)) << name.toStdString();
        // The lilac ground, white cards and black marks all show.
        const int lilac = countPixels(file, [](QColor c) {
            return c.alpha() == 255 && std::abs(c.red() - 191) < 16 && std::abs(c.green() - 175) < 16
                && std::abs(c.blue() - 208) < 16;
        });
        const int white = countPixels(file, [](QColor c) { return c.alpha() == 255 && c.lightness() > 245; });
        const int black = countPixels(file, [](QColor c) { return c.alpha() > 200 && c.lightness() < 40; });
        EXPECT_GT(lilac, size * size / 10) << name.toStdString();
        EXPECT_GT(white, size * size / 50) << name.toStdString();
        EXPECT_GT(black, size * size / 100) << name.toStdString();
        EXPECT_EQ(QImage(QStringLiteral(":/icons/hicolor") + name).convertToFormat(QImage::Format_ARGB32), file)
            << "the program embeds " << name.toStdString();
    }
}

} // namespace
