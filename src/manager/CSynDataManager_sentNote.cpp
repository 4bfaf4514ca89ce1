// A memo or card edit whose request went out unanswered (cut off, too late,
// the process ended) may have reached the platform, and another machine may
// have pulled it and written on since. The feed then brings a text that is
// neither this machine's nor one it replaced; kept beside it as a copy, it
// would hold this machine's words a second time, and the edit sent again
// would take the other machine's words out of the note. When that text holds
// every paragraph of the edit's, and the edit still holds just what a
// request carried, the edit has nothing left to bring: it gives up its text
// and the platform's is taken. Words typed here since keep both texts.

#include "CSynDataManager.h"

#include "common/Utility.h"
#include "db/CTessaneDb.h"
#include "manager/CBookJobManager.h"
#include "manager/CJobManager.h"

#include <QDebug>
#include <QJsonArray>
#include <QJsonDocument>

bool CSynDataManager::sentTextHeldThere(const WaitingEdit& edit, const QString& there, bool wholeJob)
{
    const QString text = edit.content.value(QStringLiteral("content")).toString();
    const QString title = edit.content.value(QStringLiteral("title")).toString();
    if (!edit.found || !edit.content.value(QStringLiteral("sent")).toArray().contains(noteTextMd5(text, title))
        || CJobManager::instance()->isJobInFlight(edit.jobId)
        || !CBookJobManager::holdsWordsOf(withoutControlChars(there), withoutControlChars(text)))
        return false;
    T_JobData job;
    if (!m_db->getJobById(edit.jobId, job) || job.jobId != edit.jobId
        || QJsonDocument::fromJson(job.content.toUtf8()).object() != edit.content)
        return false;
    const bool taken = wholeJob ? m_db->deleteJob(job.jobId, job.revision) == JobConfirm::Deleted
                                : m_db->dropMemoEditText(job.jobId, job.revision);
    if (taken)
        qInfo() << "note edit job" << job.jobId << "reached the platform, written on elsewhere since; the platform's text is taken";
    return taken;
}
