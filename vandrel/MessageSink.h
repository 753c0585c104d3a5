#pragma once
// The one place that shows a message to the user. The core, the library and the windows
// all report through it; the GUI installs a message box, the command-line tool stderr,
// the tests a recorder.

#include "vandrel/Export.h"

#include <QString>

namespace tavlo {

enum class MessageIcon { None, Information, Exclamation, Stop, Question };

class VANDREL_EXPORT MessageSink {
public:
    virtual ~MessageSink();
    virtual void show(const QString& caption, const QString& text, MessageIcon icon) = 0;
    // A yes/no question; true for yes.
    virtual bool ask(const QString& caption, const QString& text, MessageIcon icon, bool defaultYes) = 0;
};

// Writes to stderr and answers no: the sink in force until another is installed.
class VANDREL_EXPORT StderrMessageSink : public MessageSink {
public:
    void show(const QString& caption, const QString& text, MessageIcon icon) override;
    bool ask(const QString& caption, const QString& text, MessageIcon icon, bool defaultYes) override;
};

VANDREL_EXPORT MessageSink& messageSink();
// nullptr restores the stderr sink. The caller keeps ownership.
VANDREL_EXPORT void setMessageSink(MessageSink* sink);

// The program's own caption for every message box.
inline const QString kProgramCaption = QStringLiteral("TAVLO-II");

inline void tell(const QString& text, MessageIcon icon = MessageIcon::None)
{
    messageSink().show(kProgramCaption, text, icon);
}

inline bool askYesNo(const QString& text, MessageIcon icon = MessageIcon::Question, bool defaultYes = true)
{
    return messageSink().ask(kProgramCaption, text, icon, defaultYes);
}

} // namespace tavlo
