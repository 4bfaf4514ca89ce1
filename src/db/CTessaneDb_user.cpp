// The signed-in author's row, the per-user settings rows and the remembered
// last user.

#include "CTessaneDb.h"

#include "CTessaneDbTransaction.h"
#include "common/ServerClock.h"
#include "db/DbRowHelpers.h"
#include "db/T_JobData.h"
#include "remote/records/AccountRecords.h"
#include "db/records/T_UserConf.h"

#include <QSqlQuery>

bool CTessaneDb::getUserData(int uid, TS_Author_Info& user, T_UserConf& conf)
{
    if (uid < 1)
        return false;
    bool found = false;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    // Each read stands alone: a missing or unreadable row leaves its record
    // as it was and the others are still read.
    if (sqlExec(query, sqlFormat(QStringLiteral("select authorName,sex,sign,birthday,isBindWx,"
                                                "headImgUrl,localHeadImg,token,uniqueCode,style,"
                                                "windowSize,isFollow,isVip,vipExpireTime,"
                                                "isMoneyVip,userLevel,userScore from tb_user "
                                                "where uid = %1 limit 1;"),
                                 {uid}))
        && query.next()) {
        found = true;
        user.author_name = query.value(0).toString();
        user.sex = query.value(1).toString();
        user.sign = query.value(2).toString();
        user.birthday = query.value(3).toString();
        user.isBindWx = query.value(4).toInt() != 0;
        user.headimg = query.value(5).toString();
        user.localHeadImg = query.value(6).toString();
        user.token = query.value(7).toString();
        user.uniqueCode = query.value(8).toString();
        user.style = query.value(9).toInt();
        user.windowSize = query.value(10).toInt();
        user.isFollow = query.value(11).toInt();
        user.isVip = query.value(12).toInt();
        user.vipExpireTime = query.value(13).toInt();
        user.isMoneyUser = query.value(14).toInt();
        user.level_id = query.value(15).toInt();
        user.score = query.value(16).toInt();
        conf.uid = uid;
    }
    query.finish();

    if (sqlExec(query, sqlFormat(QStringLiteral("select fontSize,fontFamily,isBlod,isItalics,"
                                                "isUnderLine,isFocusing,isFocusLine,isCenter,"
                                                "isAutoPunctuation,fontColor,isIndent,isSpaces,"
                                                "lineSpacing from tb_creation_conf where uid = %1 "
                                                "limit 1;"),
                                 {uid}))
        && query.next()) {
        T_CreationConf& c = conf.creationConf;
        c.fontSize = query.value(0).toInt();
        c.fontFamily = query.value(1).toString();
        c.isBlod = query.value(2).toInt();
        c.isItalics = query.value(3).toInt();
        c.isUnderLine = query.value(4).toInt();
        c.isFocusing = query.value(5).toInt();
        c.isFocusLine = query.value(6).toInt();
        c.isCenter = query.value(7).toInt();
        c.isAutoPunctuation = query.value(8).toInt();
        c.fontColor = query.value(9).toString();
        c.isIndent = query.value(10).toInt();
        c.isSpaces = query.value(11).toInt();
        // Full precision: a spacing of 1.1 comes back as 1.1.
        c.lineSpacing = query.value(12).toDouble();
    }
    query.finish();

    if (sqlExec(query, sqlFormat(QStringLiteral("select isAutoOpen,isShowMsgPt,isRecvMsg,isTray,"
                                                "isSound,hideKey,isAutoUpdate,sensitiveStatus,"
                                                "isLock,memoCount,pwdLockType,pwdLockTime,"
                                                "pwdLockPwd from tb_system_conf where uid = %1 "
                                                "limit 1"),
                                 {uid}))
        && query.next()) {
        T_SystemConf& s = conf.systemConf;
        s.isAutoOpen = query.value(0).toInt();
        s.isShowMsgPt = query.value(1).toInt();
        s.isRecvMsg = query.value(2).toInt();
        s.isTray = query.value(3).toInt();
        s.isSound = query.value(4).toInt();
        s.hideKey = query.value(5).toString();
        s.isAutoUpdate = query.value(6).toInt();
        s.sensitiveStatus = query.value(7).toInt();
        s.isLock = query.value(8).toInt();
        s.memoCount = query.value(9).toInt();
        s.pwdLockType = query.value(10).toInt();
        s.pwdLockTime = query.value(11).toInt();
        s.pwdLockPwd = query.value(12).toString();
    }
    query.finish();

    if (sqlExec(query, sqlFormat(QStringLiteral("select lockType,lockWords,lockTime,writeWords,"
                                                "writeTime from tb_lock where uid = %1;"),
                                 {uid}))) {
        while (query.next()) {
            T_WriteLock& l = conf.writeLock;
            l.lockType = query.value(0).toInt();
            l.lockWords = query.value(1).toInt();
            l.lockTime = query.value(2).toInt();
            l.writeWords = query.value(3).toInt();
            l.writeTime = query.value(4).toInt();
        }
    }
    return found;
}

