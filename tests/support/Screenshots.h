#pragma once
// Saves a widget as PNG into TAVLO_SCREENSHOT_DIR when that is set, so a person can look at
// what the tests drove.

#include <QDir>
#include <QWidget>

namespace tavlo::test {

inline void saveScreenshot(QWidget& widget, const QString& name)
{
    const QString dir = qEnvironmentVariable("TAVLO_SCREENSHOT_DIR");
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    widget.grab().save(dir + u'/' + name + QStringLiteral(".png"));
}

} // namespace tavlo::test
