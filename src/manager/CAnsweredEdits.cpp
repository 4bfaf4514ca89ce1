#include "CAnsweredEdits.h"

#include "db/T_JobData.h"
#include "remote/records/BookRecords.h"
#include "remote/records/ChapterRecords.h"
#include "remote/records/MemoRecords.h"
#include "remote/records/OutlineRecords.h"
#include "remote/records/VolumeRecords.h"

#include <QJsonDocument>
#include <QJsonObject>

const QString CAnsweredEdits::kText = QStringLiteral("text");
const QString CAnsweredEdits::kName = QStringLiteral("name");
const QString CAnsweredEdits::kColour = QStringLiteral("colour");
const QString CAnsweredEdits::kPin = QStringLiteral("pin");
const QString CAnsweredEdits::kPlace = QStringLiteral("place");
const QString CAnsweredEdits::kOrder = QStringLiteral("order");
const QString CAnsweredEdits::kState = QStringLiteral("state");

CAnsweredEdits* CAnsweredEdits::instance()
{
    static CAnsweredEdits edits;
    return &edits;
}

bool CAnsweredEdits::isEditType(int jobType)
{
    switch (jobType) {
    case JobType::MemoEdit:
    case JobType::OutlineUpdate:
    case JobType::ChapterEditName:
    case JobType::ChapterEditContent:
    case JobType::ChapterEdit:
    case JobType::VolumeEdit:
    case JobType::BooksEdit:
    case JobType::ChapterRecycle:
    case JobType::ChapterMove:
    case JobType::ChapterAppMove:
    case JobType::OutlineMove:
    case JobType::VolumeMove:
        return true;
    default:
        return false;
    }
}

bool CAnsweredEdits::membersInContent(int jobType)
{
    return jobType == JobType::MemoEdit || jobType == JobType::BooksEdit || jobType == JobType::ChapterEdit;
}

CAnsweredEdits::Edit CAnsweredEdits::chapterEdit(int localChapterId, bool name, bool text)
{
    Edit edit;
    edit.kind = Kind::Chapter;
    edit.localId = localChapterId;
    if (name)
        edit.members << kName;
    if (text)
        edit.members << kText;
    return edit;
}

CAnsweredEdits::Edit CAnsweredEdits::editOf(const T_JobData& job)
{
    Edit edit;
    // A chapter edit's members are found without parsing its text, which
    // may run to megabytes.
    const QJsonObject stored = membersInContent(job.jobType) && job.jobType != JobType::ChapterEdit
                                   ? QJsonDocument::fromJson(job.content.toUtf8()).object()
                                   : QJsonObject();
    switch (job.jobType) {
    case JobType::MemoEdit:
        edit.kind = Kind::Memo;
        edit.localId = job.localMemoId;
        if (stored.contains(QStringLiteral("content")))
            edit.members << kText;
        if (stored.contains(QStringLiteral("color")))
            edit.members << kColour;
        // A place names the chapter the memo is pinned to (none: unpinned).
        if (stored.contains(QStringLiteral("localBookId")) || stored.contains(QStringLiteral("x")))
            edit.members << kPin << kPlace;
        break;
    case JobType::OutlineUpdate:
        // The card's title, type and text go together.
        edit.kind = Kind::Outline;
        edit.localId = job.ext1;
        edit.members << kText << kName;
        break;
    case JobType::ChapterEditName:
        edit.kind = Kind::Chapter;
        edit.localId = job.localChapterId;
        edit.members << kName;
        break;
    case JobType::ChapterEditContent:
        edit.kind = Kind::Chapter;
        edit.localId = job.localChapterId;
        edit.members << kText;
        break;
    case JobType::ChapterEdit:
        // A rename and a save of the text share one job: it holds the name,
        // the text or both.
        // Its content is compact JSON: a quote inside a value is escaped,
        // so only a key reads as "key": there.
        return chapterEdit(job.localChapterId, job.content.contains(QLatin1String("\"name\":")),
                           job.content.contains(QLatin1String("\"content\":")));
    case JobType::ChapterRecycle:
        edit.kind = Kind::Chapter;
        edit.localId = job.localChapterId;
        edit.members << kState;
        break;
    case JobType::ChapterMove:
    case JobType::ChapterAppMove:
        // A drag puts the chapter in its volume at its order.
        edit.kind = Kind::Chapter;
        edit.localId = job.localChapterId;
        edit.members << kPlace;
        break;
    case JobType::OutlineMove:
    case JobType::VolumeMove:
        // A move numbers all of the book's cards (or volumes) anew: its
        // object is their order in the book.
        edit.kind = job.jobType == JobType::OutlineMove ? Kind::Outline : Kind::Volume;
        edit.localId = job.localBookId;
        edit.members << kOrder;
        break;
    case JobType::VolumeEdit:
        edit.kind = Kind::Volume;
        edit.localId = job.localVolumeId;
        edit.members << kName;
        break;
    case JobType::BooksEdit: {
        // Its earlier values name the members it changed; without them, all.
        edit.kind = Kind::Book;
        edit.localId = job.localBookId;
        const QJsonValue was = stored.value(QStringLiteral("was"));
        for (const char* member : {"bookName", "intro", "category"}) {
            if (!was.isObject() || was.toObject().contains(QLatin1String(member)))
                edit.members << QLatin1String(member);
        }
        break;
    }
    default:
        break;
    }
    return edit;
}

void CAnsweredEdits::noteAnswered(const Edit& edit, int order)
{
    if (!edit.isEdit() || order < 1)
        return;
    QHash<QString, int>& members = m_answered[qMakePair(int(edit.kind), edit.localId)];
    for (const QString& member : edit.members)
        members[member] = qMax(members.value(member), order);
}

bool CAnsweredEdits::standsOver(Kind kind, int localId, const QString& member) const
{
    if (m_replyOrder < 1 || localId < 1)
        return false;
    return m_replyOrder <= m_answered.value(qMakePair(int(kind), localId)).value(member);
}

CAnsweredEdits::ReplyScope::ReplyScope(int order)
    : m_before(instance()->m_replyOrder)
{
    instance()->m_replyOrder = order;
}

CAnsweredEdits::ReplyScope::~ReplyScope()
{
    instance()->m_replyOrder = m_before;
}
