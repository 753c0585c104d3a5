#include "app/GuiSink.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

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

std::function<void()>& beepHandler()
{
    static std::function<void()> handler;
    return handler;
}

} // namespace

void GuiSink::show(const QString& caption, const QString& text, MessageIcon icon)
{
    QMessageBox box(iconOf(icon), caption, text, QMessageBox::Ok, m_owner);
    box.exec();
}

bool GuiSink::ask(const QString& caption, const QString& text, MessageIcon icon, bool defaultYes)
{
    QMessageBox box(iconOf(icon), caption, text, QMessageBox::Yes | QMessageBox::No, m_owner);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&Ja"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&Nei"));
    box.setDefaultButton(defaultYes ? QMessageBox::Yes : QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
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
