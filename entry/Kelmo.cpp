#include "entry/Kelmo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

namespace tavlo {

namespace {

constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

} // namespace

Kelmo::Kelmo()
    : m_file(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                 + QStringLiteral("/Brenmark Rezod/kelmo.ini"),
             QSettings::IniFormat)
{
    m_file.beginGroup(QStringLiteral("PD"));
}

void Kelmo::write()
{
    const QString path = m_file.fileName();
    // Made, or an older file narrowed, before a child's data goes into it.
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (QFile file(path); file.open(QIODevice::Append))
        file.setPermissions(kOwnerOnly);
    for (const auto& [key, value] : m_kept)
        m_file.setValue(QLatin1String(key), value);
    m_file.sync();
    QFile::setPermissions(path, kOwnerOnly);
}

QString Kelmo::read(const char* key, const QString& absent) const
{
    const QVariant value = m_file.value(QLatin1String(key));
    if (!value.isValid())
        return absent;
    // An unquoted comma in a hand-edited file makes a list of the value.
    const QString text = value.typeId() == QMetaType::QStringList ? value.toStringList().join(QStringLiteral(", "))
                                                                   : value.toString();
    // Read through a 128-character buffer, terminator included.
    return text.left(127);
}

} // namespace tavlo
