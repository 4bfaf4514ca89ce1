#pragma once

#include "db/records/T_Chapter.h"

// One chapter row of the tree: a copy of the chapter's record, the volume
// whose list holds it and the row's view state, which is never stored.
struct CBookChapterItem
{
    CBookChapterItem() = default;
    CBookChapterItem(const T_Chapter& record, int owner) : chapter(record), ownerVolumeId(owner) {}

    T_Chapter chapter;
    int ownerVolumeId = -1;
    // Drop line while a chapter is dragged: -1 none, 0 above the row, 1 below.
    int moveLine = -1;
    bool selected = false;
    bool editing = false;
};
