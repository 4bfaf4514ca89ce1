#include "ui/login/PictureCode.h"
#include "ui/login/QAESEncryption.h"

#include <QTest>

namespace {
QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

const QByteArray kSpKey = QByteArray::fromHex("2b7e151628aed2a6abf7158809cf4f3c");
const QByteArray kSpIv = QByteArray::fromHex("000102030405060708090a0b0c0d0e0f");
const QByteArray kSpPlain = QByteArray::fromHex("6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51");
}

class TestLoginAes : public QObject
{
    Q_OBJECT

private slots:
    void publishedSingleBlockVectorsDecrypt_data();
    void publishedSingleBlockVectorsDecrypt();
    void chainingModesDecryptPublishedVectors_data();
    void chainingModesDecryptPublishedVectors();
    void cfbAndOfbDecryptAShortLastBlock();
    void emptyInputGivesEmptyResultInEveryMode();
    void chainingModesWithoutA16ByteIvGiveNothing();
    void malformedKeyOrPartialBlockGiveNothing();
    void unknownLevelIsAes128AndUnknownModeGivesNothing();
    void pkcs7RemovalLeavesImplausiblePaddingAlone();
    void zeroAndIsoPaddingRemoval();
    void byteXorRunsOverTheShorterOperand();
    void pictureCodeDecodesThePlatformsText();
    void pictureCodeThatDoesNotDecodeIsEmpty();
};

void TestLoginAes::publishedSingleBlockVectorsDecrypt_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("cipher");
    QTest::newRow("AES-128") << 0 << hex("000102030405060708090a0b0c0d0e0f")
                             << hex("69c4e0d86a7b0430d8cdb78070b4c55a");
    QTest::newRow("AES-192") << 1 << hex("000102030405060708090a0b0c0d0e0f1011121314151617")
                             << hex("dda97ca4864cdfe06eaf70a0ec0d7191");
    QTest::newRow("AES-256") << 2 << hex("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f")
                             << hex("8ea2b7ca516745bfeafc49904b496089");
}

void TestLoginAes::publishedSingleBlockVectorsDecrypt()
{
    QFETCH(int, level);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, cipher);
    QAESEncryption aes(level, QAESEncryption::ECB, QAESEncryption::ZERO);
    QCOMPARE(aes.decode(cipher, key).toHex(), QByteArray("00112233445566778899aabbccddeeff"));
}

void TestLoginAes::chainingModesDecryptPublishedVectors_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QByteArray>("cipher");
    QTest::newRow("ECB") << int(QAESEncryption::ECB)
                         << hex("3ad77bb40d7a3660a89ecaf32466ef97f5d3d58503b9699de785895a96fdbaaf");
    QTest::newRow("CBC") << int(QAESEncryption::CBC)
                         << hex("7649abac8119b246cee98e9b12e9197d5086cb9b507219ee95db113a917678b2");
    QTest::newRow("CFB") << int(QAESEncryption::CFB)
                         << hex("3b3fd92eb72dad20333449f8e83cfb4ac8a64537a0b3a93fcde3cdad9f1ce58b");
    QTest::newRow("OFB") << int(QAESEncryption::OFB)
                         << hex("3b3fd92eb72dad20333449f8e83cfb4a7789508d16918f03f53c52dac54ed825");
}

void TestLoginAes::chainingModesDecryptPublishedVectors()
{
    QFETCH(int, mode);
    QFETCH(QByteArray, cipher);
    QAESEncryption aes(QAESEncryption::AES_128, mode, QAESEncryption::ISO);
    QCOMPARE(aes.decode(cipher, kSpKey, kSpIv).toHex(), kSpPlain.toHex());
}

void TestLoginAes::cfbAndOfbDecryptAShortLastBlock()
{
    const QByteArray cfb = hex("3b3fd92eb72dad20333449f8e83cfb4ac8a64537a0");
    QAESEncryption aesCfb(QAESEncryption::AES_128, QAESEncryption::CFB, QAESEncryption::ISO);
    QCOMPARE(aesCfb.decode(cfb, kSpKey, kSpIv).toHex(), kSpPlain.left(21).toHex());
    const QByteArray ofb = hex("3b3fd92eb72dad20333449f8e83cfb4a7789");
    QAESEncryption aesOfb(QAESEncryption::AES_128, QAESEncryption::OFB, QAESEncryption::ISO);
    QCOMPARE(aesOfb.decode(ofb, kSpKey, kSpIv).toHex(), kSpPlain.left(18).toHex());
}

void TestLoginAes::emptyInputGivesEmptyResultInEveryMode()
{
    for (int mode = 0; mode < 4; ++mode) {
        QAESEncryption aes(QAESEncryption::AES_128, mode, QAESEncryption::PKCS7);
        QVERIFY2(aes.decode(QByteArray(), kSpKey, kSpIv).isEmpty(), qPrintable(QString::number(mode)));
    }
}

