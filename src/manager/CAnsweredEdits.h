#pragma once

#include <QHash>
#include <QPair>
#include <QString>
#include <QStringList>

struct T_JobData;

// What the platform answered of this machine's edits in this run: per object
// and member, the order number (CHttpBase::lastSentOrder) the transport had
// reached when the edit's answer came. A list or a detail asked for before
// that tells the member as the platform held it before the edit went (or
// while it was on its way), and must not take the edit back here. Memory
// only: a reply to a request of an earlier run never arrives. GUI thread only.
class CAnsweredEdits
{
public:
    enum class Kind { Memo = 1, Outline, Volume, Chapter, Book };

    // The members an edit may change.
    static const QString kText;
    static const QString kName;
    static const QString kColour;
    static const QString kPin;
    static const QString kPlace;
    static const QString kOrder;
    static const QString kState;  // in the recycle bin or not

    // The object a job edits and the members it changes. The order of a
    // book's cards or volumes (kOrder) is one member of the book's local id.
    struct Edit
    {
        Kind kind = Kind::Memo;
        int localId = 0;
        QStringList members;
        bool isEdit() const { return localId > 0 && !members.isEmpty(); }
    };

    static CAnsweredEdits* instance();

    // Whether jobs of the type edit members of one object.
    static bool isEditType(int jobType);
    // Whether the members a job of the type edits are read from its stored
    // content (a memo's, a book's or a chapter's edit); any other type's edit
    // is told by the job's type and ids.
    static bool membersInContent(int jobType);
    // A chapter's edit as its request holds it: read from the request, the
    // members need no read of the stored job and its whole text.
    static Edit chapterEdit(int localChapterId, bool name, bool text);
    // The edit a queued job makes; none (isEdit() false) for any other job.
    static Edit editOf(const T_JobData& job);

    // The platform took the edit; requests up to order may have left before.
    void noteAnswered(const Edit& edit, int order);
    // Whether the member stands over the reply being applied now: an edit of
    // it was answered after that reply's request had left.
    bool standsOver(Kind kind, int localId, const QString& member) const;
    // A new sign-in: what another author's edits were is no concern of it.
    void clear() { m_answered.clear(); }
    // The order number of the reply being applied (0: none, or one made up here).
    int replyOrder() const { return m_replyOrder; }

    // The order number of the reply applied while it lives (0: a reply made
    // up here, which nothing holds back). Scopes nest.
    class ReplyScope
    {
    public:
        explicit ReplyScope(int order);
        ~ReplyScope();
        ReplyScope(const ReplyScope&) = delete;
        ReplyScope& operator=(const ReplyScope&) = delete;

    private:
        int m_before = 0;
    };

private:
    CAnsweredEdits() = default;

    QHash<QPair<int, int>, QHash<QString, int>> m_answered;
    int m_replyOrder = 0;
};
