#include "PictureCode.h"

#include "QAESEncryption.h"

QString decodePictureCode(const QString& base64)
{
    static const QByteArray key = QByteArrayLiteral("Qm7Rw2Lp9Xc4Vn8T");
    QAESEncryption aes(QAESEncryption::AES_128, QAESEncryption::ECB, QAESEncryption::PKCS7);
    const QByteArray plain = aes.removePadding(aes.decode(QByteArray::fromBase64(base64.toUtf8()), key));
    const int nul = plain.indexOf('\0');
    return QString::fromUtf8(nul >= 0 ? plain.left(nul) : plain);
}
