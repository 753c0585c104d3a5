#pragma once
// Files as a test of a writer needs them: their bytes, an earlier file in place, what else
// lies in a folder, and a disk that fills up.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStringList>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace tavlo::test::files {

// The byte-order mark that starts a UTF-8 file a spreadsheet program should read as UTF-8.
inline const QByteArray kMark("\xEF\xBB\xBF");

// Files larger than this fail to grow, as on a full disk, while the object lives.
class FileSizeLimit {
public:
    explicit FileSizeLimit(qint64 bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = m_old;
        limited.rlim_cur = rlim_t(bytes);
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_handler);
    }

private:
    rlimit m_old{};
    void (*m_handler)(int) = nullptr;
};

inline QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

inline QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden);
}

inline const QByteArray kEarlier("forrige fil\r\n");

} // namespace tavlo::test::files
