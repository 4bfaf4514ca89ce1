#include "ServerClock.h"

#include "Utility.h"

#include <QDateTime>

namespace {
// Seconds the local clock runs ahead of the server (negative when behind).
// Written only on the GUI thread, where every reply is parsed.
qint64 g_clockOffset = 0;
}

qint64 currentServerTime()
{
    return QDateTime::currentDateTime().toSecsSinceEpoch() - g_clockOffset;
}

void setServerTimeOffset(qint64 serverTime)
{
    if (serverTime <= 0 || g_clockOffset != 0)
        return;
    const qint64 local = static_cast<quint32>(QDateTime::currentDateTime().toSecsSinceEpoch());
    g_clockOffset = local - serverTime;
}

QString makeUniqueCode(int userId, qint64 time)
{
    return stringMd5(QStringLiteral("%1+Tessane+%2").arg(userId).arg(time));
}

void resetServerTimeOffset()
{
    g_clockOffset = 0;
}
