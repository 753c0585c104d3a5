#pragma once
// While it lives, keeps every message instead of showing it (questions are answered no), so
// the caller can say in one box what went wrong; the sink before it comes back after.

#include "vandrel/MessageSink.h"

#include <QStringList>

namespace tavlo {

class CollectingSink : public MessageSink {
public:
    CollectingSink()
        : m_previous(&messageSink())
    {
        setMessageSink(this);
    }
    ~CollectingSink() override { setMessageSink(m_previous == this ? nullptr : m_previous); }
    CollectingSink(const CollectingSink&) = delete;
    CollectingSink& operator=(const CollectingSink&) = delete;

    void show(const QString&, const QString& text, MessageIcon icon) override
    {
        texts.append(text);
        icons.append(icon);
    }
    bool ask(const QString&, const QString& text, MessageIcon icon, bool) override
    {
        texts.append(text);
        icons.append(icon);
        return false;
    }

    QStringList texts;
    QList<MessageIcon> icons; // one for each text

private:
    MessageSink* m_previous;
};

} // namespace tavlo
