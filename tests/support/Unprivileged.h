#pragma once
// Root ignores folder and file permissions, so a test of an unwritable place re-runs itself
// as the user nobody.

#include <QString>

#include <optional>

namespace tavlo::test {

struct ChildRun {
    bool ran = false;  // false: could not run as another user; why says so
    int exitCode = -1;
    QString output;
    QString why;
};

// Unprivileged already: nullopt, and the test goes on in this process. As root: runs the
// current test again as nobody, with its XDG folders in a fresh folder nobody may write.
std::optional<ChildRun> rerunUnprivilegedIfRoot();

} // namespace tavlo::test

// As root: runs the current test again as nobody and ends this run with its verdict (or a
// stated skip). Unprivileged already: goes on with the test here.
#define TAVLO_RUN_UNPRIVILEGED()                                                                \
    if (const auto tavloChild = ::tavlo::test::rerunUnprivilegedIfRoot()) {                     \
        if (!tavloChild->ran)                                                                   \
            GTEST_SKIP() << tavloChild->why.toStdString();                                       \
        ASSERT_EQ(tavloChild->exitCode, 0) << tavloChild->output.toStdString();                  \
        return;                                                                                 \
    }
