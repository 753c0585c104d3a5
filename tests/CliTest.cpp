#include "Cli.h"

#include <gtest/gtest.h>

using tavlo::test::CliRun;

namespace {

CliRun runCli(const QStringList& args)
{
    return tavlo::test::runCli(args);
}

} // namespace

TEST(Cli, VersionNamesTheLibraryVersion)
{
    const CliRun r = runCli({QStringLiteral("--version")});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.startsWith(u"TAVLO-II ")) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(u"vandrel 120124")) << r.out.toStdString();
}

TEST(Cli, TestAgeFromTypedDates)
{
    CliRun r = runCli({QStringLiteral("test-age"), QStringLiteral("10032012"), QStringLiteral("15082005")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, QStringLiteral("6:6:25\n"));

    r = runCli({QStringLiteral("test-age"), QStringLiteral("31042012"), QStringLiteral("15082005")});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains(u"Feil testdato. Endre til gyldig dato!")) << r.err.toStdString();
    r = runCli({QStringLiteral("test-age"), QStringLiteral("10032012"), QStringLiteral("1508205")});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains(u"Feil fødselsdato. Endre til gyldig dato!")) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
    r = runCli({QStringLiteral("test-age"), QStringLiteral("01210100"), QStringLiteral("15082005")});
    EXPECT_EQ(r.status, 2) << "year 100, month 21 is no date";
    EXPECT_TRUE(r.err.contains(u"Feil testdato. Endre til gyldig dato!")) << r.err.toStdString();
}

TEST(Cli, UnknownCommandIsAUsageError)
{
    const CliRun r = runCli({QStringLiteral("frobnicate")});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains(u"usage:"));
}
