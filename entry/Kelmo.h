#pragma once
// kelmo.ini: the last accepted person, so the next child of the same session is quick to
// enter. It holds a child's name, address and telephone: readable by its owner alone, and
// written only for a person the form has accepted.

#include <QSettings>
#include <QString>

#include <utility>
#include <vector>

namespace tavlo {

class Kelmo {
public:
    Kelmo();

    // Kept for write(): nothing reaches the file before the whole person is accepted.
    void keep(const char* key, const QString& value) { m_kept.emplace_back(key, value); }
    // Writes what was kept, owner-only. A file that cannot be written only costs the next
    // Alt+S its texts.
    void write();

    // The value as the form takes it, or absent when the key is not there.
    QString read(const char* key, const QString& absent) const;

private:
    QSettings m_file;
    std::vector<std::pair<const char*, QString>> m_kept;
};

} // namespace tavlo
