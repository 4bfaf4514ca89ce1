#pragma once

#include <QByteArray>
#include <QString>

// The identity of a request: which job and which objects it belongs to. It
// travels as the "userdata" header and the platform echoes it in its reply, so
// a reply finds its job without any lookup table.
struct T_Http_Custom
{
    int localBookId = 0;
    int bookId = 0;
    int localChapterId = 0;
    int chapterId = 0;
    int jobId = 0;
    int jobType = 0;
    int runNext = 0;
    int uid = 0;
    int synStep = 0;
    int localMemoId = 0;
    int memoId = 0;
    int localVolumeId = 0;
    int volumeId = 0;

    // "uid,jobType,localBookId,bookId,localChapterId,chapterId,jobId,runNext,
    //  synStep,localMemoId,memoId,localVolumeId,volumeId"
    QByteArray toUserData() const;
    // Leaves the record unchanged when the text has fewer than 13 parts; a
    // part that is no decimal integer reads as 0.
    void fromUserData(const QString& text);

    bool operator==(const T_Http_Custom& other) const;
    bool operator!=(const T_Http_Custom& other) const { return !(*this == other); }
};
