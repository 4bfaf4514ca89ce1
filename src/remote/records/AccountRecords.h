#pragma once

// Requests and replies of the account and author endpoints.

#include "ReplyBase.h"
#include "remote/T_Http_Custom.h"

#include <QString>
#include <QVector>

struct TC_Author_Login
{
    T_Http_Custom header;
    QString phone;
    QString password;
};

struct TS_Author_Login
{
    T_Http_S header;
    int uid = 0;
    QString token;
};

struct TC_Author_Register
{
    T_Http_Custom header;
    QString phone;
    QString code;
    QString password;
};

struct TS_Author_Register
{
    T_Http_S header;
    int uid = 0;
};

struct TC_Author_SendCode
{
    T_Http_Custom header;
    QString phone;
    QString code;
    QString uuid;
};

struct TC_Account_AuthNumber
{
    T_Http_Custom header;
    QString uuid;
};

// The picture code arrives enciphered; the registration pages decode it.
struct TS_Account_AuthNumber
{
    T_Http_S header;
    QString code;
};

// The forgotten-password reset.
struct TC_Author_EditPwd
{
    T_Http_Custom header;
    QString phone;
    QString code;
    QString password;
};

struct TC_Author_SetNewPwd
{
    T_Http_Custom header;
    QString password;
    QString newPassword;
};

struct TC_Author_Info
{
    T_Http_Custom header;
};

// The author's profile; also the signed-in user's record that the local store
// keeps, hence the local fields after the reply's own.
struct TS_Author_Info
{
    T_Http_S header;
    QString author_name;
    QString sex = QStringLiteral("0");
    QString sign;
    QString birthday;
    bool isBindWx = false;
    bool isBindPhone = true;
    int uid = 0;
    QString headimg;
    QString localHeadImg;
    QString token;
    QString uniqueCode;
    int style = 1;
    int windowSize = 1;
    bool isAutoLogin = true;
    int level_id = 1;
    int score = 0;
    int isFollow = 0;
    int isVip = 0;
    int isMoneyUser = 0;
    int vipExpireTime = 0;
    int is_checkin_today = 0;
};

struct TC_Author_Update
{
    T_Http_Custom header;
    QString author_name;
    QString sex;
    QString sign;
    QString birthday;
    QString phone;
    QString headimg;
    int update_time = 0;
};

struct TS_Author_Update
{
    T_Http_S header;
    QString author_name;
    QString sex;
    QString sign;
    QString birthday;
    QString phone;
};

struct TC_Author_UploadImg
{
    T_Http_Custom header;
    QString img; // "data:image/<suffix>;base64,..."
    int update_time = 0;
    // The chosen picture on disk; the account jobs keep a copy of it as the
    // local head image. Not sent.
    QString localPath;
};

struct TS_Author_UploadImg
{
    T_Http_S header;
    QString headimg;
};

struct TC_Author_WxCodeLogin
{
    T_Http_Custom header;
    QString nonce_str;
};

struct TS_Author_WxCodeLogin
{
    T_Http_S header;
    QString url;
};

struct TC_Author_WxBindPhone
{
    T_Http_Custom header;
    QString phone;
    QString code;
};

struct TC_Author_PollingWx
{
    T_Http_Custom header;
    QString nonce_str;
};

struct TS_Author_PollingWx
{
    T_Http_S header;
    int isBindPhone = 0;
    int status = 0;
    QString token;
    int uid = 0;
};
using TS_Author_PollingBindWx = TS_Author_PollingWx;

struct TC_Author_Notice
{
    T_Http_Custom header;
};

struct TS_Author_Notice
{
    T_Http_S header;
    int is_red = 0;
    int num = 0;
};

struct TS_Author_Sign
{
    T_Http_S header;
    int is_checkin_today = 0;
    int vipExpireTime = 0;
};

struct TC_Author_BannerList
{
    T_Http_Custom header;
};

struct T_Author_BannerListItem
{
    QString link_url;
    QString pic_url;
    QString localPath; // empty until the picture is downloaded
};

struct TS_Author_BannerList
{
    T_Http_S header;
    int count = 0;
    QVector<T_Author_BannerListItem> items;
};
