#include "RecordingSink.h"

namespace tavlo::test {

void RecordingSink::show(const QString& caption, const QString& text, MessageIcon icon)
{
    const RecordedMessage message{caption, text, icon, false};
    {
        const QMutexLocker lock(&m_mutex);
        messages.append(message);
    }
    if (onMessage)
        onMessage(message);
}

bool RecordingSink::ask(const QString& caption, const QString& text, MessageIcon icon, bool defaultYes)
{
    const QMutexLocker lock(&m_mutex);
    messages.append({caption, text, icon, true});
    return answers.isEmpty() ? defaultYes : answers.takeFirst();
}

QStringList RecordingSink::texts() const
{
    QStringList out;
    for (const auto& m : messages)
        out.append(m.text);
    return out;
}

} // namespace tavlo::test
