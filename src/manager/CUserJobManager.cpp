#include "CUserJobManager.h"

#include "db/CTessaneDb.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "remote/CTessaneHttp.h"

// The account operations are being filled in; until then every request
// reports a transport failure so no caller mistakes it for a success.

CUserJobManager::CUserJobManager(QObject* parent)
    : QObject(parent),
      m_http(CTessaneHttp::instance()),
      m_db(CTessaneDb::instance()),
      m_model(CPublicManager::instance()),
      m_ui(CUiManager::instance())
{
}

CUserJobManager::~CUserJobManager() = default;

CUserJobManager* CUserJobManager::instance()
{
    static CUserJobManager* manager = new CUserJobManager();
    return manager;
}

void CUserJobManager::asynBack(int, const QByteArray&) {}
void CUserJobManager::loginSuccess(int, const QString&) {}
void CUserJobManager::author_login(TC_Author_Login&, TS_Author_Login&) {}
int CUserJobManager::author_register(TC_Author_Register&, TS_Author_Register&) { return 10002; }
int CUserJobManager::author_sendCode(TC_Author_SendCode&, TS_Author_SendCode&) { return 10002; }
int CUserJobManager::author_authNumber(TC_Account_AuthNumber&, TS_Account_AuthNumber&) { return 10002; }
int CUserJobManager::author_editPwd(TC_Author_EditPwd&, TS_Author_EditPwd&) { return 10002; }
int CUserJobManager::author_setNewPwd(TC_Author_SetNewPwd&, TS_Author_SetNewPwd&) { return 10002; }
int CUserJobManager::author_wxCodeLogin(TC_Author_WxCodeLogin&, TS_Author_WxCodeLogin&) { return 10002; }
void CUserJobManager::author_info(TC_Author_Info&, TS_Author_Info&) {}
int CUserJobManager::author_bannerList(TC_Author_BannerList&, TS_Author_BannerList&) { return 10002; }
int CUserJobManager::author_wxBindPhone(TC_Author_WxBindPhone&, TS_Author_Login&) { return 10002; }
void CUserJobManager::author_update(TC_Author_Update&, TS_Author_Update&) {}
void CUserJobManager::author_uploadImg(TC_Author_UploadImg&, TS_Author_UploadImg&) {}
void CUserJobManager::author_notice(TC_Author_Notice&) {}
void CUserJobManager::author_pollingWx(TC_Author_PollingWx&) {}
void CUserJobManager::saveAuthorInfo(TS_Author_Info*) {}
void CUserJobManager::getHeadImg(QString* path, bool) { if (path) path->clear(); }
void CUserJobManager::execUserJob(T_JobData*) {}
void CUserJobManager::loadStatistics() {}
void CUserJobManager::getAuthorStatistics(QString* json) { if (json) json->clear(); }
