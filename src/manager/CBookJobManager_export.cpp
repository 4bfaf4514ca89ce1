#include "CBookJobManager.h"

#include "db/CTessaneDb.h"
#include "db/records/T_Book.h"
#include "manager/CUiManager.h"

#include <QDebug>
#include <QSaveFile>
#include <QTextCodec>
#include <QTextStream>

#include <algorithm>

namespace {

// Texts written before the editor kept its own paragraph layout
// (2020-06-15 04:00 UTC) are laid out on export.
const int kOldTextBefore = 1592193600;

template <typename T>
QList<T*> sortedByOrder(const QList<T*>& list, bool ascending)
{
    QList<T*> sorted = list;
    std::stable_sort(sorted.begin(), sorted.end(), [ascending](const T* a, const T* b) {
        return ascending ? a->orderNum < b->orderNum : a->orderNum > b->orderNum;
    });
    return sorted;
}

} // namespace

bool CBookJobManager::readChapterText(const T_Chapter* chapter, QString* text)
{
    if (chapter->contentLoaded) {
        *text = chapter->content;
        return true;
    }
    // Read into a copy: exporting does not keep a whole book's text in memory.
    T_Chapter loaded = *chapter;
    if (!m_db->getChapterContent(&loaded))
        return false;
    *text = loaded.content;
    return true;
}

bool CBookJobManager::books_export(T_Book* book, const QString& path)
{
    if (book == nullptr || path.isEmpty())
        return false;
    CUiManager* ui = CUiManager::instance();
    const QString failed = tr("create failed,not write power");

    // Written beside the target and renamed over it at the end: a failure
    // half-way leaves the old file as it was.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        qWarning() << "book export: cannot write" << path << file.errorString();
        ui->showError(failed, 1000);
        return false;
    }
    QTextStream out(&file);
    out.setCodec(QTextCodec::codecForName("UTF-8"));
    out.setGenerateByteOrderMark(false);

    // Sorted copies: the book's own lists keep the ascending order that the
    // rest of the client relies on.
    const bool ascending = book->orderType == 0;
    const QList<T_Volume*> volumes = sortedByOrder(book->volumeList, ascending);
    const QList<T_Chapter*> chapters = sortedByOrder(book->chapterList, ascending);
    for (const T_Volume* volume : volumes) {
        if (volume->status == 0)
            continue;
        for (const T_Chapter* chapter : chapters) {
            if (chapter->localVolumeId != volume->localId)
                continue;
            // The words on screen, stored yet or not, are what the author exports.
            QString text;
            if (!ui->shownChapterText(chapter->localId, &text) && !readChapterText(chapter, &text)) {
                qWarning() << "book export: text of chapter" << chapter->localId << "cannot be read";
                file.cancelWriting();
                ui->showError(failed, 1000);
                return false;
            }
            if (chapter->createTime < kOldTextBefore && chapter->updateTime < kOldTextBefore) {
                QString formatted;
                CUiManager::formatTextWith(text, formatted, true, false);
                text = formatted;
            }
            out << volume->volumeName << ' ' << chapter->name << "\n\n" << text << "\n\n\n";
            out.flush();
            if (out.status() != QTextStream::Ok) {
                qWarning() << "book export: write failed" << path << file.errorString();
                file.cancelWriting();
                ui->showError(failed, 1000);
                return false;
            }
        }
    }
    out.flush();
    if (out.status() != QTextStream::Ok || !file.commit()) {
        qWarning() << "book export: cannot finish" << path << file.errorString();
        ui->showError(failed, 1000);
        return false;
    }
    ui->showSuccess(tr("book export success"), 1000);
    return true;
}
