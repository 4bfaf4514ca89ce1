#pragma once

// Requests and replies of the volume endpoints. The header's local and server
// volume ids name the volume.

#include "ReplyBase.h"
#include "remote/T_Http_Custom.h"

#include <QList>
#include <QString>

namespace JobType {
enum VolumeJobs {
    VolumeMenu = 1030,
    VolumeAdd = 1031,
    VolumeEdit = 1032,
    VolumeDelRestore = 1033,
    VolumeMove = 1034,
};
}

struct TC_Volume_Menu
{
    T_Http_Custom header;
    int bookId = 0;
    QString order = QStringLiteral("asc");
    TC_Volume_Menu() { header.jobType = JobType::VolumeMenu; }
};

struct T_Volume_MenuItem
{
    int bookId = 0;
    int volumeId = 0;
    int orderNum = 0;
    int status = 0;
    QString volumeName;
};

struct TS_Volume_Menu
{
    T_Http_S header;
    int book_id = 0;
    QList<T_Volume_MenuItem> items;
};

struct TC_Volume_Add
{
    T_Http_Custom header;
    QString volumeName;
    int updateTime = 0;
    int orderNum = 0;
    int status = 1;

    TC_Volume_Add() { header.jobType = JobType::VolumeAdd; }
    TC_Volume_Add(int localBookId, int bookId, int localVolumeId, int order, int time,
                  const QString& name, int newStatus = 1)
        : TC_Volume_Add()
    {
        header.localBookId = localBookId;
        header.bookId = bookId;
        header.localVolumeId = localVolumeId;
        orderNum = order;
        updateTime = time;
        volumeName = name;
        status = newStatus;
    }
};

struct TS_Volume_Add
{
    T_Http_S header;
    int volume_id = 0;
};

struct TC_Volume_Edit
{
    T_Http_Custom header;
    QString volumeName;
    int updateTime = 0;
    TC_Volume_Edit() { header.jobType = JobType::VolumeEdit; }
};

struct TC_Volume_Delete
{
    T_Http_Custom header;
    int type = 0; // the new status: 0 deleted, 1 restored
    int updateTime = 0;
    TC_Volume_Delete() { header.jobType = JobType::VolumeDelRestore; }
    // The delete (type 0) or restore (type 1) of one volume of the model.
    template <typename Volume>
    TC_Volume_Delete(const Volume& volume, int newType, int time) : TC_Volume_Delete()
    {
        header.localBookId = volume.localBookId;
        header.bookId = volume.bookId;
        header.localVolumeId = volume.localId;
        header.volumeId = volume.volumeId;
        type = newType;
        updateTime = time;
    }
};

struct TC_Volume_Move
{
    T_Http_Custom header;
    int localFromVolumeId = 0;
    int fromVolumeId = 0;
    int localToVolumeId = 0;
    int toVolumeId = 0;
    int updateTime = 0;
    TC_Volume_Move() { header.jobType = JobType::VolumeMove; }
};
