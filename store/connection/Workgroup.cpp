#include "store/connection/Workgroup.h"

#include "store/connection/ConnectionString.h"
#include "store/files/InputFile.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>


namespace tavlo {

namespace {

const QByteArray kSection = "[Connection]";
const QByteArray kTemplateKey = "Template=";
constexpr qint64 kWorkgroupFileLimit = 1024 * 1024;

} // namespace

std::optional<QString> ReadConnectionTemplate(const QString& workgroupPath, QString* error)
{
    // A few lines of text; a FIFO or a device in its place must not hold the start-up.
    QString why;
    const auto bytes = ReadInputFile(workgroupPath, kWorkgroupFileLimit, &why);
    if (!bytes) {
        if (error)
            *error = QStringLiteral("Arbeidsgruppefilen %1 kan ikke leses. Kontroller at databasemappen er riktig, "
                                    "og at du har lesetilgang til filen.\n\n%2")
                         .arg(QDir::toNativeSeparators(workgroupPath), why);
        return std::nullopt;
    }
    // Values stand as written: tabs and blanks in a template are part of it.
    bool inSection = false;
    for (QByteArray line : bytes->split('\n')) {
        while (line.endsWith('\r'))
            line.chop(1);
        if (line.startsWith('['))
            inSection = line.trimmed() == kSection;
        else if (inSection && line.startsWith(kTemplateKey))
            return QString::fromUtf8(line.mid(kTemplateKey.size()));
    }
    if (error)
        *error = QStringLiteral("Arbeidsgruppefilen %1 har ingen tilkoblingsmal.").arg(workgroupPath);
    return std::nullopt;
}

bool WorkgroupNamesServer(const QString& workgroupPath)
{
    const auto connectionTemplate = ReadConnectionTemplate(workgroupPath, nullptr);
    return connectionTemplate && NamesServer(*connectionTemplate);
}

bool WriteWorkgroupFile(const QString& workgroupPath, const QString& connectionTemplate, QString* error,
                        QFileDevice::Permissions permissions)
{
    QSaveFile file(workgroupPath);
    // Set on the temporary file before anything is in it, so the committed file never was
    // readable by more users than the database.
    if (file.open(QIODevice::WriteOnly) && file.setPermissions(permissions)) {
        file.write("; TAVLO-II workgroup file: how the program reaches its database.\n"
                   "; Template is filled with the database path (%1), this file's path (%2),\n"
                   "; and on a server the examiner's own role (%3) and password (%4), typed at the login.\n");
        file.write(kSection + '\n' + kTemplateKey + connectionTemplate.toUtf8() + '\n');
        if (file.commit())
            return true;
    }
    if (error)
        *error = file.errorString();
    return false;
}

QString FillConnectionTemplate(const QString& connectionTemplate, const QStringList& values)
{
    QString out;
    qsizetype next = 0;
    for (qsizetype i = 0; i < connectionTemplate.size(); ++i) {
        const QChar c = connectionTemplate[i];
        if (c != u'%' || i + 1 == connectionTemplate.size()) {
            out += c;
            continue;
        }
        const QChar kind = connectionTemplate[i + 1];
        if (kind == u's') {
            out += values.value(next++);
            ++i;
        } else if (kind >= u'1' && kind <= u'9') {
            out += values.value(kind.unicode() - u'1');
            ++i;
        } else if (kind == u'%') {
            out += u'%';
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace tavlo
