#pragma once

#include <QString>

// The picture verification code as the platform sends it: Base64 of the
// AES-128-ECB enciphered, PKCS #7 padded code. Gives the code's text (up to
// a first zero byte), or an empty text when it does not decode.
QString decodePictureCode(const QString& base64);
