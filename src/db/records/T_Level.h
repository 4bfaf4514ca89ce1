#pragma once

#include <QString>

// One author level; the picture fields hold full paths below the program's
// "data/game" folder.
struct T_Level
{
    int id = 0;
    QString name;
    int score = 0;
    QString img;
    QString photo_frame;
    QString small_img;
    QString small_photo_frame;
    QString small_medal;
};
