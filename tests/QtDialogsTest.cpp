// Qt's own dialogs as the program opens them speak Norwegian: no English word of Qt's shows in
// them, neither with the program's translators nor with its Bokmål file alone.
#include "Screenshots.h"
#include "VisibleTexts.h"
#include "app/GuiSink.h"
#include "app/LoginDialog.h"
#include "app/QtLanguage.h"
#include "app/StartUp.h"
#include "archive/Backup.h"
#include "archive/ExportDialog.h"
#include "results/Printing.h"
#include "store/connection/Database.h"

#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QListView>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTranslator>
#include <QTreeView>

#include <gtest/gtest.h>

#include <memory>

using namespace tavlo;
using namespace tavlo::test;

namespace {

enum class Translators { Program, BokmalAlone };

void PrintTo(Translators t, std::ostream* os)
{
    *os << (t == Translators::Program ? "the program's translators" : "the Bokmål file alone");
}

void expectNorwegian(const QStringList& texts, const std::string& what)
{
    EXPECT_FALSE(texts.isEmpty()) << what << " showed nothing";
    const QStringList english = englishIn(texts);
    EXPECT_TRUE(english.isEmpty()) << what << ": " << english.join(QStringLiteral("; ")).toStdString();
}

void writeFile(const QString& path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("x");
}

class QtDialogs : public ::testing::TestWithParam<Translators> {
protected:
    void SetUp() override
    {
        if (GetParam() == Translators::Program) {
            UseNorwegianQtDialogs();
        } else {
            ASSERT_TRUE(m_bokmal.load(QString::fromLatin1(kQtBokmalFile)));
            QCoreApplication::installTranslator(&m_bokmal);
        }
        QDir(m_dir.path()).mkdir(QStringLiteral("Rapporter"));
        writeFile(m_dir.filePath(QStringLiteral("TAVLO-II.mdb")));
    }
    void TearDown() override
    {
        // The next case in the same process starts without translators.
        qDeleteAll(qApp->findChildren<QTranslator*>());
        QCoreApplication::removeTranslator(&m_bokmal);
    }

    // Everything a file dialog shows on the test folder: both views with their columns, the
    // file list's context menu, the file name field's, and the question a save dialog asks
    // about a file that is there already (an open dialog: about one that is not there).
    QStringList fileDialogTexts(QFileDialog& dialog, const QString& shot)
    {
        dialog.setDirectory(m_dir.path());
        dialog.show();
        auto* tree = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
        auto* list = dialog.findChild<QListView*>(QStringLiteral("listView"));
        auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (!tree || !list || !name) {
            ADD_FAILURE() << "not Qt's own file dialog";
            return {};
        }
        EXPECT_TRUE(QTest::qWaitFor([&] { return tree->model()->rowCount(tree->rootIndex()) == 2; }))
            << "the folder's two entries never showed";
        QStringList texts = visibleTexts(&dialog);
        saveScreenshot(dialog, shot);
        texts << textsOfNextModal([&] { emit list->customContextMenuRequested(QPoint(4, 4)); });
        texts << menuTexts(std::unique_ptr<QMenu>(name->createStandardContextMenu()).get());
        const bool save = dialog.acceptMode() == QFileDialog::AcceptSave;
        // Typed, as selectFile() leaves a field with the focus alone.
        name->setText(save ? QStringLiteral("TAVLO-II.mdb") : QStringLiteral("mangler.mdb"));
        texts << textsOfNextModal([&] { static_cast<QDialog&>(dialog).accept(); }); // its own OK
        EXPECT_TRUE(dialog.isVisible()) << "the question kept the dialog open";
        return texts;
    }

