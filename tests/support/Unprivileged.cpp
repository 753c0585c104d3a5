#include "Unprivileged.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace tavlo::test {

std::optional<ChildRun> rerunUnprivilegedIfRoot()
{
    if (geteuid() != 0)
        return std::nullopt;

    ChildRun run;
    const QString runuser = QStringLiteral("/usr/sbin/runuser");
    if (!QFile::exists(runuser)) {
        run.why = QStringLiteral("running as root without runuser: root ignores permissions, so the check cannot be made");
        return run;
    }
    QTemporaryDir root(QStringLiteral("/tmp/tavlo-nobody-XXXXXX"));
    const auto all = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                     | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther
                     | QFile::ExeOther;
    QFile::setPermissions(root.path(), all);

    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const QString filter = QStringLiteral("--gtest_filter=%1.%2")
                               .arg(QString::fromUtf8(info->test_suite_name()), QString::fromUtf8(info->name()));
    const QString self = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TAVLO_TEST_KEEP_ENV"), QStringLiteral("1"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), root.path() + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_CONFIG_DIRS"), root.path() + QStringLiteral("/config-system"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), root.path() + QStringLiteral("/runtime"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), root.path() + QStringLiteral("/data"));
    env.insert(QStringLiteral("HOME"), root.path());
    env.insert(QStringLiteral("TMPDIR"), root.path());

    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.setWorkingDirectory(root.path());
    child.start(runuser, {QStringLiteral("-u"), QStringLiteral("nobody"), QStringLiteral("--"), self, filter});
    if (!child.waitForFinished(120000)) {
        run.why = QStringLiteral("could not run the test as nobody: ") + child.errorString();
        return run;
    }
    run.output = QString::fromUtf8(child.readAll());
    run.exitCode = child.exitCode();
    // runuser itself failing (no such user, no permission to run the binary) is not a test result.
    if (child.exitStatus() != QProcess::NormalExit || run.exitCode == 126 || run.exitCode == 127
        || !run.output.contains(QStringLiteral("[ RUN      ]"))) {
        run.why = QStringLiteral("could not run the test as nobody (the build folder may not be readable by it): ")
                  + run.output.left(400);
        return run;
    }
    run.ran = true;
    return run;
}

} // namespace tavlo::test
