#include "vandrel/vandrel.h"

#include <QProcess>
#include <QSet>
#include <QStringList>

#include <gtest/gtest.h>

#include <dlfcn.h>

namespace {

const QStringList kPromisedExports = {
    QStringLiteral("DoCheckIntDate"),       QStringLiteral("DoStrMid"),
    QStringLiteral("cDoGetRegistryValue_Ex"), QStringLiteral("cDoGetRegistryValueLocalMachine"),
    QStringLiteral("cDoSetRegistryValue"),  QStringLiteral("cDoGetRegistryValue"),
    QStringLiteral("cDoDllVersion"),        QStringLiteral("cDoTextOut"),
    QStringLiteral("DoOneToA"),             QStringLiteral("DoAToOne"),
    QStringLiteral("cDoRound"),             QStringLiteral("DoPaintRectangle"),
    QStringLiteral("DoPaintCircle"),        QStringLiteral("DoPaintFrame3D"),
    QStringLiteral("cDoBackgroundGrid"),    QStringLiteral("CDoCheckResolution"),
};

} // namespace

TEST(Exports, FoundByTheirUndecoratedNames)
{
    void* library = dlopen(VANDREL_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    for (const QString& name : kPromisedExports)
        EXPECT_NE(dlsym(library, name.toLatin1().constData()), nullptr) << name.toStdString();

    using Check = int32_t (*)(int32_t);
    using Version = int32_t (*)();
    auto check = reinterpret_cast<Check>(dlsym(library, "DoCheckIntDate"));
    auto version = reinterpret_cast<Version>(dlsym(library, "cDoDllVersion"));
    ASSERT_NE(check, nullptr);
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(check(20120229), 1);
    EXPECT_EQ(check(20130229), 0);
    EXPECT_EQ(version(), 120124);
    dlclose(library);
}

TEST(Exports, NoOtherPlainCSymbolsAreExported)
{
    // C++ symbols of the message sink are exported too; every unmangled one is a promised name.
    QProcess nm;
    nm.start(QStringLiteral("nm"), {QStringLiteral("-D"), QStringLiteral("--defined-only"), QStringLiteral(VANDREL_PATH)});
    if (!nm.waitForFinished(30000) || nm.exitCode() != 0)
        GTEST_SKIP() << "nm is not available";
    QSet<QString> plain;
    for (const QString& line : QString::fromLatin1(nm.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(u' ', Qt::SkipEmptyParts);
        if (fields.size() == 3 && fields[1] == u"T" && !fields[2].startsWith(u"_Z"))
            plain.insert(fields[2]);
    }
    EXPECT_EQ(plain, QSet<QString>(kPromisedExports.begin(), kPromisedExports.end()));
}
