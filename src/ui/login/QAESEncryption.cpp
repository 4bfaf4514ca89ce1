#include "QAESEncryption.h"


#include <openssl/evp.h>

#include <memory>

namespace {

const EVP_CIPHER* cipherFor(int level, int mode)
{
    static const EVP_CIPHER* (*const table[3][4])() = {
        {EVP_aes_128_ecb, EVP_aes_128_cbc, EVP_aes_128_cfb128, EVP_aes_128_ofb},
        {EVP_aes_192_ecb, EVP_aes_192_cbc, EVP_aes_192_cfb128, EVP_aes_192_ofb},
        {EVP_aes_256_ecb, EVP_aes_256_cbc, EVP_aes_256_cfb128, EVP_aes_256_ofb},
    };
    if (level < 0 || level > 2 || mode < 0 || mode > 3)
        return nullptr;
    return table[level][mode]();
}

struct CtxFree
{
    void operator()(EVP_CIPHER_CTX* ctx) const { EVP_CIPHER_CTX_free(ctx); }
};

}

QAESEncryption::QAESEncryption(int level, int mode, int padding)
    : m_level(level >= AES_128 && level <= AES_256 ? level : AES_128), m_mode(mode), m_padding(padding)
{
    static const int nk[] = {4, 6, 8};
    static const int nr[] = {10, 12, 14};
    m_nk = nk[m_level];
    m_keyLen = m_nk * 4;
    m_nr = nr[m_level];
}

QByteArray QAESEncryption::decode(const QByteArray& rawText, const QByteArray& key, const QByteArray& iv) const
{
    const EVP_CIPHER* cipher = cipherFor(m_level, m_mode);
    if (!cipher || rawText.isEmpty())
        return QByteArray();
    if (m_mode != ECB && iv.size() != kBlockLen)
        return QByteArray();
    // Anything else would read past the key or the last block.
    if (key.size() != m_keyLen)
        return QByteArray();
    if ((m_mode == ECB || m_mode == CBC) && rawText.size() % kBlockLen != 0)
        return QByteArray();

    std::unique_ptr<EVP_CIPHER_CTX, CtxFree> ctx(EVP_CIPHER_CTX_new());
    if (!ctx)
        return QByteArray();
    const auto* keyBytes = reinterpret_cast<const unsigned char*>(key.constData());
    const auto* ivBytes = m_mode == ECB ? nullptr : reinterpret_cast<const unsigned char*>(iv.constData());
    if (EVP_DecryptInit_ex(ctx.get(), cipher, nullptr, keyBytes, ivBytes) != 1)
        return QByteArray();
    // Padding is the caller's business (removePadding).
    EVP_CIPHER_CTX_set_padding(ctx.get(), 0);

    QByteArray out(rawText.size() + kBlockLen, '\0');
    int written = 0;
    if (EVP_DecryptUpdate(ctx.get(), reinterpret_cast<unsigned char*>(out.data()), &written,
                          reinterpret_cast<const unsigned char*>(rawText.constData()), rawText.size())
        != 1)
        return QByteArray();
    int tail = 0;
    if (EVP_DecryptFinal_ex(ctx.get(), reinterpret_cast<unsigned char*>(out.data()) + written, &tail) != 1)
        return QByteArray();
    out.truncate(written + tail);
    return out;
}

QByteArray QAESEncryption::removePadding(const QByteArray& rawText) const
{
    if (rawText.isEmpty())
        return rawText;
    QByteArray text = rawText;
    switch (m_padding) {
    case ZERO: {
        int end = text.size();
        while (end > 0 && text.at(end - 1) == '\0')
            --end;
        text.truncate(end);
        return text;
    }
    case PKCS7: {
        const int n = static_cast<signed char>(text.at(text.size() - 1));
        if (n >= 1 && n <= text.size())
            text.chop(n);
        return text;
    }
    case ISO: {
        for (int i = text.size() - 1; i >= 0; --i) {
            if (text.at(i) == '\0')
                continue;
            if (static_cast<unsigned char>(text.at(i)) == 0x80)
                text.truncate(i);
            break;
        }
        return text;
    }
    default:
        return text;
    }
}

QByteArray QAESEncryption::byteXor(const QByteArray& a, const QByteArray& b)
{
    const int n = qMin(a.size(), b.size());
    QByteArray out(n, '\0');
    for (int i = 0; i < n; ++i)
        out[i] = static_cast<char>(a.at(i) ^ b.at(i));
    return out;
}
