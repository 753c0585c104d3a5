#include "store/accounts/Crypto.h"

#include <QtGlobal>

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>
#include <openssl/sha.h>

#include <dlfcn.h>

namespace tavlo {

namespace {

struct Library {
    decltype(&PKCS5_PBKDF2_HMAC) pbkdf2 = nullptr;
    decltype(&EVP_sha256) sha256Method = nullptr;
    decltype(&HMAC) hmac = nullptr;
    decltype(&SHA256) sha256 = nullptr;
    decltype(&RAND_bytes) randomBytes = nullptr;
    decltype(&CRYPTO_memcmp) compare = nullptr;
    bool loaded = false;
};

template <typename Function>
bool resolve(void* handle, Function& function, const char* name)
{
    function = reinterpret_cast<Function>(dlsym(handle, name));
    return function != nullptr;
}

// Opened once and kept: the handle is never closed, so the pointers stay good.
const Library& library()
{
    static const Library opened = [] {
        Library lib;
        void* handle = dlopen(TAVLO_CRYPTO_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            qWarning("%s could not be opened: %s", TAVLO_CRYPTO_LIBRARY, dlerror());
            return lib;
        }
        lib.loaded = resolve(handle, lib.pbkdf2, "PKCS5_PBKDF2_HMAC") && resolve(handle, lib.sha256Method, "EVP_sha256")
                     && resolve(handle, lib.hmac, "HMAC") && resolve(handle, lib.sha256, "SHA256")
                     && resolve(handle, lib.randomBytes, "RAND_bytes") && resolve(handle, lib.compare, "CRYPTO_memcmp");
        if (!lib.loaded)
            qWarning("%s lacks a function: %s", TAVLO_CRYPTO_LIBRARY, dlerror());
        return lib;
    }();
    return opened;
}

const unsigned char* bytesOf(const QByteArray& bytes)
{
    return reinterpret_cast<const unsigned char*>(bytes.constData());
}

unsigned char* bytesOf(QByteArray& bytes)
{
    return reinterpret_cast<unsigned char*>(bytes.data());
}

} // namespace

QByteArray Pbkdf2HmacSha256(const QByteArray& secret, const QByteArray& salt, int iterations, int bytes)
{
    const Library& lib = library();
    QByteArray key(bytes, Qt::Uninitialized);
    if (!lib.loaded
        || lib.pbkdf2(secret.constData(), int(secret.size()), bytesOf(salt), int(salt.size()), iterations,
                      lib.sha256Method(), int(key.size()), bytesOf(key))
               != 1)
        return {};
    return key;
}

QByteArray HmacSha256(const QByteArray& key, const QByteArray& data)
{
    const Library& lib = library();
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!lib.loaded
        || !lib.hmac(lib.sha256Method(), key.constData(), int(key.size()), bytesOf(data), size_t(data.size()), out, &length))
        return {};
    return QByteArray(reinterpret_cast<const char*>(out), int(length));
}

QByteArray Sha256(const QByteArray& data)
{
    const Library& lib = library();
    QByteArray digest(SHA256_DIGEST_LENGTH, Qt::Uninitialized);
    if (!lib.loaded || !lib.sha256(bytesOf(data), size_t(data.size()), bytesOf(digest)))
        return {};
    return digest;
}

QByteArray RandomBytes(int count)
{
    const Library& lib = library();
    QByteArray bytes(count, Qt::Uninitialized);
    if (!lib.loaded || lib.randomBytes(bytesOf(bytes), count) != 1)
        return {};
    return bytes;
}

bool SameBytesConstantTime(const QByteArray& a, const QByteArray& b)
{
    const Library& lib = library();
    return lib.loaded && a.size() == b.size() && lib.compare(a.constData(), b.constData(), size_t(a.size())) == 0;
}

} // namespace tavlo
