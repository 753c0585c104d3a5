#pragma once
// What the typed fields of a form or dialog held when it opened, so that nothing typed since
// is thrown away by one key without asking.

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <utility>
#include <vector>

class QLineEdit;
class QWidget;

namespace tavlo {

class TypingGuard : public QObject {
    Q_OBJECT
public:
    // Remembers the texts of the owner's editable line edits as they stand now; a child of
    // the owner.
    explicit TypingGuard(QWidget* owner);

    // A change the fields do not show (cards the card grid copied into the record).
    void alsoWatch(std::function<bool()> changed) { m_alsoChanged = std::move(changed); }

    // Whether a field's text differs from what it held at the start.
    bool changed() const;
    // True when nothing changed or the user chooses to throw it away; "Nei" is the default.
    bool mayDiscard() const;
    // The same, with one question, for every form and dialog on screen under top.
    static bool mayDiscardAll(const QWidget* top);

private:
    QWidget* m_owner;
    std::vector<std::pair<QPointer<QLineEdit>, QString>> m_texts;
    std::function<bool()> m_alsoChanged;
};

} // namespace tavlo
