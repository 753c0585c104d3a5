#include "model/Failure.h"

#include <QStringList>

#include <utility>

namespace tavlo {

QString FailureMessage::text() const
{
    if (message.isEmpty())
        return detail;
    if (detail.isEmpty())
        return message;
    return message + QStringLiteral("\n\n") + detail;
}

Failure::Failure(QString message, MessageIcon icon, QString detail)
{
    messages.push_back({std::move(message), std::move(detail), icon});
}

Failure& Failure::then(QString message, MessageIcon icon)
{
    messages.push_back({std::move(message), {}, icon});
    return *this;
}

Failure& Failure::then(const Failure& more)
{
    messages.insert(messages.end(), more.messages.begin(), more.messages.end());
    return *this;
}

QString Failure::text(const QString& separator) const
{
    QStringList texts;
    for (const FailureMessage& m : messages)
        texts.append(m.text());
    return texts.join(separator);
}

void Show(const Failure& failure)
{
    for (const FailureMessage& m : failure.messages)
        messageSink().show(m.caption, m.text(), m.icon);
}

bool ShowIfFailed(const Outcome& outcome)
{
    if (outcome)
        Show(*outcome);
    return outcome.has_value();
}

} // namespace tavlo
