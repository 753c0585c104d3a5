#pragma once
// Messages as message boxes in front of the window in use, messages held back until a screen
// is drawn, and the beep.

#include "vandrel/MessageSink.h"

#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>

namespace tavlo {

class GuiSink : public MessageSink {
public:
    explicit GuiSink(QWidget* owner = nullptr)
        : m_owner(owner)
    {
    }
    void setOwner(QWidget* owner) { m_owner = owner; }
    void show(const QString& caption, const QString& text, MessageIcon icon) override;
    bool ask(const QString& caption, const QString& text, MessageIcon icon, bool defaultYes) override;

private:
    QWidget* owner() const;

    QPointer<QWidget> m_owner;
};

// Holds what is told while it stands and tells it, in order, through the sink before it when
// released: a screen that scores as it opens shows the scoring's notes over itself, drawn
// whole, not over the screen before. A question cannot wait: what is held goes first.
class HeldMessages : public MessageSink {
public:
    HeldMessages();
    ~HeldMessages() override;
    HeldMessages(const HeldMessages&) = delete;
    HeldMessages& operator=(const HeldMessages&) = delete;

    void release();
    void show(const QString& caption, const QString& text, MessageIcon icon) override;
    bool ask(const QString& caption, const QString& text, MessageIcon icon, bool defaultYes) override;

private:
    void tellHeld();

    struct Held {
        QString caption;
        QString text;
        MessageIcon icon;
    };
    MessageSink& m_next;
    QList<Held> m_held;
    bool m_released = false;
};

// The system's beep; tests replace it to count beeps.
void Beep();
void SetBeepHandler(std::function<void()> handler);

} // namespace tavlo
