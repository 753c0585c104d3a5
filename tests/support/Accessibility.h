#pragma once
// What a screen reader finds in a window, read through Qt's accessibility interface: every
// control a user can operate, with its role, name and description, and the order Tab visits
// them in.

#include "VisibleTexts.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QSet>
#include <QWidget>

namespace tavlo::test {

struct Control {
    QAccessible::Role role;
    QString name;
    QString description;
    QWidget* widget;
};

namespace detail {

inline bool operated(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::EditableText:
    case QAccessible::PushButton:
    case QAccessible::ComboBox:
    case QAccessible::List:
    case QAccessible::Table:
    case QAccessible::Tree:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::SpinBox:
        return true;
    default:
        return false;
    }
}

inline bool takesTab(const QWidget* w)
{
    return w && w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) != 0;
}

// What a screen reader says a control is called. On Linux a combo box's name is its current
// entry, and what it is for comes from the label it is labelled by.
inline QString spokenName(QAccessibleInterface* node)
{
    if (node->role() == QAccessible::ComboBox) {
        for (const auto& [label, relation] : node->relations(QAccessible::Label)) {
            QString text = label->text(QAccessible::Name).remove(u'&');
            return text.endsWith(u':') ? text.chopped(1) : text;
        }
    }
    return node->text(QAccessible::Name);
}

inline void collectControls(QAccessibleInterface* node, QList<Control>& out)
{
    if (!node || node->state().invisible)
        return;
    QWidget* widget = qobject_cast<QWidget*>(node->object());
    if (operated(node->role()) || takesTab(widget))
        out << Control{node->role(), spokenName(node), node->text(QAccessible::Description), widget};
    // Rows, cells and a combo box's entries are what a control holds, not controls of their own.
    if (operated(node->role()))
        return;
    for (int i = 0; i < node->childCount(); ++i)
        collectControls(node->child(i), out);
}

} // namespace detail

// The window's controls in the accessibility tree's order.
inline QList<Control> controlsOf(QWidget* window)
{
    QAccessible::setActive(true);
    QList<Control> out;
    detail::collectControls(QAccessible::queryAccessibleInterface(window), out);
    return out;
}

inline QString accessibleName(QWidget* w)
{
    QAccessibleInterface* node = QAccessible::queryAccessibleInterface(w);
    return node ? detail::spokenName(node) : QString();
}

// The names of the controls Tab reaches, from `first` once round the window's focus chain.
inline QStringList tabOrder(QWidget* first)
{
    QStringList out;
    QWidget* w = first;
    do {
        if (detail::takesTab(w) && w->window() == first->window())
            out << accessibleName(w);
        w = w->nextInFocusChain();
    } while (w && w != first);
    return out;
}

// What keeps a screen reader's user from knowing a control: no name, a name shared with
// another control of the window, a mnemonic's '&' read aloud, or English.
inline QStringList namingFaults(const QList<Control>& controls)
{
    QStringList faults;
    QSet<QString> seen;
    for (const Control& c : controls) {
        const QString where = c.widget ? QStringLiteral("%1 at (%2, %3)")
                                             .arg(QString::fromLatin1(c.widget->metaObject()->className()))
                                             .arg(c.widget->x())
                                             .arg(c.widget->y())
                                       : QStringLiteral("role %1").arg(int(c.role));
        if (c.name.trimmed().isEmpty()) {
            faults << QStringLiteral("no name: %1").arg(where);
            continue;
        }
        if (seen.contains(c.name))
            faults << QStringLiteral("name twice: «%1» (%2)").arg(c.name, where);
        seen.insert(c.name);
        if (c.name.contains(u'&'))
            faults << QStringLiteral("mnemonic read aloud: «%1»").arg(c.name);
        faults << englishIn({c.name, c.description});
    }
    return faults;
}

} // namespace tavlo::test
