#pragma once
// Real message boxes in tests: the program's own sink installed for a test, and each box
// caught as it shows, inside its own modal loop, to look at it (and at the windows behind it)
// and answer it.

#include "vandrel/MessageSink.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>

namespace tavlo::test {

struct InstalledSink {
    explicit InstalledSink(MessageSink& sink) { setMessageSink(&sink); }
    ~InstalledSink() { setMessageSink(nullptr); }
    InstalledSink(const InstalledSink&) = delete;
};

class MessageBoxCatcher {
public:
    // handle looks at the box and closes it (the box stays open otherwise).
    explicit MessageBoxCatcher(std::function<void(QMessageBox&)> handle)
        : m_poll(std::make_unique<QTimer>())
    {
        m_poll->setInterval(20);
        QObject::connect(m_poll.get(), &QTimer::timeout, m_poll.get(), [this, handle = std::move(handle)] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || box == m_last || !box->isVisible())
                return;
            m_last = box;
            ++m_caught;
            handle(*box);
        });
        m_poll->start();
    }
    MessageBoxCatcher(MessageBoxCatcher&&) = delete;

    int caught() const { return m_caught; }

private:
    std::unique_ptr<QTimer> m_poll;
    QPointer<QMessageBox> m_last;
    int m_caught = 0;
};

} // namespace tavlo::test
