#include "entry/TypingGuard.h"

#include "vandrel/MessageSink.h"

#include <QLineEdit>
#include <QWidget>

#include <algorithm>

namespace tavlo {

namespace {

bool askToDiscard()
{
    return askYesNo(QStringLiteral("Det du har skrevet inn, er ikke lagret. Vil du forkaste det?"),
                    MessageIcon::Question, /*defaultYes*/ false);
}

} // namespace

TypingGuard::TypingGuard(QWidget* owner)
    : QObject(owner)
    , m_owner(owner)
{
    // A read-only field only shows what others typed.
    for (QLineEdit* edit : owner->findChildren<QLineEdit*>()) {
        if (!edit->isReadOnly())
            m_texts.emplace_back(edit, edit->text());
    }
}

bool TypingGuard::changed() const
{
    for (const auto& [edit, text] : m_texts) {
        if (edit && edit->text() != text)
            return true;
    }
    return m_alsoChanged && m_alsoChanged();
}

bool TypingGuard::mayDiscard() const
{
    return !changed() || askToDiscard();
}

bool TypingGuard::mayDiscardAll(const QWidget* top)
{
    // A form no longer in front and a dialog already closed are hidden: nothing of theirs is lost.
    const QList<TypingGuard*> guards = top->findChildren<TypingGuard*>();
    const bool pending = std::any_of(guards.begin(), guards.end(),
                                     [](const TypingGuard* g) { return g->m_owner->isVisible() && g->changed(); });
    return !pending || askToDiscard();
}

} // namespace tavlo