    QTemporaryDir m_dir;
    QTranslator m_bokmal;
    QWidget m_owner;
};

TEST_P(QtDialogs, TheProgramsFileDialogs)
{
    expectNorwegian(fileDialogTexts(*MakeBackupFileDialog(&m_owner), QStringLiteral("backup-save-dialog")),
                    "the backup's save dialog");
    expectNorwegian(fileDialogTexts(*MakeExportFileDialog(&m_owner), QStringLiteral("export-save-dialog")),
                    "the export's save dialog");
    expectNorwegian(fileDialogTexts(*MakeDatabaseFileDialog(&m_owner), QStringLiteral("database-open-dialog")),
                    "the start-up's open dialog");
}

TEST_P(QtDialogs, ThePrintDialogWithItsOptionsPropertiesAndFileChoice)
{
    const QString existing = m_dir.filePath(QStringLiteral("rapport.pdf"));
    writeFile(existing);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFileName(existing);
    const std::unique_ptr<QPrintDialog> dialog = MakePrintDialog(printer, &m_owner);
    dialog->show();
    for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
        if (button->text().endsWith(QStringLiteral(">>")))
            button->click(); // the options, folded away at first
    }
    QStringList texts = visibleTexts(dialog.get());
    saveScreenshot(*dialog, QStringLiteral("print-dialog"));
    if (auto* tabs = dialog->findChild<QTabWidget*>()) {
        tabs->setCurrentIndex(1);
        saveScreenshot(*dialog, QStringLiteral("print-dialog-options"));
    }
    auto* properties = dialog->findChild<QPushButton*>(QStringLiteral("properties"));
    auto* browse = dialog->findChild<QToolButton*>(QStringLiteral("fileBrowser"));
    ASSERT_TRUE(properties && browse);
    texts << textsOfNextModal([&] { properties->click(); },
                              [](QWidget& w) { saveScreenshot(w, QStringLiteral("print-properties")); });
    texts << textsOfNextModal([&] { browse->click(); });
    // "Skriv ut" on a file that is there already asks first.
    texts << textsOfNextModal([&] { dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click(); });
    EXPECT_TRUE(dialog->isVisible()) << "the question kept the dialog open";
    expectNorwegian(texts, "the print dialog");
}

TEST_P(QtDialogs, TheProgramsMessageBoxesAndTheContextMenuOfItsFields)
{
    GuiSink sink(&m_owner);
    QStringList boxes = textsOfNextModal([&] { sink.show(QStringLiteral("TAVLO-II"), QStringLiteral("Melding"), MessageIcon::Stop); });
    boxes << textsOfNextModal([&] {
        sink.ask(QStringLiteral("TAVLO-II"), QStringLiteral("Spørsmål?"), MessageIcon::Question, false);
    });
    expectNorwegian(boxes, "the message boxes");

    // A right click in the login's user name field.
    Database none;
    LoginDialog login(none);
    login.show();
    auto* field = login.findChild<QLineEdit*>();
    ASSERT_TRUE(field);
    field->setText(QStringLiteral("kari"));
    field->selectAll();
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5), field->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(field, &click);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_TRUE(menu) << "no context menu";
    expectNorwegian(menuTexts(menu), "the context menu of a text field");
    menu->close();
}

INSTANTIATE_TEST_SUITE_P(Translators, QtDialogs, ::testing::Values(Translators::Program, Translators::BokmalAlone),
                         [](const ::testing::TestParamInfo<Translators>& info) {
                             return info.param == Translators::Program ? "ProgramTranslators" : "BokmalFileAlone";
                         });

TEST(QtTranslations, BokmalAnswersFirstAndNynorskWhatBokmalLacks)
{
    UseNorwegianQtDialogs();
    EXPECT_TRUE(QCoreApplication::testAttribute(Qt::AA_DontUseNativeDialogs))
        << "a desktop's own file dialog would bypass both translations";
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:").toStdString(), "Se i:");

    QTranslator nynorsk;
    if (!nynorsk.load(QLatin1String(kQtNynorskName), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        GTEST_SKIP() << "Qt's Nynorsk file (Debian package qt6-translations-l10n) is not installed";
    // Both files know it, differently: the Bokmål one above must have answered.
    EXPECT_EQ(nynorsk.translate("QFileDialog", "Look in:").toStdString(), "Leit i:");

    QTranslator bokmal;
    ASSERT_TRUE(bokmal.load(QString::fromLatin1(kQtBokmalFile)));
    const char* const context = "QPrintPreviewDialog";
    const char* const source = "Print Preview";
    ASSERT_TRUE(bokmal.translate(context, source).isEmpty()) << "pick a text the Bokmål file leaves out";
    ASSERT_FALSE(nynorsk.translate(context, source).isEmpty());
    EXPECT_EQ(QCoreApplication::translate(context, source).toStdString(), nynorsk.translate(context, source).toStdString());
    qDeleteAll(qApp->findChildren<QTranslator*>());
}

} // namespace
