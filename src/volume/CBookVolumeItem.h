#pragma once

#include "db/records/T_Volume.h"

#include <QObject>
#include <QPointer>

class CBookChapterModel;
class CBookChapterSortModel;

// One volume row of the tree: a copy of the volume's record, the row's view
// state (never stored) and the volume's chapter list with its sort proxy,
// both owned by the item.
class CBookVolumeItem : public QObject
{
    Q_OBJECT
public:
    explicit CBookVolumeItem(QObject* parent = nullptr);
    ~CBookVolumeItem() override;

    T_Volume volume;
    bool isExpand = true;
    bool selected = false;
    bool editing = false;
    int moveLine = -1;
    QPointer<CBookChapterModel> chapterModel;
    QPointer<CBookChapterSortModel> chapterSortModel;
};
