#pragma once
// Messages as message boxes in front of the window in use, and the beep.

#include "vandrel/MessageSink.h"

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

// The system's beep; tests replace it to count beeps.
void Beep();
void SetBeepHandler(std::function<void()> handler);

} // namespace tavlo
