#include "TestServer.h"

#include <QFile>

namespace tavlo::test {

const std::optional<TestServer>& testServer()
{
    static const std::optional<TestServer> server = []() -> std::optional<TestServer> {
        QFile file(QStringLiteral(TAVLO_TEST_POSTGRES_FILE));
        if (!file.open(QIODevice::ReadOnly))
            return std::nullopt;
        TestServer s;
        for (const QByteArray& line : file.readAll().split('\n')) {
            const QString text = QString::fromUtf8(line);
            const QString value = text.section(u'=', 1);
            if (text.startsWith(u"TEMPLATE="))
                s.connectionTemplate = value;
            else if (text.startsWith(u"FOLDER="))
                s.folder = value;
            else if (text.startsWith(u"SERVER="))
                s.server = value;
            else if (text.startsWith(u"SUPERUSER="))
                s.superuser = value;
        }
        if (s.connectionTemplate.isEmpty() || s.superuser.isEmpty())
            return std::nullopt;
        return s;
    }();
    return server;
}

void exportTestServerTemplate()
{
    if (!qEnvironmentVariableIsSet("TAVLO_TEST_POSTGRES_TEMPLATE") && testServer())
        qputenv("TAVLO_TEST_POSTGRES_TEMPLATE", testServer()->connectionTemplate.toUtf8());
}

} // namespace tavlo::test