bool CTessaneDb::insertUser(const TS_Author_Info& user, const T_UserConf& conf)
{
    Transaction transaction(*this);
    if (!transaction.began())
        return false;
    if (!exec(QStringLiteral("insert into tb_user(uid,authorName,sex,sign,birthday,isBindWx,"
                             "headImgUrl,localHeadImg,token,uniqueCode,isFollow,isVip,"
                             "vipExpireTime,isMoneyVip,userLevel,userScore)values(%1,%2,%3,%4,%5,%6,"
                             "%7,%8,%9,%10,%11,%12,%13,%14,%15,%16);"),
              {user.uid, user.author_name, user.sex, user.sign, user.birthday,
               user.isBindWx ? 1 : 0, user.headimg, user.localHeadImg, user.token,
               user.uniqueCode, user.isFollow, user.isVip, user.vipExpireTime, user.isMoneyUser,
               user.level_id, user.score}))
        return false;
    if (!insertUserDefaults(user, conf))
        return false;
    return transaction.commit();
}

bool CTessaneDb::insertUserDefaults(const TS_Author_Info& user, const T_UserConf& conf)
{
    Transaction transaction(*this);
    if (!transaction.began())
        return false;
    const T_CreationConf& c = conf.creationConf;
    const T_SystemConf& s = conf.systemConf;
    // isAutoPunctuation, isIndent and isSpaces take their column defaults.
    const bool ok =
        exec(QStringLiteral("insert into tb_creation_conf(uid,fontSize,fontFamily,fontColor,"
                            "isBlod,isItalics,isUnderLine,isFocusing,isFocusLine,isCenter,"
                            "lineSpacing) values(%1,%2,%3,%4,%5,%6,%7,%8,%9,%10,%11)"),
             {user.uid, c.fontSize, c.fontFamily, c.fontColor, c.isBlod, c.isItalics,
              c.isUnderLine, c.isFocusing, c.isFocusLine, c.isCenter, c.lineSpacing})
        && exec(QStringLiteral("insert into tb_system_conf(uid,isAutoOpen,isShowMsgPt,isRecvMsg,"
                               "isTray,isSound,hideKey,isAutoUpdate,sensitiveStatus,isLock,"
                               "pwdLockType,pwdLockTime,pwdLockPwd,memoCount) values(%1,%2,%3,%4,"
                               "%5,%6,%7,%8,%9,%10,%11,%12,%13,%14);"),
                {user.uid, s.isAutoOpen, s.isShowMsgPt, s.isRecvMsg, s.isTray, s.isSound,
                 s.hideKey, s.isAutoUpdate, s.sensitiveStatus, s.isLock, s.pwdLockType,
                 s.pwdLockTime, s.pwdLockPwd, s.memoCount})
        && exec(QStringLiteral("insert into tb_sensitive_words(uid,type) values(%1,2);"),
                {user.uid})
        && exec(QStringLiteral("insert into tb_lock(uid,lockType,lockWords,lockTime,writeWords,"
                               "writeTime) values(%1,0,0,0,0,0);"),
                {user.uid});
    return ok && transaction.commit();
}

bool CTessaneDb::updateUser(const TS_Author_Info& user)
{
    return exec(QStringLiteral("update tb_user set authorName = %1,sex = %2,sign = %3,"
                               "birthday = %4,isBindWx = %5,headImgUrl = %6,token = %7,"
                               "localHeadImg = %8,style = %9,windowSize = %10,userLevel = %11,"
                               "userScore = %12,isFollow = %14,isVip = %15,vipExpireTime = %16,"
                               "isMoneyVip = %17 where uid = %13;"),
                {user.author_name, user.sex, user.sign, user.birthday, user.isBindWx ? 1 : 0,
                 user.headimg, user.token, user.localHeadImg, user.style, user.windowSize,
                 user.level_id, user.score, user.uid, user.isFollow, user.isVip,
                 user.vipExpireTime, user.isMoneyUser});
}

