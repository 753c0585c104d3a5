#pragma once
// Typing into a real widget any character a keyboard layout or an input method sends, each
// as its key event's text: QTest::keyClicks passes Latin-1 only.

#include <QString>
#include <QTest>
#include <QWidget>

namespace tavlo::test {

inline void typeText(QWidget* widget, const QString& text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

} // namespace tavlo::test
