#pragma once
// The program itself as a process of its own (TAVLO_PROGRAM_PATH, set by the test target),
// with the test's settings and runtime folders.

#include "session/SettingsKey.h"
#include "vandrel/vandrel.h"

#include <QProcess>
#include <QString>

namespace tavlo::test {

// The program finds its database in folder, as after a first start there, and stops at its
// login.
inline bool pointProgramAt(const QString& folder)
{
    return cDoSetRegistryValue(kRegistryKey, "DatabaseFolder", (folder + u'/').toUtf8().constData()) == 1;
}

// Started at once; killed, when still running, at the end of the test.
class ProgramProcess {
public:
    ProgramProcess()
    {
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(QStringLiteral(TAVLO_PROGRAM_PATH), {});
    }
    ~ProgramProcess()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }
    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;

    QProcess* operator->() { return &m_process; }
    QString pid() const { return QString::number(m_process.processId()); }

private:
    QProcess m_process;
};

} // namespace tavlo::test
