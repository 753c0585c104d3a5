#include "app/GuiSink.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>

#include <utility>

namespace tavlo {

namespace {

QMessageBox::Icon iconOf(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Stop:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// A box as narrow as a short text ("Feil passord!") leaves its caption no room beside the
// title bar's buttons: it shows as "...". A minimum width keeps "TAVLO-II" readable.
void keepCaptionReadable(QMessageBox& box)
{
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(260, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                      grid->columnCount());
}

std::function<void()>& beepHandler()
{
    static std::function<void()> handler;
    return handler;
}

} // namespace

QWidget* GuiSink::owner() const
{
    // A box owned by a window behind the one in use opens behind it (the login dialog stays on
    // top): the modal dialog in front owns it, else the active window, else the main window.
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget* active = QApplication::activeWindow(); active && active->isVisible())
        return active;
    return m_owner;
}

void GuiSink::show(const QString& caption, const QString& text, MessageIcon icon)
{
    QMessageBox box(iconOf(icon), caption, text, QMessageBox::Ok, owner());
    keepCaptionReadable(box);
    box.exec();
}

bool GuiSink::ask(const QString& caption, const QString& text, MessageIcon icon, bool defaultYes)
{
    QMessageBox box(iconOf(icon), caption, text, QMessageBox::Yes | QMessageBox::No, owner());
    keepCaptionReadable(box);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&Ja"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&Nei"));
    box.setDefaultButton(defaultYes ? QMessageBox::Yes : QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

HeldMessages::HeldMessages()
    : m_next(messageSink())
{
    setMessageSink(this);
}

HeldMessages::~HeldMessages()
{
    release();
}

void HeldMessages::release()
{
    if (m_released)
        return;
    m_released = true;
    setMessageSink(&m_next);
    tellHeld();
}

void HeldMessages::tellHeld()
{
    const QList<Held> held = std::exchange(m_held, {});
    for (const Held& h : held)
        m_next.show(h.caption, h.text, h.icon);
}

void HeldMessages::show(const QString& caption, const QString& text, MessageIcon icon)
{
    m_held.append({caption, text, icon});
}

bool HeldMessages::ask(const QString& caption, const QString& text, MessageIcon icon, bool defaultYes)
{
    tellHeld();
    return m_next.ask(caption, text, icon, defaultYes);
}

void Beep()
{
    if (beepHandler())
        beepHandler()();
    else
        QApplication::beep();
}

void SetBeepHandler(std::function<void()> handler)
{
    beepHandler() = std::move(handler);
}

} // namespace tavlo
