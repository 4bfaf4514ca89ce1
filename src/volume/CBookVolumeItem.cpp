#include "CBookVolumeItem.h"

#include "CBookChapterModel.h"
#include "CBookChapterSortModel.h"

CBookVolumeItem::CBookVolumeItem(QObject* parent) : QObject(parent)
{
    chapterModel = new CBookChapterModel(this);
    chapterSortModel = new CBookChapterSortModel(this);
    chapterSortModel->setSourceModel(chapterModel);
}

CBookVolumeItem::~CBookVolumeItem()
{
    // The proxy goes first so that it never watches a model being destroyed.
    delete chapterSortModel.data();
    delete chapterModel.data();
}
