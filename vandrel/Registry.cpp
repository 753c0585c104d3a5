// The registry accessors over QSettings INI files: SOFTWARE\<organisation>\<application>
// is QSettings(IniFormat, scope, organisation, application); deeper key parts are groups.
#include "vandrel/MessageSink.h"
#include "vandrel/Registry.h"
#include "vandrel/vandrel.h"

#include <QByteArray>
#include <QSettings>
#include <QStringList>
#include <QtGlobal>

#include <cstring>
#include <memory>
#include <optional>

namespace {

const QString kLibraryCaption = QStringLiteral("Morvik Rezod AS");

void useXdgSystemFolder()
{
    // Qt keeps the machine scope in its own settings folder; honour XDG_CONFIG_DIRS so the
    // machine-wide value can be placed (and tested) like every other XDG setting.
    static bool done = false;
    if (done)
        return;
    done = true;
    const QString dirs = qEnvironmentVariable("XDG_CONFIG_DIRS");
    const QString first = dirs.split(u':', Qt::SkipEmptyParts).value(0);
    if (!first.isEmpty())
        QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope, first);
}

std::unique_ptr<QSettings> openKey(const char* keyPath, QSettings::Scope scope)
{
    if (!keyPath)
        return nullptr;
    QStringList parts = QString::fromUtf8(keyPath).split(u'\\', Qt::SkipEmptyParts);
    if (!parts.isEmpty() && parts.first().compare(u"SOFTWARE", Qt::CaseInsensitive) == 0)
        parts.removeFirst();
    if (parts.isEmpty())
        return nullptr;
    if (scope == QSettings::SystemScope)
        useXdgSystemFolder();
    const QString organisation = parts.takeFirst();
    const QString application = parts.isEmpty() ? QString() : parts.takeFirst();
    auto settings = std::make_unique<QSettings>(QSettings::IniFormat, scope, organisation, application);
    if (!parts.isEmpty())
        settings->beginGroup(parts.join(u'/'));
    return settings;
}

// The value's text, when the key opens and the value is a text that fits limit bytes.
std::optional<QByteArray> readValue(const char* keyPath, const char* valueName, QSettings::Scope scope,
                                    qsizetype limit)
{
    if (!valueName)
        return std::nullopt;
    const auto settings = openKey(keyPath, scope);
    if (!settings || settings->status() != QSettings::NoError)
        return std::nullopt;
    const QVariant value = settings->value(QString::fromUtf8(valueName));
    if (!value.isValid() || value.typeId() != QMetaType::QString)
        return std::nullopt;
    QByteArray text = value.toString().toUtf8();
    // A value too long for the buffer is not read at all: never a cut character.
    if (text.size() + 1 > limit)
        return std::nullopt;
    return text;
}

void copyOut(const QByteArray& text, char* out)
{
    std::memcpy(out, text.constData(), size_t(text.size()) + 1);
}

} // namespace

namespace tavlo {

RegistryWrite WriteUserRegistryValue(const char* keyPath, const char* valueName, const char* text)
{
    const auto settings = valueName ? openKey(keyPath, QSettings::UserScope) : nullptr;
    if (!settings || !settings->isWritable())
        return RegistryWrite::NotOpened;
    settings->setValue(QString::fromUtf8(valueName), QString::fromUtf8(text ? text : ""));
    settings->sync();
    return settings->status() == QSettings::NoError ? RegistryWrite::Written : RegistryWrite::NotWritten;
}

} // namespace tavlo

extern "C" {

int32_t cDoGetRegistryValue_Ex(const char* keyPath, const char* valueName, char* out)
{
    if (out) {
        if (const auto text = readValue(keyPath, valueName, QSettings::UserScope, 128))
            copyOut(*text, out);
    }
    return 1;
}

int32_t cDoGetRegistryValueLocalMachine(const char* keyPath, const char* valueName, char* out)
{
    if (!out)
        return 0;
    const auto text = readValue(keyPath, valueName, QSettings::SystemScope, 1024);
    if (!text)
        return 0;
    copyOut(*text, out);
    return 1;
}

int32_t cDoSetRegistryValue(const char* keyPath, const char* valueName, const char* text)
{
    switch (tavlo::WriteUserRegistryValue(keyPath, valueName, text)) {
    case tavlo::RegistryWrite::NotOpened:
        tavlo::messageSink().show(kLibraryCaption,
                                  QStringLiteral("Feil ved write (1613). Kontakt programvareleverandøren."),
                                  tavlo::MessageIcon::None);
        return 0;
    case tavlo::RegistryWrite::NotWritten:
        tavlo::messageSink().show(kLibraryCaption,
                                  QStringLiteral("Feil ved write (1617). Kontakt programvareleverandøren."),
                                  tavlo::MessageIcon::None);
        return 1;
    case tavlo::RegistryWrite::Written:
        break;
    }
    return 1;
}

const char* cDoGetRegistryValue(const char* valueName)
{
    static char buffer[1024];
    buffer[0] = '\0';
    if (const auto text = readValue("SOFTWARE\\Morvik Rezod AS\\vandrel", valueName, QSettings::UserScope,
                                    sizeof buffer))
        copyOut(*text, buffer);
    return buffer;
}

}
