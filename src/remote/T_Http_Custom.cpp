#include "T_Http_Custom.h"

#include <QStringList>
#include <QVector>

namespace {
// The fields in wire order.
QVector<int T_Http_Custom::*> wireOrder()
{
    return {&T_Http_Custom::uid, &T_Http_Custom::jobType, &T_Http_Custom::localBookId,
            &T_Http_Custom::bookId, &T_Http_Custom::localChapterId, &T_Http_Custom::chapterId,
            &T_Http_Custom::jobId, &T_Http_Custom::runNext, &T_Http_Custom::synStep,
            &T_Http_Custom::localMemoId, &T_Http_Custom::memoId, &T_Http_Custom::localVolumeId,
            &T_Http_Custom::volumeId};
}
}

QByteArray T_Http_Custom::toUserData() const
{
    QByteArray text;
    const auto fields = wireOrder();
    for (int i = 0; i < fields.size(); ++i) {
        if (i > 0)
            text += ',';
        text += QByteArray::number(this->*fields.at(i));
    }
    return text;
}

void T_Http_Custom::fromUserData(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    const auto fields = wireOrder();
    if (parts.size() < fields.size())
        return;
    for (int i = 0; i < fields.size(); ++i) {
        bool ok = false;
        const int value = parts.at(i).toInt(&ok, 10);
        this->*fields.at(i) = ok ? value : 0;
    }
}

bool T_Http_Custom::operator==(const T_Http_Custom& o) const
{
    for (auto field : wireOrder()) {
        if (this->*field != o.*field)
            return false;
    }
    return true;
}
