#pragma once

#include <QString>

// One volume of a book; chapters name it by `localVolumeId` and `volumeId`.
struct T_Volume
{
    int localId = 0;
    int volumeId = 0;
    int localBookId = 0;
    int bookId = 0;
    int orderNum = 0;
    QString volumeName;
    int status = 1;
    int createTime = 0;
};