bool CTessaneDb::updateToken(int uid, const QString& token)
{
    return execRowUpdate(*this,
                         sqlFormat(QStringLiteral("update tb_user set token = %1 where uid = %2;"),
                                   {token, uid}),
                         "user", uid);
}

bool CTessaneDb::updateCreationConf(const T_CreationConf& c, int uid)
{
    return execRowUpdate(
        *this,
        sqlFormat(QStringLiteral("update tb_creation_conf set fontSize=%1,fontFamily=%2,isBlod=%3,"
                                 "isItalics=%4,isUnderLine=%5,isFocusing=%6,isFocusLine=%7,"
                                 "isCenter=%8,isAutoPunctuation = %9,fontColor=%10,isIndent=%11,"
                                 "isSpaces=%12,lineSpacing=%13 where uid = %14"),
                  {c.fontSize, c.fontFamily, c.isBlod, c.isItalics, c.isUnderLine, c.isFocusing,
                   c.isFocusLine, c.isCenter, c.isAutoPunctuation, c.fontColor, c.isIndent,
                   c.isSpaces, c.lineSpacing, uid}),
        "creation settings of user", uid);
}

bool CTessaneDb::updateSystemConf(const T_SystemConf& s, int uid)
{
    // memoCount is left as stored: only the memo insert counts it.
    return execRowUpdate(
        *this,
        sqlFormat(QStringLiteral("update tb_system_conf set isAutoOpen = %1,isShowMsgPt = %2,"
                                 "isRecvMsg = %3,isTray = %4,isSound = %5,hideKey = %6,"
                                 "isAutoUpdate = %7,sensitiveStatus = %8,isLock = %9,"
                                 "pwdLockType = %10,pwdLockTime = %11,pwdLockPwd = %12 where "
                                 "uid = %13"),
                  {s.isAutoOpen, s.isShowMsgPt, s.isRecvMsg, s.isTray, s.isSound, s.hideKey,
                   s.isAutoUpdate, s.sensitiveStatus, s.isLock, s.pwdLockType, s.pwdLockTime,
                   s.pwdLockPwd, uid}),
        "system settings of user", uid);
}

bool CTessaneDb::updateUserConf(const T_UserConf& conf)
{
    // Both are tried; the writing lock is saved by updateLock.
    const bool system = updateSystemConf(conf.systemConf, conf.uid);
    const bool creation = updateCreationConf(conf.creationConf, conf.uid);
    return system && creation;
}

bool CTessaneDb::updateLock(int uid, const T_WriteLock& l)
{
    return execRowUpdate(*this,
                         sqlFormat(QStringLiteral("update tb_lock set lockType = %1,lockWords = %2,"
                                                  "lockTime = %3,writeWords = %4,writeTime = %5 "
                                                  "where  uid = %6"),
                                   {l.lockType, l.lockWords, l.lockTime, l.writeWords,
                                    l.writeTime, uid}),
                         "writing lock of user", uid);
}

bool CTessaneDb::saveLastLogin(int uid)
{
    return exec(QStringLiteral("update tb_sys set lastUid = %1,lastLoginTime = %2;"),
                {uid, currentServerTime()});
}

bool CTessaneDb::clearLastLogin()
{
    return exec(QStringLiteral("update tb_sys set lastUid = 0,lastLoginTime = 0;"));
}

bool CTessaneDb::waitingProfileChange(int uid, QString* content)
{
    content->clear();
    QSqlQuery query(db);
    if (!sqlExec(query, sqlFormat(QStringLiteral("select content from tb_job where uid = %1 and jobType = %2 "
                                                 "order by jobId desc limit 1;"),
                                  {uid, TessaneJob::AuthorProfile})))
        return false;
    if (query.next())
        *content = query.value(0).toString();
    return true;
}

bool CTessaneDb::clearUserData()
{
    Transaction transaction(*this);
    if (!transaction.began())
        return false;
    const bool ok = exec(QStringLiteral("delete from tb_book;"))
                    && exec(QStringLiteral("delete from tb_chapter;"))
                    && exec(QStringLiteral("delete from tb_job;"))
                    && exec(QStringLiteral("delete from tb_memo;"))
                    && exec(QStringLiteral("delete from tb_import;"))
                    && exec(QStringLiteral("delete from tb_withdrawn_delete;"))
                    && exec(QStringLiteral("delete from tb_deleted_here;"))
                    && exec(QStringLiteral("delete from tb_owed_look;"));
    return ok && transaction.commit();
}
