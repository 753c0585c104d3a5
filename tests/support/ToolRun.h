#pragma once
// Runs the command-line tool (TAVLO_CLI_PATH, set by the test target) and keeps its output.

#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace tavlo::test {

struct CliRun {
    int status;
    QString out;
    QString err;
    QByteArray bytes; // standard output as it came, for a file written there ("-")
};

// input is what the tool reads on its standard input (a pipe, never a terminal); standard
// output goes to outputFile when one is named (/dev/full, say); it runs in workingDirectory
// when one is named. A run that does not end in time, or ends by a signal, has status -1.
inline CliRun runCli(const QStringList& args, const QByteArray& input = {}, const QString& outputFile = {},
                     const QString& workingDirectory = {})
{
    QProcess p;
    if (!outputFile.isEmpty())
        p.setStandardOutputFile(outputFile);
    if (!workingDirectory.isEmpty())
        p.setWorkingDirectory(workingDirectory);
    p.start(QStringLiteral(TAVLO_CLI_PATH), args);
    p.waitForStarted();
    p.write(input);
    p.closeWriteChannel();
    const bool ended = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit;
    if (!ended)
        p.kill();
    const QByteArray out = p.readAllStandardOutput();
    return {ended ? p.exitCode() : -1, QString::fromUtf8(out), QString::fromUtf8(p.readAllStandardError()), out};
}

// A command line the tool must refuse: what it reads, its exit status and what its standard
// error begins with.
struct CliRefusal {
    QStringList args;
    QByteArray input;
    int status;
    QString said;
};

// Runs each refusal through run (the tool with the arguments every case shares) and checks it.
inline void expectRefused(const std::function<CliRun(const QStringList&, const QByteArray&)>& run,
                          const std::vector<CliRefusal>& refusals)
{
    for (const CliRefusal& r : refusals) {
        const CliRun got = run(r.args, r.input);
        EXPECT_EQ(got.status, r.status) << r.args.join(u' ').toStdString();
        EXPECT_TRUE(got.err.startsWith(r.said)) << got.err.toStdString();
    }
}

// The lines of a text, without the empty one after the last line end.
inline QStringList lines(const QString& text)
{
    QStringList l = text.split(u'\n');
    if (!l.isEmpty() && l.last().isEmpty())
        l.removeLast();
    return l;
}

} // namespace tavlo::test
