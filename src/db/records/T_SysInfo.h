#pragma once

#include <QString>

// What tb_sys holds besides the remembered uid and the four data versions:
// the remembered sign-in time, the category counts per channel, the
// installed version's update data and the start-up flags.
struct T_SysInfo
{
    int lastLoginTime = 0;
    int maleCateCount = 0;
    int femaleCateCount = 0;
    QString updateType = QStringLiteral("pc");
    QString updateChannel = QStringLiteral("0");
    int updateVersion = 1;
    QString updateVersionName;
    // True exactly when the stored value is 1.
    bool isFirstRun = false;
    int userGuide = 0;
};
