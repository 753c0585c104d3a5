// The libraries each program is linked against, as the dynamic loader reads them: the tool
// draws its PDF pages with QtGui alone and never loads the windows' QtWidgets, the printer's
// QtPrintSupport or the program's QtNetwork (its one-instance socket).
#include "Str.h"

#include <QProcess>
#include <QStringList>

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
        SCOPED_TRACE(str(QStringLiteral("%1: %2").arg(QString::fromUtf8(c.binary), needed.join(u' '))));
        ASSERT_FALSE(needed.isEmpty());
        for (const QString& library : c.loads)
            EXPECT_TRUE(hasLibrary(needed, library)) << str(library);
        for (const QString& library : c.never)
            EXPECT_FALSE(hasLibrary(needed, library)) << str(library);
    }
}
