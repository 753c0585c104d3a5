#include "vandrel/MessageSink.h"

#include <cstdio>

namespace tavlo {

namespace {
StderrMessageSink stderrSink;
MessageSink* currentSink = &stderrSink;
}

MessageSink::~MessageSink() = default;

void StderrMessageSink::show(const QString& caption, const QString& text, MessageIcon)
{
    std::fprintf(stderr, "%s: %s\n", caption.toUtf8().constData(), text.toUtf8().constData());
}

bool StderrMessageSink::ask(const QString& caption, const QString& text, MessageIcon icon, bool)
{
    show(caption, text, icon);
    return false;
}

MessageSink& messageSink()
{
    return *currentSink;
}

void setMessageSink(MessageSink* sink)
{
    currentSink = sink ? sink : &stderrSink;
}

} // namespace tavlo
