#include "ui/login/PictureCode.h"
#include "ui/login/QAESEncryption.h"

#include <QTest>

namespace {
QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

const QByteArray kSpKey = QByteArray::fromHex("2b7e151628aed2a6abf7158809cf4f3c");
}

class TestLoginAes : public QObject
{
    Q_OBJECT

private slots:
    void publishedVectorDecrypts();
    void malformedKeyOrPartialBlockGiveNothing();
    void pkcs7RemovalLeavesImplausiblePaddingAlone();
};

void TestLoginAes::publishedVectorDecrypts()
{
    QAESEncryption aes(QAESEncryption::AES_128, QAESEncryption::ECB, QAESEncryption::ZERO);
    QCOMPARE(aes.decode(hex("69c4e0d86a7b0430d8cdb78070b4c55a"), hex("000102030405060708090a0b0c0d0e0f")).toHex(),
             QByteArray("00112233445566778899aabbccddeeff"));
}

void TestLoginAes::malformedKeyOrPartialBlockGiveNothing()
{
    QAESEncryption ecb(QAESEncryption::AES_128, QAESEncryption::ECB, QAESEncryption::ZERO);
    const QByteArray block = hex("3ad77bb40d7a3660a89ecaf32466ef97");
    QVERIFY(ecb.decode(block, kSpKey.left(15)).isEmpty());
    QVERIFY(ecb.decode(block, kSpKey + kSpKey).isEmpty());
    QVERIFY(ecb.decode(block + "abc", kSpKey).isEmpty());
}

void TestLoginAes::pkcs7RemovalLeavesImplausiblePaddingAlone()
{
    QAESEncryption aes(QAESEncryption::AES_128, QAESEncryption::ECB, QAESEncryption::PKCS7);
    QCOMPARE(aes.removePadding(QByteArray("abc\x03\x03\x03")), QByteArray("abc"));
    QCOMPARE(aes.removePadding(QByteArray("abc\x01")), QByteArray("abc"));
    const QByteArray endsInZero("abc\0", 4);
    QCOMPARE(aes.removePadding(endsInZero), endsInZero);
    const QByteArray endsHigh("abc\x80");
    QCOMPARE(aes.removePadding(endsHigh), endsHigh);
    const QByteArray tooLong("ab\x09");
    QCOMPARE(aes.removePadding(tooLong), tooLong);
    QCOMPARE(aes.removePadding(QByteArray()), QByteArray());
}

QTEST_GUILESS_MAIN(TestLoginAes)
#include "tst_LoginAes.moc"
