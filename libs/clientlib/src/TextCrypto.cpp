#include "libs/clientlib/src/TextCrypto.h"

#include <sodium.h>

#include <QByteArray>

#include <vector>

namespace clientlib {
namespace {

const char kPrefix[] = "vt1.";
const char kContext[] = "veltora-clientlib-text-key-v1";

bool ready()
{
    static const bool ok = sodium_init() >= 0;
    return ok;
}

void deriveKey(const QString& key, unsigned char out[crypto_secretbox_KEYBYTES])
{
    const QByteArray k = key.toUtf8();
    crypto_generichash_state st;
    crypto_generichash_init(&st, nullptr, 0, crypto_secretbox_KEYBYTES);
    crypto_generichash_update(&st, reinterpret_cast<const unsigned char*>(kContext), sizeof(kContext) - 1);
    crypto_generichash_update(&st, reinterpret_cast<const unsigned char*>(k.constData()), size_t(k.size()));
    crypto_generichash_final(&st, out, crypto_secretbox_KEYBYTES);
}

}  // namespace

QString EncryptTextWithKey(const QString& text, const QString& key)
{
    if (!ready()) return QString();
    unsigned char k[crypto_secretbox_KEYBYTES];
    deriveKey(key, k);
    const QByteArray plain = text.toUtf8();
    std::vector<unsigned char> box(crypto_secretbox_NONCEBYTES + crypto_secretbox_MACBYTES + size_t(plain.size()));
    unsigned char* nonce = box.data();
    randombytes_buf(nonce, crypto_secretbox_NONCEBYTES);
    crypto_secretbox_easy(box.data() + crypto_secretbox_NONCEBYTES,
                          reinterpret_cast<const unsigned char*>(plain.constData()),
                          static_cast<unsigned long long>(plain.size()), nonce, k);
    sodium_memzero(k, sizeof k);
    const QByteArray raw(reinterpret_cast<const char*>(box.data()), int(box.size()));
    return QLatin1String(kPrefix) +
           QString::fromLatin1(raw.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

QString DecryptTextWithKey(const QString& text, const QString& key)
{
    if (!ready() || !text.startsWith(QLatin1String(kPrefix))) return QString();
    const QByteArray b64 = text.mid(int(sizeof(kPrefix) - 1)).toLatin1();
    // Reject anything outside the URL-safe alphabet instead of skipping it.
    for (char c : b64)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_'))
            return QString();
    const QByteArray raw = QByteArray::fromBase64(b64, QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
    if (raw.size() < int(crypto_secretbox_NONCEBYTES + crypto_secretbox_MACBYTES)) return QString();
    unsigned char k[crypto_secretbox_KEYBYTES];
    deriveKey(key, k);
    const auto* data = reinterpret_cast<const unsigned char*>(raw.constData());
    const size_t boxLen = size_t(raw.size()) - crypto_secretbox_NONCEBYTES;
    std::vector<unsigned char> plain(boxLen - crypto_secretbox_MACBYTES + 1);
    const int rc = crypto_secretbox_open_easy(plain.data(), data + crypto_secretbox_NONCEBYTES, boxLen, data, k);
    sodium_memzero(k, sizeof k);
    if (rc != 0) return QString();
    return QString::fromUtf8(reinterpret_cast<const char*>(plain.data()), int(boxLen - crypto_secretbox_MACBYTES));
}

}  // namespace clientlib
