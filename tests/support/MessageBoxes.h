#pragma once
// Catches each real message box as it shows, inside its own modal loop, so a test can look at
// it (and at the windows behind it) and then answer it.

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>

namespace tavlo::test {

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
