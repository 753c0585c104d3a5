#pragma once
// Saves a widget, or the whole screen, as PNG into TAVLO_SCREENSHOT_DIR when that is set, so
// a person can look at what the tests drove.

#include <QDir>
#include <QGuiApplication>
#include <QScreen>
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

// The screen as the display shows it: under a window manager, with the frames and the stacking.
inline void saveScreen(const QString& name)
{
    const QString dir = qEnvironmentVariable("TAVLO_SCREENSHOT_DIR");
    if (dir.isEmpty() || !QGuiApplication::primaryScreen())
        return;
    QDir().mkpath(dir);
    QGuiApplication::primaryScreen()->grabWindow(0).save(dir + u'/' + name + QStringLiteral(".png"));
}

} // namespace tavlo::test
