#pragma once
// A message sink that keeps every message and answers questions from a queue.

#include "vandrel/MessageSink.h"

#include <QList>
#include <QMutex>
#include <QStringList>

#include <functional>

namespace tavlo::test {

struct RecordedMessage {
    QString caption;
    QString text;
    MessageIcon icon;
    bool question;
};

class RecordingSink : public MessageSink {
public:
    RecordingSink() { setMessageSink(this); }
    ~RecordingSink() override { setMessageSink(nullptr); }

    void show(const QString& caption, const QString& text, MessageIcon icon) override;
    bool ask(const QString& caption, const QString& text, MessageIcon icon, bool defaultYes) override;

    QStringList texts() const;
    QList<RecordedMessage> messages;
    QList<bool> answers; // next answers to ask(); empty means the default answer
    // Called as each message (not question) is shown, to look at the windows at that moment.
    std::function<void(const RecordedMessage&)> onMessage;

private:
    QMutex m_mutex; // messages may come from a test's worker threads
};

} // namespace tavlo::test
