#include "TestServer.h"

#include "store/connection/Database.h"

#include <QFile>

#include <gtest/gtest.h>

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
            else if (text.startsWith(u"ADMIN="))
                s.admin.user = value;
            else if (text.startsWith(u"ADMIN_PASSWORD="))
                s.admin.password = value;
            else if (text.startsWith(u"EXAMINER="))
                s.examiner.user = value;
            else if (text.startsWith(u"EXAMINER_PASSWORD="))
                s.examiner.password = value;
            else if (text.startsWith(u"PGPASSFILE="))
                s.passwordFile = value;
        }
        if (s.connectionTemplate.isEmpty() || s.superuser.isEmpty())
            return std::nullopt;
        return s;
    }();
    return server;
}

bool runAsSuperuser(const QString& sql)
{
    Database superuser;
    if (!testServer() || !superuser.connectWith(testServer()->superuser, false))
        return false;
    Statement s(superuser);
    const bool done = s.execDirect(sql);
    EXPECT_TRUE(done) << s.diagnostic().toStdString();
    return done;
}

ServerLogin serverAdmin()
{
    return testServer() ? testServer()->admin : ServerLogin{};
}

void exportTestServerTemplate()
{
    if (!testServer())
        return;
    if (!qEnvironmentVariableIsSet("TAVLO_TEST_POSTGRES_TEMPLATE"))
        qputenv("TAVLO_TEST_POSTGRES_TEMPLATE", testServer()->connectionTemplate.toUtf8());
    qputenv("PGUSER", testServer()->admin.user.toUtf8());
    qputenv("TAVLO_TEST_POSTGRES_USER", testServer()->admin.user.toUtf8());
    qputenv("TAVLO_TEST_POSTGRES_PASSWORD", testServer()->admin.password.toUtf8());
    qputenv("PGPASSFILE", testServer()->passwordFile.toUtf8());
}

} // namespace tavlo::test
