// The request identity block read back from a reply's echo.

#include "FuzzTarget.h"

#include "remote/T_Http_Custom.h"

#include <cstdio>

FUZZ_TARGET(userdata)(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<int>(size));
    T_Http_Custom block;
    block.fromUserData(text);
    // Whatever was read travels again unchanged.
    T_Http_Custom again;
    again.fromUserData(QString::fromLatin1(block.toUserData()));
    FUZZ_CHECK(again == block);
    return 0;
}
