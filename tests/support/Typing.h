#pragma once
// Key events that carry any character, as a keyboard layout with it would send them:
// QTest::keyClicks sends Latin-1 only, and turns € into a character 0.

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
