#pragma once
// How a failed job reaches the front end: as a value, not as a box shown half-way down. The
// program shows it in message boxes, the tool on stderr with its exit status.

#include "vandrel/MessageSink.h"

#include <QString>

#include <optional>
#include <vector>

namespace tavlo {

// One message of a failure: the system's own text, and the driver's or the system's text
// that explains it (may be empty).
struct FailureMessage {
    QString message;
    QString detail;
    MessageIcon icon = MessageIcon::Stop;
    QString caption = kProgramCaption;
    // As shown: the message, a blank line, the detail.
    QString text() const;
};

struct Failure {
    Failure() = default;
    explicit Failure(QString message, MessageIcon icon = MessageIcon::Stop, QString detail = {});

    // A further message, shown after the ones before it (the system's closing sentence after
    // the cause, as the program has always said them).
    Failure& then(QString message, MessageIcon icon = MessageIcon::Stop);
    Failure& then(const Failure& more);

    // Every message's text, in order, separator (a blank line) between two.
    QString text(const QString& separator = QStringLiteral("\n\n")) const;
    bool empty() const { return messages.empty(); }

    std::vector<FailureMessage> messages;
};

// A job's outcome: nothing when it was done, else why not.
using Outcome = std::optional<Failure>;

// Shows each message of the failure, in order, through the program's message sink.
void Show(const Failure& failure);
// Shows the outcome's failure, if any; true when there was one.
bool ShowIfFailed(const Outcome& outcome);

} // namespace tavlo
