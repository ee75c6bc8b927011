#pragma once
// Authenticated encryption of short texts (remembered passwords, session
// ids): XSalsa20-Poly1305 with a key derived from the caller's key text by
// BLAKE2b, a random nonce per text, written as URL-safe Base64 with a
// version prefix. The same key text gives the same key in every run.
#include <QString>

namespace clientlib {

QString EncryptTextWithKey(const QString& text, const QString& key);
// "" for anything EncryptTextWithKey did not make with the same key.
QString DecryptTextWithKey(const QString& text, const QString& key);

}  // namespace clientlib
