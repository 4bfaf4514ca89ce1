#pragma once

#include <QString>

// The per-user settings, one row each of tb_creation_conf, tb_system_conf and
// tb_lock. A first sign-in stores the in-memory defaults below, except
// isAutoPunctuation, isIndent and isSpaces, which the first insert leaves to
// their column defaults (1, 1 and 0): after the next read isSpaces is 0.

// Editor settings.
struct T_CreationConf
{
    int fontSize = 14;
    QString fontFamily = QStringLiteral("微软雅黑");
    double lineSpacing = 1.25;
    QString fontColor;
    int isBlod = 0;
    int isItalics = 0;
    int isUnderLine = 0;
    int isFocusing = 1;
    int isFocusLine = 1;
    int isCenter = 1;
    int isAutoPunctuation = 1;
    int isIndent = 1;
    int isSpaces = 1;
};

// Bits of T_SystemConf::pwdLockType: when the application lock asks for the
// password.
enum PwdLockType {
    PwdLockAtStart = 1,
    PwdLockOnShow = 2,
    PwdLockAfterIdle = 4,
};

// Application settings.
struct T_SystemConf
{
    int isAutoOpen = 0;
    int isShowMsgPt = 1;
    int isRecvMsg = 1;
    int isTray = 0;
    int isSound = 0;
    QString hideKey = QStringLiteral("Ctrl+Shift+N");
    int isAutoUpdate = 1;
    // Bit 1: check the regular sensitive words, bit 2: the user's own.
    int sensitiveStatus = 3;
    int isLock = 0;
    // Only grows: every memo created adds one.
    int memoCount = 0;
    int pwdLockType = 0;
    int pwdLockTime = 0;
    QString pwdLockPwd = QStringLiteral("0");
};

// The writing-goal lock: 0 none, 1 a word goal, 2 a time goal.
struct T_WriteLock
{
    int lockType = 0;
    int lockWords = 0;
    int lockTime = 0;
    int writeWords = 0;
    int writeTime = 0;
};

struct T_UserConf
{
    int uid = 0;
    // The book open in the writing window and the chapter in its editor.
    int curBookLocalId = 0;
    int curChapterLocalId = 0;
    T_CreationConf creationConf;
    T_SystemConf systemConf;
    T_WriteLock writeLock;
};
