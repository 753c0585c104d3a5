#include "ToolRun.h"

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
    const struct {
        const char* testDate;
        const char* born;
        int status;
        const char* out;
        const char* err; // part of it
    } cases[] = {
        {"10032012", "15082005", 0, "6:6:25\n", ""},
        {"15062012", "15062012", 0, "0:0:0\n", ""},
        {"31042012", "15082005", 2, "", "Feil testdato. Endre til gyldig dato!"},
        {"10032012", "1508205", 2, "", "Feil fødselsdato. Endre til gyldig dato!"},
        {"01210100", "15082005", 2, "", "Feil testdato. Endre til gyldig dato!"}, // year 100, month 21
        {"10122026", "01012030", 1, "", "Feil fødselsdato. Endre til gyldig dato! Fødselsdatoen 01.01.2030 er etter "
                                        "testdatoen 10.12.2026"},
        {"15062012", "16062012", 1, "", "Fødselsdatoen 16.06.2012 er etter testdatoen 15.06.2012"},
    };
    for (const auto& c : cases) {
        const CliRun r = runCli({QStringLiteral("test-age"), QLatin1String(c.testDate), QLatin1String(c.born)});
        const std::string row = std::string(c.testDate) + " " + c.born + ": " + r.err.toStdString();
        EXPECT_EQ(r.status, c.status) << row;
        EXPECT_EQ(r.out, QString::fromUtf8(c.out)) << row;
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.err))) << row;
        EXPECT_EQ(r.err.isEmpty(), c.status == 0) << row;
    }
}

TEST(Cli, UnknownCommandIsAUsageError)
{
    const CliRun r = runCli({QStringLiteral("frobnicate")});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains(u"usage:"));
}