void TestLoginAes::chainingModesWithoutA16ByteIvGiveNothing()
{
    const QByteArray block = kSpPlain.left(16);
    for (int mode : {QAESEncryption::CBC, QAESEncryption::CFB, QAESEncryption::OFB}) {
        QAESEncryption aes(QAESEncryption::AES_128, mode, QAESEncryption::ZERO);
        QVERIFY(aes.decode(block, kSpKey).isEmpty());
        QVERIFY(aes.decode(block, kSpKey, kSpIv.left(15)).isEmpty());
        QVERIFY(aes.decode(block, kSpKey, kSpIv + "x").isEmpty());
    }
    // ECB ignores the iv.
    QAESEncryption ecb(QAESEncryption::AES_128, QAESEncryption::ECB, QAESEncryption::ZERO);
    QCOMPARE(ecb.decode(hex("3ad77bb40d7a3660a89ecaf32466ef97"), kSpKey, kSpIv.left(3)).toHex(),
             kSpPlain.left(16).toHex());
}

void TestLoginAes::malformedKeyOrPartialBlockGiveNothing()
{
    QAESEncryption ecb(QAESEncryption::AES_128, QAESEncryption::ECB, QAESEncryption::ZERO);
    const QByteArray block = hex("3ad77bb40d7a3660a89ecaf32466ef97");
    QVERIFY(ecb.decode(block, kSpKey.left(15)).isEmpty());
    QVERIFY(ecb.decode(block, kSpKey + kSpKey).isEmpty());
    QVERIFY(ecb.decode(block + "abc", kSpKey).isEmpty());
    QAESEncryption cbc(QAESEncryption::AES_128, QAESEncryption::CBC, QAESEncryption::ZERO);
    QVERIFY(cbc.decode(block.left(15), kSpKey, kSpIv).isEmpty());
}

void TestLoginAes::unknownLevelIsAes128AndUnknownModeGivesNothing()
{
    QAESEncryption seven(7, QAESEncryption::ECB, QAESEncryption::ZERO);
    QCOMPARE(seven.keyLength(), 16);
    QCOMPARE(seven.rounds(), 10);
    QCOMPARE(seven.decode(hex("3ad77bb40d7a3660a89ecaf32466ef97"), kSpKey).toHex(), kSpPlain.left(16).toHex());
    QAESEncryption bad(QAESEncryption::AES_128, 9, QAESEncryption::ZERO);
    QVERIFY(bad.decode(hex("3ad77bb40d7a3660a89ecaf32466ef97"), kSpKey, kSpIv).isEmpty());
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

void TestLoginAes::zeroAndIsoPaddingRemoval()
{
    QAESEncryption zero(QAESEncryption::AES_128, QAESEncryption::ECB, QAESEncryption::ZERO);
    QCOMPARE(zero.removePadding(QByteArray("abc\0\0\0", 6)), QByteArray("abc"));
    QCOMPARE(zero.removePadding(QByteArray(5, '\0')), QByteArray());
    QAESEncryption iso(QAESEncryption::AES_128, QAESEncryption::ECB, QAESEncryption::ISO);
    QCOMPARE(iso.removePadding(QByteArray("abc\x80\0\0", 6)), QByteArray("abc"));
    QCOMPARE(iso.removePadding(QByteArray("abc\x80")), QByteArray("abc"));
    const QByteArray notIso("abc\x7f\0", 5);
    QCOMPARE(iso.removePadding(notIso), notIso);
    QCOMPARE(iso.removePadding(QByteArray(3, '\0')), QByteArray(3, '\0'));
    QAESEncryption other(QAESEncryption::AES_128, QAESEncryption::ECB, 5);
    QCOMPARE(other.removePadding(QByteArray("abc\x01")), QByteArray("abc\x01"));
}

void TestLoginAes::byteXorRunsOverTheShorterOperand()
{
    QCOMPARE(QAESEncryption::byteXor(hex("ff00ff"), hex("0f0f")).toHex(), QByteArray("f00f"));
    QVERIFY(QAESEncryption::byteXor(QByteArray(), hex("01")).isEmpty());
}

void TestLoginAes::pictureCodeDecodesThePlatformsText()
{
    QCOMPARE(decodePictureCode(QStringLiteral("ClHk80eaIGR+3X8m3b/Fsg==")), QStringLiteral("1234"));
    QCOMPARE(decodePictureCode(QStringLiteral("onbojySUmCq9Jhq/mAc/hw==")), QStringLiteral("AbCd"));
}

void TestLoginAes::pictureCodeThatDoesNotDecodeIsEmpty()
{
    // The stand-in's old plain text, and text that is no Base64 at all.
    QCOMPARE(decodePictureCode(QStringLiteral("1234")), QString());
    QCOMPARE(decodePictureCode(QStringLiteral("%%%")), QString());
    QCOMPARE(decodePictureCode(QString()), QString());
}

QTEST_GUILESS_MAIN(TestLoginAes)
#include "tst_LoginAes.moc"
