#pragma once
// The few OpenSSL functions the accounts need, from a library opened at the first use: most
// jobs of the tool never touch a password, and binding OpenSSL at every start cost each of
// them most of a millisecond.

#include <QByteArray>

namespace tavlo {

// Each returns empty (or false) when OpenSSL cannot be opened or fails; why goes to the
// warning log.
QByteArray Pbkdf2HmacSha256(const QByteArray& secret, const QByteArray& salt, int iterations, int bytes);
QByteArray HmacSha256(const QByteArray& key, const QByteArray& data);
QByteArray Sha256(const QByteArray& data);
// Bytes from the system's random source, fit for salts.
QByteArray RandomBytes(int count);
// Whether two texts of equal length are equal, in time that does not depend on where they differ.
bool SameBytesConstantTime(const QByteArray& a, const QByteArray& b);

} // namespace tavlo
