#pragma once
// Runs the command-line tool (TAVLO_CLI_PATH, set by the test target) and keeps its output.

#include <QProcess>
#include <QStringList>

namespace tavlo::test {

struct CliRun {
    int status;
    QString out;
    QString err;
};

// input is what the tool reads on its standard input (a pipe, never a terminal).
inline CliRun runCli(const QStringList& args, const QByteArray& input = {})
{
    QProcess p;
    p.start(QStringLiteral(TAVLO_CLI_PATH), args);
    p.waitForStarted();
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(60000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
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
