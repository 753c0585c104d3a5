#include "store/accounts/PasswordHash.h"

#include "store/accounts/Crypto.h"

#include <QByteArray>
#include <QStringList>

#include <atomic>
#include <optional>

namespace tavlo {

namespace {

const QString kPrefix = QStringLiteral("$pbkdf2-sha256$i=");
constexpr int kSaltBytes = 16;
constexpr int kDigestBytes = 32;
// A stored count above this is not ours, and would hold the login for seconds on end.
constexpr int kMostIterations = 10000000;

constexpr auto kBase64 = QByteArray::Base64Encoding | QByteArray::OmitTrailingEquals;

std::atomic<int> g_iterations{kPasswordIterations};

struct Parsed {
    int iterations = 0;
    QByteArray salt;
    QByteArray digest;
};

std::optional<Parsed> parse(const QString& stored)
{
    if (!stored.startsWith(kPrefix))
        return std::nullopt;
    const QStringList parts = stored.mid(kPrefix.size()).split(u'$');
    if (parts.size() != 3)
        return std::nullopt;
    Parsed p;
    bool ok = false;
    p.iterations = parts[0].toInt(&ok);
    if (!ok || p.iterations < 1 || p.iterations > kMostIterations)
        return std::nullopt;
    const auto decode = [](const QString& text) {
        return QByteArray::fromBase64Encoding(text.toLatin1(), QByteArray::Base64Encoding | QByteArray::AbortOnBase64DecodingErrors);
    };
    const auto salt = decode(parts[1]);
    const auto digest = decode(parts[2]);
    if (!salt || !digest || salt.decoded.isEmpty() || digest.decoded.size() != kDigestBytes)
        return std::nullopt;
    p.salt = *salt;
    p.digest = *digest;
    return p;
}

QByteArray derive(const QString& password, const QByteArray& salt, int iterations)
{
    return Pbkdf2Sha256(password.toUtf8(), salt, iterations);
}

} // namespace

int PasswordIterations()
{
    return g_iterations.load();
}

void SetPasswordIterationsForTests(int iterations)
{
    g_iterations.store(iterations);
}

QByteArray Pbkdf2Sha256(const QByteArray& secret, const QByteArray& salt, int iterations)
{
    return Pbkdf2HmacSha256(secret, salt, iterations, kDigestBytes);
}

QString HashPassword(const QString& password)
{
    return HashPassword(password, PasswordIterations());
}

QString HashPassword(const QString& password, int iterations)
{
    const QByteArray salt = RandomBytes(kSaltBytes);
    if (salt.isEmpty())
        return {};
    const QByteArray digest = derive(password, salt, iterations);
    if (digest.isEmpty())
        return {};
    return kPrefix + QString::number(iterations) + u'$' + QString::fromLatin1(salt.toBase64(kBase64)) + u'$'
        + QString::fromLatin1(digest.toBase64(kBase64));
}

bool IsPasswordHash(const QString& stored)
{
    return parse(stored).has_value();
}

bool IsDamagedPasswordHash(const QString& stored)
{
    return stored.startsWith(QStringLiteral("$pbkdf2")) && !IsPasswordHash(stored);
}

bool PasswordMatchesHash(const QString& password, const QString& stored)
{
    const auto parsed = parse(stored);
    if (!parsed)
        return false;
    const QByteArray typed = derive(password, parsed->salt, parsed->iterations);
    return typed.size() == kDigestBytes && SameBytesConstantTime(typed, parsed->digest);
}

bool PasswordNeedsRehash(const QString& stored)
{
    const auto parsed = parse(stored);
    return !parsed || parsed->iterations < PasswordIterations();
}

} // namespace tavlo
