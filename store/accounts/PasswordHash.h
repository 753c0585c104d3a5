#pragma once
// How a password is kept in SEC: a salted PBKDF2-HMAC-SHA256 digest in one self-describing
// text, "$pbkdf2-sha256$i=<iterations>$<salt>$<digest>" (base64 without padding), so that a
// later version can raise the count and still read what is stored.

#include <QByteArray>
#include <QString>

namespace tavlo {

// What a clinic's password rules may ask for; the three-character minimum is the login's own.
inline constexpr int kPasswordShortest = 3;
inline constexpr int kPasswordLongest = 64;

// OWASP's figure for PBKDF2-HMAC-SHA256; about a third of a second on a small machine.
inline constexpr int kPasswordIterations = 600000;

// The count new digests get, and below which a login writes a stored one again:
// kPasswordIterations in the program.
int PasswordIterations();
// Only test programs call this, to make their hundreds of databases and logins cheap; the
// program never does, so what it writes and accepts as current stays at kPasswordIterations.
void SetPasswordIterationsForTests(int iterations);

// PBKDF2-HMAC-SHA256 of 32 bytes; empty when the library fails.
QByteArray Pbkdf2Sha256(const QByteArray& secret, const QByteArray& salt, int iterations);

// A new digest with a fresh random salt: two users with the same password never share one.
// Empty only when the system could give no random bytes.
QString HashPassword(const QString& password);
QString HashPassword(const QString& password, int iterations);

// Whether stored is a digest in this form (anything else is a password kept as typed).
bool IsPasswordHash(const QString& stored);
// Whether stored claims to be a digest but is not a sound one (cut short, or with a count of
// rounds no program of ours writes): damaged, not a password kept as typed.
bool IsDamagedPasswordHash(const QString& stored);

// Whether password matches the digest, compared in time that does not depend on where they
// differ. A malformed digest matches nothing.
bool PasswordMatchesHash(const QString& password, const QString& stored);

// Whether a matching stored value should be written again: kept as typed, or with fewer
// iterations than PasswordIterations().
bool PasswordNeedsRehash(const QString& stored);

} // namespace tavlo
