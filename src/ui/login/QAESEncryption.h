#pragma once

#include <QByteArray>
#include <QObject>

// Decrypts AES data (128, 192 or 256-bit keys; ECB, CBC, CFB-128 or OFB) and
// strips zero, PKCS #7 or ISO/IEC 7816-4 padding. Only the decrypting
// direction exists: the client never enciphers anything. The block cipher
// itself is OpenSSL's.
class QAESEncryption : public QObject
{
    Q_OBJECT
public:
    enum Aes { AES_128 = 0, AES_192 = 1, AES_256 = 2 };
    enum Mode { ECB = 0, CBC = 1, CFB = 2, OFB = 3 };
    enum Padding { ZERO = 0, PKCS7 = 1, ISO = 2 };

    // A level outside 0-2 is taken as AES-128.
    QAESEncryption(int level, int mode, int padding = ISO);

    // The decrypted bytes with the padding still in place. Empty when the
    // input is empty, the mode is unknown, a chaining mode lacks a 16-byte
    // iv, the key does not have the level's length, or ECB/CBC input is not
    // a whole number of blocks.
    QByteArray decode(const QByteArray& rawText, const QByteArray& key, const QByteArray& iv = QByteArray()) const;
    QByteArray removePadding(const QByteArray& rawText) const;

    // a[i] XOR b[i] over the shorter of the two.
    static QByteArray byteXor(const QByteArray& a, const QByteArray& b);

    int level() const { return m_level; }
    int keyLength() const { return m_keyLen; }
    int rounds() const { return m_nr; }

private:
    static constexpr int kNb = 4;
    static constexpr int kBlockLen = 16;
    int m_level = AES_128;
    int m_mode = ECB;
    int m_nk = 4;
    int m_keyLen = 16;
    int m_nr = 10;
    int m_padding = ISO;
};
