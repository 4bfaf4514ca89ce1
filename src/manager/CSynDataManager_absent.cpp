// A reply that leaves a member out, or sends it as another kind of value
// than the member has, says nothing of that member: what this machine holds
// stands for it. A faulty or hostile reply then never empties a name, a text
// or a colour here, nor moves, unpins or recycles anything.

#include "CSynDataManager.h"

#include "db/records/T_Book.h"
#include "manager/CPublicManager.h"
#include "remote/CTessaneUrl.h"
#include "remote/records/BookRecords.h"
#include "remote/records/ChapterRecords.h"
#include "remote/records/MemoRecords.h"
#include "remote/records/OutlineRecords.h"
#include "remote/records/VolumeRecords.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>

#include <functional>

namespace {

using Members = QList<QPair<QString, QJsonValue>>;

// Whether the reply's value tells nothing of a member whose values are of
// that kind: it is missing, or of another kind. A null says "none" and is
// the platform's word like an empty value.
bool saysNothing(const QJsonValue& value, QJsonValue::Type kind)
{
    return value.isUndefined() || (!value.isNull() && value.type() != kind);
}

// Puts in each member the object tells nothing of the value here; true when
// it put any in.
bool fillAbsent(QJsonObject& remote, const Members& here)
{
    bool filled = false;
    for (const auto& member : here) {
        if (!saysNothing(remote.value(member.first), member.second.type()))
            continue;
        remote.insert(member.first, member.second);
        filled = true;
    }
    return filled;
}

int idOf(const QJsonObject& object, const char* key)
{
    return object.value(QLatin1String(key)).toInt();
}

// Fills every object of a list the way fill does one; true when any changed.
bool fillEach(QJsonArray& list, const std::function<bool(QJsonObject&)>& fill)
{
    bool filled = false;
    for (int i = 0; i < list.size(); ++i) {
        if (!list.at(i).isObject())
            continue;
        QJsonObject element = list.at(i).toObject();
        if (fill(element)) {
            list.replace(i, element);
            filled = true;
        }
    }
    return filled;
}

} // namespace

QByteArray CSynDataManager::withMembersHere(int jobType, const QByteArray& body) const
{
    // Every other reply (a chapter's text among them, however long) is not
    // read a second time.
    static const QSet<int> kinds{JobType::MemoDetail, JobType::OutlineDetail, JobType::OutlineList,
                                 JobType::VolumeMenu, JobType::ChapterMenu, JobType::BooksInfo};
    if (!kinds.contains(jobType))
        return body;
    const CPublicManager* model = m_model;
    const auto memoHere = [model](QJsonObject& remote) {
        const T_Memo* memo = model->findMemoByMemoId(idOf(remote, "id"));
        if (memo == nullptr)
            return false;
        bool filled = fillAbsent(remote, {{QStringLiteral("content"), memo->content},
                                          {QStringLiteral("update_time"), memo->updateTime},
                                          {QStringLiteral("color"), memo->color},
                                          {QStringLiteral("color_update_time"), memo->colorUpdateTime}});
        // The place is the book and the chapter together.
        if (saysNothing(remote.value(QStringLiteral("book_id")), QJsonValue::Double)
            || saysNothing(remote.value(QStringLiteral("chapter_id")), QJsonValue::Double)) {
            remote.insert(QStringLiteral("book_id"), memo->bookId);
            remote.insert(QStringLiteral("chapter_id"), memo->chapterId);
            filled = true;
        }
        return filled;
    };
    const auto outlineHere = [model](QJsonObject& remote) {
        const T_Book* book = model->findAnyBookByBookId(idOf(remote, "book_id"));
        const T_Outline* outline = book ? book->findOutlineByOutlineId(idOf(remote, "outline_id")) : nullptr;
        return outline != nullptr
               && fillAbsent(remote, {{QStringLiteral("title"), outline->title},
                                      {QStringLiteral("content"), outline->content},
                                      {QStringLiteral("type"), outline->type},
                                      {QStringLiteral("order_num"), outline->orderNum}});
    };
    QJsonObject root = CTessaneUrl::rootObject(body);
    const QJsonValue content = root.value(QStringLiteral("content"));
    // The book a list of volumes or chapters was asked for.
    T_Http_S head;
    CTessaneUrl::parseAsyncReplyHeader(root, &head);
    const T_Book* asked = model->findAnyBookByLocalId(head.userdata.localBookId);
    bool filled = false;
    QJsonValue result = content;
    switch (jobType) {
    case JobType::MemoDetail: {
        QJsonObject memo = content.toObject();
        filled = content.isObject() && memoHere(memo);
        result = memo;
        break;
    }
    case JobType::OutlineDetail: {
        QJsonObject outline = content.toObject();
        filled = content.isObject() && outlineHere(outline);
        result = outline;
        break;
    }
    case JobType::OutlineList: {
        QJsonObject lists = content.toObject();
        QJsonArray outlines = lists.value(QStringLiteral("all_outline")).toArray();
        filled = fillEach(outlines, outlineHere);
        lists.insert(QStringLiteral("all_outline"), outlines);
        result = lists;
        break;
    }
    case JobType::VolumeMenu: {
        QJsonArray volumes = content.toArray();
        filled = asked != nullptr && fillEach(volumes, [asked](QJsonObject& remote) {
                     const T_Volume* volume = asked->findVolumeByVolumeId(idOf(remote, "id"));
                     return volume != nullptr
                            && fillAbsent(remote, {{QStringLiteral("volume_name"), volume->volumeName},
                                                   {QStringLiteral("order_num"), volume->orderNum},
                                                   {QStringLiteral("status"), volume->status}});
                 });
        result = volumes;
        break;
    }
    case JobType::ChapterMenu: {
        QJsonObject menu = content.toObject();
        QJsonArray chapters = menu.value(QStringLiteral("menu")).toArray();
        filled = asked != nullptr && fillEach(chapters, [asked](QJsonObject& remote) {
                     const T_Chapter* chapter = asked->findChapterByChapterId(idOf(remote, "chapter_id"));
                     return chapter != nullptr
                            && fillAbsent(remote, {{QStringLiteral("chapter_name"), chapter->name},
                                                   {QStringLiteral("order_num"), chapter->orderNum},
                                                   {QStringLiteral("status"), chapter->status},
                                                   {QStringLiteral("volume_id"), chapter->volumeId}});
                 });
        menu.insert(QStringLiteral("menu"), chapters);
        result = menu;
        break;
    }
    case JobType::BooksInfo: {
        QJsonObject info = content.toObject();
        const T_Book* book = model->findAnyBookByBookId(idOf(info, "book_id"));
        filled = content.isObject() && book != nullptr
                 && fillAbsent(info, {{QStringLiteral("book_name"), book->bookName},
                                      {QStringLiteral("intro"), book->intro},
                                      {QStringLiteral("cate_id"), book->cateId},
                                      {QStringLiteral("channel_type"), book->channelType}});
        result = info;
        break;
    }
    default:
        break;
    }
    if (!filled)
        return body;
    root.insert(QStringLiteral("content"), result);
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}
