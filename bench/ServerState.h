#pragma once
// The state file of tools/test-postgres.sh, read by the benchmarks that measure the server:
// its NAME=value lines.

#include <QFile>
#include <QString>

#include <map>

namespace tavlo::bench {

inline std::map<QString, QString> readServerState(const QString& path)
{
    std::map<QString, QString> state;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : file.readAll().split('\n')) {
            const QString text = QString::fromUtf8(line);
            state[text.section(u'=', 0, 0)] = text.section(u'=', 1);
        }
    }
    return state;
}

} // namespace tavlo::bench
