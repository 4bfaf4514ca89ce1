#pragma once

#include "db/T_JobData.h"
#include "remote/records/AccountRecords.h"
#include "remote/records/ReplyBase.h"
#include "remote/records/SystemRecords.h"
#include "remote/T_Http_S.h"

#include <QByteArray>
#include <QMap>
#include <QObject>
#include <QString>

class CPublicManager;
class CTessaneDb;
class CTessaneHttp;
class CUiManager;

// Everything about the signed-in author's account: completing a sign-in, the
// synchronous account requests of the login and profile screens, the
// offline-first profile update with its queued replay (job 2), and the
// replies of the asynchronous account requests (jobs 2, 4 to 7).
class CUserJobManager : public QObject
{
    Q_OBJECT
public:
    static CUserJobManager* instance();
    ~CUserJobManager() override;

    // Reply of an asynchronous account request.
    void asynBack(int jobType, const QByteArray& body);
    // Completes every sign-in: token, user row, uniquecode, last user.
    void loginSuccess(int uid, const QString& token);
    // A sign-in attempt begins (a password sign-in, a WeChat scan, a phone
    // binding): only the latest one may sign anybody in; an earlier one's
    // reply, whenever it comes, signs nobody in.
    int beginSignIn() { return ++m_signInTicket; }
    // The WeChat window starts a sign-in that its poll completes.
    void beginWeChatSignIn() { m_weChatTicket = beginSignIn(); }

    // Synchronous account requests. Where a result is returned it is 10002 on
    // a transport failure and 200 otherwise (the server's verdict is in the
    // reply record's header), or the transport's own error value.
    void author_login(TC_Author_Login& request, TS_Author_Login& reply);
    int author_register(TC_Author_Register& request, TS_Author_Register& reply);
    int author_sendCode(TC_Author_SendCode& request, TS_Author_SendCode& reply);
    int author_authNumber(TC_Account_AuthNumber& request, TS_Account_AuthNumber& reply);
    int author_editPwd(TC_Author_EditPwd& request, TS_Author_EditPwd& reply);
    int author_setNewPwd(TC_Author_SetNewPwd& request, TS_Author_SetNewPwd& reply);
    int author_wxCodeLogin(TC_Author_WxCodeLogin& request, TS_Author_WxCodeLogin& reply);
    void author_info(TC_Author_Info& request, TS_Author_Info& reply);
    int author_bannerList(TC_Author_BannerList& request, TS_Author_BannerList& reply);
    int author_wxBindPhone(TC_Author_WxBindPhone& request, TS_Author_Login& reply);
    // Offline first: the user row is written before the request, and a
    // failed request is queued as job 2.
    void author_update(TC_Author_Update& request, TS_Author_Update& reply);
    void author_uploadImg(TC_Author_UploadImg& request, TS_Author_UploadImg& reply);
    void author_notice(TC_Author_Notice& request);
    void author_pollingWx(TC_Author_PollingWx& request);

    // Copies a profile reply into the signed-in user's record and stores it.
    void saveAuthorInfo(TS_Author_Info* info);
    // Gives the local path of the head picture there is now (empty when
    // none) and fetches the platform's without waiting; when it comes, for
    // the same author, it is shown (and with save stored).
    void getHeadImg(QString* path, bool save);
    // Replays one queued account job (only job 2 does anything).
    void execUserJob(T_JobData* job);
    // Today's statistics of the signed-in user into the shared model.
    void loadStatistics();
    // The JSON text of the statistics page; head gets the platform's reply
    // header (a transport failure leaves it as it was).
    void getAuthorStatistics(QString* json, T_Http_S& head);

private:
    explicit CUserJobManager(QObject* parent = nullptr);

    enum class SignIn { Done, Superseded, NotStored };
    // The sign-in completion of the attempt with that ticket. NotStored: a
    // local write failed (the database's message is then in lastErrorText
    // of the database). Superseded: a later attempt took over, before or
    // while this one waited; nothing of this one was switched.
    SignIn completeSignIn(int uid, const QString& token, int ticket);
    // Says in the reply's head that the sign-in it answered was superseded,
    // or what else kept a completion from signing in.
    static void markSuperseded(T_Http_S& head);
    void reportSignIn(SignIn outcome, T_Http_S& head);
    // A profile change still queued for the platform stands over what any
    // reply says until it is sent: the record takes the name and the sex the
    // author gave last, and a later edit sends them whole. Where the queue
    // cannot be read, ownName and ownSex (the record's before the reply) stay.
    void keepWaitingProfile(TS_Author_Info& user, const QString& ownName, const QString& ownSex) const;
    // Writes the user record; a failure goes into head (when given) and to
    // the window manager.
    bool storeUser(T_Http_S* head);
    // The profile request as the job manager's facade makes it: header
    // logged, a lost sign-in sends the user to the login dialog.
    void refreshAuthorInfo();
    // The head picture at url, fetched without waiting; takeHeadImg takes
    // it into the record of the author it was fetched for, if it still may.
    void fetchHeadImg(const QString& url, bool store = true);
    void takeHeadImg(int uid, const QString& url, const QString& shownBefore, const QString& file, bool store);
    // Stores the picture's bytes as <md5>.<suffix> below the head-image
    // folder unless that copy exists; the copy's path, empty on failure.
    QString keepLocalHeadCopy(const QString& picturePath);
    // Whether the author uid is still the one signed in: another author's
    // sign-in replaces the record, a sign-out clears the database's author.
    bool stillSignedIn(int uid) const;
    // The folders below the program directory, created when missing.
    static QString headImgFolder();
    static QString bannerFolder();
    // A reply body fit for the log: token and password values masked.
    static QByteArray bodyForLog(const QByteArray& body);

    QMap<int, int> m_unused;
    // The head picture on its way (its address), empty when none is.
    QString m_headFetch;
    int m_signInTicket = 0;
    int m_weChatTicket = 0;
    CTessaneHttp* m_http = nullptr;
    CTessaneDb* m_db = nullptr;
    CPublicManager* m_model = nullptr;
    CUiManager* m_ui = nullptr;
};
