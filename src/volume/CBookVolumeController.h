#pragma once

#include <QList>
#include <QMap>
#include <QObject>

struct T_Book;
struct T_Chapter;
struct T_Volume;

// The volume/chapter tree of the writing window: the book it shows, the
// order of each volume's chapters as shown, and the tree edits that become
// book operations. The QML panel is not built yet; the controller keeps the
// shown order itself so the book operations can ask for it. GUI thread only.
class CBookVolumeController : public QObject
{
    Q_OBJECT
public:
    static CBookVolumeController* instance();

    // The book shown (looked up by local id on use), null when none.
    T_Book* currentBook() const;
    bool isCurrentBook(const T_Book* book) const;
    // Shows a book: each volume's chapters in ascending order number.
    void loadBook(T_Book* book);
    void reloadBook(T_Book* book);

    // A volume after the last one, named after the previous live volume;
    // through the job manager's volume add (fromSync records no job). Null
    // when it was not created.
    T_Volume* createVolume(T_Book* book, bool fromSync);
    // A chapter the platform delivered, appended to its volume in the tree.
    void addChapterItem(T_Book* book, T_Chapter* chapter);

    // Chapter local id -> order number (1, 2, ...) of the volume's chapters
    // as the tree shows them; empty when the tree shows another book or has
    // no such volume.
    QMap<int, int> getChapterOrderMap(int localVolumeId) const;
    // The tree's order of one volume after a drag.
    void setChapterOrder(int localVolumeId, const QList<int>& localChapterIds);

    // Brings a recycled chapter back (job 1010), its deleted volume first, and
    // puts it at its place in the tree. Nothing unless the tree shows this
    // book; false when nothing was restored.
    bool restoreChapter(T_Book* book, T_Chapter* chapter);

signals:
    void sigBookReloaded(int localBookId);

private:
    explicit CBookVolumeController(QObject* parent = nullptr);

    int m_localBookId = 0;
    // Local volume id -> chapter local ids in the order shown.
    QMap<int, QList<int>> m_chapterOrder;
};
