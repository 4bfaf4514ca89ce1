#pragma once

// The first steps every reply parser shares: read the body, fill the header,
// check the content's shape. Internal to the parsers.

#include "CTessaneUrl.h"

namespace ReplyParsing {

inline bool objectReply(const QByteArray& body, T_Http_S& head, QJsonObject& content)
{
    const QJsonObject root = CTessaneUrl::rootObject(body);
    CTessaneUrl::parseReplyHeader(root, &head);
    return CTessaneUrl::contentObject(root, content, &head);
}

inline bool arrayReply(const QByteArray& body, T_Http_S& head, QJsonArray& content)
{
    const QJsonObject root = CTessaneUrl::rootObject(body);
    CTessaneUrl::parseReplyHeader(root, &head);
    return CTessaneUrl::contentArray(root, content, &head);
}

// Reads a member whether or not it is present: a missing key gives 0 or the
// empty text.
inline int intOf(const QJsonObject& object, const char* key)
{
    return object.value(QLatin1String(key)).toInt(0);
}

inline QString stringOf(const QJsonObject& object, const char* key)
{
    return object.value(QLatin1String(key)).toString();
}

}
