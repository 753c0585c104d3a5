// The libraries each program is linked against, as the dynamic loader reads them: the tool
// needs QtCore alone, not even libvandrel, whose drawing needs QtGui, and draws its PDF pages
// through its painting library, which needs QtGui and never the windows' QtWidgets, the
// printer's QtPrintSupport or the program's QtNetwork (its one-instance socket).
#include "Ages.h"
#include "Str.h"
#include "TempDatabase.h"
#include "store/tables/TestStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using tavlo::test::str;

namespace {

// The NEEDED entries of the binary's dynamic section: "libQt6Gui.so.6", ...
QStringList neededLibraries(const QString& binary)
{
    QProcess p;
    p.start(QStringLiteral("readelf"), {QStringLiteral("--dynamic"), QStringLiteral("--wide"), binary});
    EXPECT_TRUE(p.waitForFinished(60000) && p.exitCode() == 0) << str(binary);
    QStringList needed;
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split(u'\n')) {
        if (!line.contains(QStringLiteral("(NEEDED)")))
            continue;
        const qsizetype open = line.indexOf(u'[');
        needed << line.mid(open + 1, line.indexOf(u']', open) - open - 1);
    }
    return needed;
}

// Every library the loader maps for the binary, through the ones it needs: "libQt6Gui.so.6", ...
QStringList loadedLibraries(const QString& binary)
{
    QProcess p;
    p.start(QStringLiteral("ldd"), {binary});
    EXPECT_TRUE(p.waitForFinished(60000) && p.exitCode() == 0) << str(binary);
    QStringList loaded;
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split(u'\n'))
        if (const QString name = line.trimmed().section(u' ', 0, 0); !name.isEmpty())
            loaded << name;
    return loaded;
}

bool hasLibrary(const QStringList& needed, const QString& library)
{
    return std::any_of(needed.begin(), needed.end(),
                       [&](const QString& entry) { return entry.startsWith(library + QStringLiteral(".so")); });
}

} // namespace

TEST(Linking, EachProgramLoadsItsQtModulesAndNoOthers)
{
    struct Case {
        const char* binary;
        QStringList loads;
        QStringList never;
    };
    const Case cases[] = {
        {TAVLO_CLI_PATH,
         {QStringLiteral("libQt6Core")},
         {QStringLiteral("libQt6Gui"), QStringLiteral("libQt6Widgets"), QStringLiteral("libQt6PrintSupport"),
          QStringLiteral("libQt6Concurrent"), QStringLiteral("libQt6Network"), QStringLiteral("libcrypto")}},
        {TAVLO_PAINTING_PATH,
         {QStringLiteral("libQt6Core"), QStringLiteral("libQt6Gui"), QStringLiteral("libvandrel")},
         {QStringLiteral("libQt6Widgets"), QStringLiteral("libQt6PrintSupport"), QStringLiteral("libQt6Concurrent"),
          QStringLiteral("libQt6Network")}},
        {TAVLO_APP_PATH,
         {QStringLiteral("libQt6Core"), QStringLiteral("libQt6Gui"), QStringLiteral("libQt6Widgets"),
          QStringLiteral("libQt6PrintSupport"), QStringLiteral("libQt6Network"), QStringLiteral("libvandrel")},
         {}},
    };
    for (const Case& c : cases) {
        const QStringList needed = neededLibraries(QString::fromUtf8(c.binary));
        // What the loader brings in through the libraries linked as well.
        const QStringList loaded = loadedLibraries(QString::fromUtf8(c.binary));
        SCOPED_TRACE(str(QStringLiteral("%1: %2").arg(QString::fromUtf8(c.binary), loaded.join(u' '))));
        ASSERT_FALSE(needed.isEmpty());
        for (const QString& library : c.loads)
            EXPECT_TRUE(hasLibrary(needed, library)) << str(library);
        for (const QString& library : c.never)
            EXPECT_FALSE(hasLibrary(loaded, library)) << str(library);
    }
}

// A tool whose painting library is missing still does every job that does not paint, and a job
// that would paint says which library it lacks and writes nothing.
TEST(Linking, AToolWithoutItsPaintingLibraryPaintsNothingAndSaysWhy)
{
    tavlo::test::TempDatabase t;
    tavlo::TestRecord r = tavlo::test::childAged(8, 0);
    ASSERT_TRUE(tavlo::SaveTest(t.db, r, true));
    QTemporaryDir bin;
    const QString tool = bin.filePath(QStringLiteral("tavlo-ii-cli"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(TAVLO_CLI_PATH), tool));
    const QString id = QString::number(r.person.ID);
    const auto run = [&](const QStringList& args) {
        QProcess p;
        p.start(tool, args);
        EXPECT_TRUE(p.waitForFinished(60000));
        return std::pair{p.exitCode(), QString::fromUtf8(p.readAllStandardError())};
    };
    const auto [listed, listErr] = run({QStringLiteral("list"), t.folder()});
    EXPECT_EQ(listed, 0) << str(listErr);
    const QString pdf = bin.filePath(QStringLiteral("rapport.pdf"));
    for (const QStringList& args : {QStringList{QStringLiteral("report"), t.folder(), id, QStringLiteral("--pdf"), pdf},
                                    QStringList{QStringLiteral("report"), t.folder(), id, QStringLiteral("--odt"), pdf},
                                    QStringList{QStringLiteral("compare"), t.folder(), id, id, QStringLiteral("--pdf"), pdf}}) {
        const auto [status, err] = run(args);
        EXPECT_EQ(status, 1) << str(args.join(u' '));
        EXPECT_TRUE(err.contains(QFileInfo(QStringLiteral(TAVLO_PAINTING_PATH)).fileName())) << str(err);
        EXPECT_FALSE(QFile::exists(pdf));
    }
}
