#include "CBookJobManager.h"
#include "BookJobSend.h"

#include "common/Utility.h"
#include "common/WorkerThreads.h"
#include "db/CTessaneDb.h"
#include "db/CTessaneDbTurns.h"
#include "db/records/T_Book.h"
#include "manager/CPublicManager.h"
#include "manager/CThreadImportBook.h"
#include "manager/CUiManager.h"
#include "manager/ImportTextCodec.h"
#include "ui/bookshelf/Widget_Bookshelf.h"
#include "remote/CTessaneHttp.h"
#include "remote/records/ChapterRecords.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QDebug>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <memory>

namespace {

// Chapters that travel to the platform in one batch job.
const int kBatchSize = 20;
// Matches of a heading or web-remnant pattern between two looks at a stop.
const int kMatchesPerLook = 256;
// A novel of this size is far beyond any real one; reading a larger file
// would only exhaust the memory.
const qint64 kMaxImportBytes = 256LL * 1024 * 1024;

// A heading is a line of its own: 第, numerals, the keyword, a short title.
// Headings mentioned inside a sentence, and the lines after a heading, are
// text. A volume heading may be followed on its line by a chapter heading
// (the export writes "volume chapter" heading lines); the text an import
// found before the first chapter is a chapter named 序言, and a line of that
// word alone is its heading again. The catalogue carries the same patterns.
#define TESSANE_NUMERALS "[一二三四五六七八九十百千万两廿卅卌零〇１２３４５６７８９０0-9]+"
#define TESSANE_BLANK "[ \\t\\x{3000}]"
#define TESSANE_CHAPTER_WORD \
    "(?:(?:第|蒂)" TESSANE_NUMERALS "(?:章|节|回)|序言" TESSANE_BLANK "*(?:\\n|\\z))"
const char kVolumePattern[] =
    "^" TESSANE_BLANK "*第" TESSANE_NUMERALS "(?:卷|篇)"
    "(?:(?!" TESSANE_BLANK "+" TESSANE_CHAPTER_WORD ")[^\\n]){0,30}"
    "(?:" TESSANE_BLANK "+(?=" TESSANE_CHAPTER_WORD ")|" TESSANE_BLANK "*(?:\\n|\\z))";
const char kChapterPattern[] =
    "^" TESSANE_BLANK "*(?:(?:第|蒂)" TESSANE_NUMERALS "(?:章|节|回)[^\\n]{0,30}|序言" TESSANE_BLANK "*)"
    "(?:\\n|\\z)";
#undef TESSANE_CHAPTER_WORD
#undef TESSANE_BLANK
#undef TESSANE_NUMERALS

QRegularExpression::PatternOptions patternOptions()
{
    return QRegularExpression::MultilineOption | QRegularExpression::DotMatchesEverythingOption
        | QRegularExpression::UseUnicodePropertiesOption;
}

// The catalogue's pattern, unless there is none or it cannot cut a text.
QString usablePattern(const char* source, const char* builtIn)
{
    const QString translated = QCoreApplication::translate("CBookJobManager", source);
    if (translated == QLatin1String(source))
        return QString::fromUtf8(builtIn);
    const QRegularExpression re(translated, patternOptions());
    if (!re.isValid() || re.match(QString()).hasMatch()) {
        qWarning() << "unusable heading pattern in the catalogue:" << source;
        return QString::fromUtf8(builtIn);
    }
    return translated;
}

bool isBlank(const QString& text)
{
    for (const QChar c : text) {
        if (!c.isSpace())
            return false;
    }
    return true;
}

// The blank line after a heading and the three line feeds before the next
// one are the layout of an exported book, not the chapter's text: a book
// exported and imported again gets back its texts as they were.
QString chapterBody(const QString& section)
{
    int from = section.startsWith(QLatin1Char('\n')) ? 1 : 0;
    int to = section.size();
    if (to - from >= 3 && section.midRef(to - 3) == QLatin1String("\n\n\n"))
        to -= 3;
    return section.mid(from, to - from);
}

// One volume of the import with the chapters that go into it.
struct ImportVolume
{
    QString title;
    QStringList chapterTitles;
    QStringList chapterTexts;
};

// Cuts one section into chapters and returns the number of headings. Text
// before the first chapter heading is kept as a chapter of its own so that
// nothing of the file is dropped.
int collectChapters(ImportVolume& volume, QString& text, const QString& pattern,
                    const std::function<bool()>& stopped)
{
    QStringList titles;
    QStringList texts;
    QString leading;
    CBookJobManager::splitImportText(titles, texts, text, pattern, &leading, stopped);
    if (!isBlank(leading)) {
        volume.chapterTitles.append(
            QCoreApplication::translate("CBookJobManager", "Preface"));
        volume.chapterTexts.append(leading);
    }
    const int n = qMin(titles.size(), texts.size());
    for (int i = 0; i < n; ++i) {
        volume.chapterTitles.append(titles.at(i));
        volume.chapterTexts.append(chapterBody(texts.at(i)));
    }
    return titles.size();
}

// A connection name of its own for every import run.
QString importConnectionName()
{
    static QAtomicInt counter;
    return QStringLiteral("tessane-import-%1").arg(counter.fetchAndAddRelaxed(1) + 1);
}

} // namespace

QString CBookJobManager::importErrorText(int result)
{
    QString reason;
    switch (result) {
    case TessaneImportWrongSuffix:
        reason = tr("only .txt files can be imported");
        break;
    case TessaneImportEmptyName:
        reason = tr("the file name gives no book name");
        break;
    case TessaneImportNoText:
        reason = tr("the file holds no text, or its encoding is not UTF-8, UTF-16 or GBK");
        break;
    case TessaneImportUnreadable:
        reason = tr("the file cannot be read, or is too large");
        break;
    default:
        reason = tr("the book could not be stored on this computer; if the disk is full, free some space on it "
                    "and import the file again");
        break;
    }
    return tr("import book failed: %1").arg(reason);
}

QString CBookJobManager::volumePattern()
{
    return usablePattern("volume regexp", kVolumePattern);
}

QString CBookJobManager::chapterPattern()
{
    return usablePattern("chapter regexp", kChapterPattern);
}

bool CBookJobManager::startImportBook(const QString& path)
{
    static bool connected = false;
    if (!connected) {
        qRegisterMetaType<T_Book*>("T_Book*");
        qRegisterMetaType<TC_Books_AddBook*>("TC_Books_AddBook*");
        connect(this, &CBookJobManager::sig_ImportBookStep, this,
                &CBookJobManager::on_ImportBookStep);
        connect(this, &CBookJobManager::sig_ImportBookThreadComplete, this,
                &CBookJobManager::on_ImportBookThreadComplete);
        connect(this, &CBookJobManager::sig_ImportBookProgress, this,
                &CBookJobManager::on_ImportBookProgress);
        connected = true;
    }
    CUiManager* ui = CUiManager::instance();
    if (ui->isBookImporting()) {
        qInfo() << "importing book: another import is still running";
        return false;
    }
    if (path.isEmpty() || m_model->userInfo.uid < 1 || !m_db->isOpen()) {
        qWarning() << "import book needs a file, a signed-in author and the database";
        return false;
    }
    // Set before the worker starts, so a second import cannot slip in while
    // the first book is still being made.
    ui->setBookImporting(true);

    // The worker reads and cuts the file and writes the book through its own
    // database connection; it never touches the model, the window manager or
    // the GUI thread's connection. The finished book and its add-book request
    // come back through the queued signals, and the GUI thread puts them into
    // the model and sends the request. The import is its author's: the
    // author's sign-out and the program's quit stop it (stopImport).
    auto* thread = new CThreadImportBook(path, nullptr);
    // Named for whoever looks at the program's threads.
    thread->setObjectName(QStringLiteral("book import"));
    m_import = thread;
    connect(thread, &QThread::finished, this, [this, thread]() {
        const TessaneError result = thread->result();
        thread->deleteLater();
        // A stopped import was settled when it was stopped.
        if (thread != m_import)
            return;
        m_import = nullptr;
        if (result != TessaneImportOk) {
            dropImportPlaceholder();
            CUiManager* ui = CUiManager::instance();
            ui->setBookImporting(false);
            m_lastError = importErrorText(result);
            ui->showError(m_lastError, 3000);
            sweepImportLeftovers();
        }
        emit sig_ImportBookFinished(result);
    });
    WorkerThreads::adopt(thread);
    thread->start(QThread::InheritPriority);
    return true;
}

void CBookJobManager::stopImport()
{
    if (CThreadImportBook* thread = m_import) {
        m_import = nullptr;
        // The worker looks at the request between chapters and every
        // megabyte it decodes: the wait is short. Its open turn is rolled
        // back when it returns; what its earlier turns wrote is not the
        // author's and is swept away on a worker.
        thread->requestInterruption();
        thread->wait();
        qInfo() << "import of" << thread->target().uid << "stopped with" << thread->result();
        sweepImportLeftovers();
        emit sig_ImportBookFinished(thread->result());
    }
    // Its tile goes; the next author may import. A book it stored before the
    // stop stays its author's and comes back with their next sign-in.
    dropImportPlaceholder();
    m_ui->setBookImporting(false);
}

void CBookJobManager::sweepImportLeftovers()
{
    // An import still running owns the one book it lists.
    if (m_import == nullptr)
        m_db->sweepBooks(m_db->booksLeftOver());
}

TessaneError CBookJobManager::books_import(const QString& path, const T_ImportTarget& target)
{
    const QString suffix = getFileSuffix(path);
    if (suffix != QLatin1String("txt"))
        return TessaneImportWrongSuffix;
    QString bookName = getFileName(path);
    bookName.chop(suffix.size() + 1);
    if (bookName.isEmpty())
        return TessaneImportEmptyName;

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning() << "import book: cannot open" << path << file.errorString();
        return TessaneImportUnreadable;
    }
    if (file.size() > kMaxImportBytes) {
        qWarning() << "import book: file too large" << path << file.size();
        return TessaneImportUnreadable;
    }
    // Read as bytes: a text-mode read would drop CR bytes inside UTF-16 text.
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError || bytes.size() != file.size()) {
        qWarning() << "import book: cannot read" << path << file.errorString();
        return TessaneImportUnreadable;
    }
    file.close();

    const auto stopped = [&target]() { return target.stopRequested && target.stopRequested(); };
    if (stopped())
        return TessaneImportStopped;
    // A stop is looked at while the text is decoded and cut, a megabyte or
    // a few hundred headings at a time: a quit never waits for a whole file.
    QString text;
    ImportEncoding encoding = ImportEncoding::None;
    if (!decodeImportText(bytes, text, &encoding, stopped) || text.isEmpty()) {
        if (stopped())
            return TessaneImportStopped;
        qWarning() << "import book: no text in" << path;
        return TessaneImportNoText;
    }
    const int t = target.startTime;

    // Cut the whole text before anything is stored: a file that is no book
    // leaves nothing behind.
    QList<ImportVolume> plan;
    const QString firstVolume = QCoreApplication::translate("CBookJobManager", "First Volume");
    const QString chapterRe = chapterPattern();
    QStringList volumeTitles;
    QStringList volumeTexts;
    QString leading;
    // Cleaned once for the whole file: a second cleaning of a section would
    // read the "&lt;" that an escaped "&amp;lt;" left as an entity again.
    htmlToPlainText(text, stopped);
    if (stopped())
        return TessaneImportStopped;
    splitImportText(volumeTitles, volumeTexts, text, volumePattern(), &leading, stopped);
    if (stopped())
        return TessaneImportStopped;
    qDebug() << "import book volumes:" << volumeTitles;
    if (volumeTitles.isEmpty()) {
        ImportVolume volume;
        volume.title = firstVolume;
        if (collectChapters(volume, text, chapterRe, stopped) == 0) {
            if (stopped())
                return TessaneImportStopped;
            // No heading at all: the whole text is one chapter, as the
            // import rules tell the author.
            if (isBlank(text)) {
                qWarning() << "import book: only blanks in" << path;
                return TessaneImportNoText;
            }
            volume.chapterTitles = QStringList{QCoreApplication::translate("CBookJobManager", "first chapter")};
            volume.chapterTexts = QStringList{text};
        }
        plan.append(volume);
    } else {
        if (!isBlank(leading)) {
            ImportVolume volume;
            volume.title = firstVolume;
            collectChapters(volume, leading, chapterRe, stopped);
            plan.append(volume);
        }
        const int n = qMin(volumeTitles.size(), volumeTexts.size());
        for (int i = 0; i < n; ++i) {
            if (stopped())
                return TessaneImportStopped;
            // Two sections under the same heading make one volume.
            if (plan.isEmpty() || plan.last().title != volumeTitles.at(i)) {
                ImportVolume volume;
                volume.title = volumeTitles.at(i);
                plan.append(volume);
            }
            QString section = volumeTexts.at(i);
            collectChapters(plan.last(), section, chapterRe, stopped);
        }
    }
    text.clear();
    if (stopped())
        return TessaneImportStopped;

    CTessaneDb db(nullptr, importConnectionName());
    if (!db.openExisting(target.dbFile)) {
        qWarning() << "import book failed === cannot open the database" << db.lastErrorText();
        return TessaneImportNotStored;
    }
    db.setCurrentUid(target.uid);
    // Written in turns of a few milliseconds that give way to the window's
    // writes. The book is listed as being imported from the first turn to
    // the last, so until it is done nothing of it is the author's; what a
    // stop or a failure leaves listed is swept away afterwards.
    db.giveWayToOthers();
    WriteTurns turns(db, stopped);
    if (!turns.begin()) {
        if (stopped())
            return TessaneImportStopped;
        qWarning() << "import book failed === the database is busy" << db.lastErrorText();
        return TessaneImportNotStored;
    }

    auto request = std::make_unique<TC_Books_AddBook>(bookName, t, t, QString());
    request->import = true;
    request->header.uid = target.uid;
    if (!db.insertBook(*request) || !db.markBookImporting(request->header.localBookId)
        || !db.addJob(request->header, bookName, t, 0)) {
        qWarning() << "import book failed === " << db.lastErrorText();
        return TessaneImportNotStored;
    }

    std::unique_ptr<T_Book> book(new T_Book(request->header.localBookId, bookName));
    book->authorId = target.uid;
    book->createTime = t;
    book->updateTime = t;
    book->chaptersLoaded = true;
    book->isImporting = true;
    book->isSyncing = true;

    QList<T_Chapter*> chapters;
    auto releaseChapters = [&chapters]() {
        qDeleteAll(chapters);
        chapters.clear();
    };
    int k = 0;
    for (const ImportVolume& planned : qAsConst(plan)) {
        // Without volume headings the one volume is the first; with them the
        // volumes count from 0 in text order.
        int order = 0;
        if (volumeTitles.isEmpty()) {
            order = 1;
        } else {
            for (const T_Volume* v : qAsConst(book->volumeList))
                order = qMax(order, v->orderNum + 1);
        }
        TC_Volume_Add volumeAdd(book->localId, 0, -1, order, t, planned.title, 1);
        volumeAdd.header.uid = target.uid;
        if (!db.insertVolume(volumeAdd)
            || !db.addJob(volumeAdd.header, planned.title, volumeAdd.updateTime, order) || !turns.next()) {
            releaseChapters();
            if (stopped())
                return TessaneImportStopped;
            qWarning() << "import book failed === volume not stored" << db.lastErrorText();
            return TessaneImportNotStored;
        }
        auto* volume = new T_Volume;
        volume->localId = volumeAdd.header.localVolumeId;
        volume->localBookId = book->localId;
        volume->orderNum = order;
        volume->volumeName = planned.title;
        volume->status = 1;
        volume->createTime = t;
        book->volumeList.append(volume);

        const int n = qMin(planned.chapterTitles.size(), planned.chapterTexts.size());
        for (int i = 0; i < n; ++i) {
            ++k;
            auto* chapter = new T_Chapter;
            chapter->name = planned.chapterTitles.at(i);
            chapter->content = planned.chapterTexts.at(i);
            chapter->localBookId = book->localId;
            chapter->bookId = 0;
            chapter->localVolumeId = volume->localId;
            chapter->status = 1;
            chapter->orderNum = k;
            chapter->createTime = t + k;
            chapter->updateTime = t + k;
            chapter->calcWordCount();
            chapter->contentLoaded = true;
            chapters.append(chapter);
        }
    }
    plan.clear();

    int batches = 0;
    // The shelf shows the book and its progress while the chapters go in;
    // the values travel queued to the GUI thread, with the author whose
    // shelf alone may show them.
    const int bookId = book->localId;
    const QString name = book->bookName;
    const int uid = target.uid;
    const bool stored = saveImportChapters(db, book.get(), t, chapters, &batches,
                                           [this, uid, bookId, name, &stopped](int done, int total) {
                                               emit sig_ImportBookProgress(uid, bookId, name, done, total);
                                               return !stopped();
                                           },
                                           &turns);
    // The chapters that reached the book belong to it now.
    for (T_Chapter* chapter : qAsConst(book->chapterList))
        chapters.removeOne(chapter);
    releaseChapters();
    // Stopped: the open turn is rolled back; the book stays listed.
    if (stopped())
        return TessaneImportStopped;
    if (!stored || !db.publishImportedBook(bookId) || !turns.finish()) {
        if (stopped())
            return TessaneImportStopped;
        qWarning() << "import book failed === chapters not stored" << db.lastErrorText();
        return TessaneImportNotStored;
    }

    // Each batch counts once stored (now) and once answered.
    book->synCount = 2 * batches;
    book->synDoneCount = batches;
    book->chapterCount = book->chapterList.size();
    qInfo() << "imported book" << book->localId << "chapters" << book->chapterCount
            << "volumes" << book->volumeList.size() << "encoding" << static_cast<int>(encoding);
    emit sig_ImportBookStep(book.release());
    emit sig_ImportBookThreadComplete(request.release());
    return TessaneImportOk;
}

bool CBookJobManager::saveImportChapters(CTessaneDb& db, T_Book* book, int createTime,
                                         QList<T_Chapter*>& chapters, int* batches,
                                         const std::function<bool(int, int)>& progress, WriteTurns* turns)
{
    if (batches)
        *batches = 0;
    if (book == nullptr)
        return false;
    QJsonArray batch;
    auto recordBatch = [&]() {
        T_Http_Custom header;
        header.localBookId = book->localId;
        header.jobType = JobType::ChapterBatchCreate;
        const QString content =
            QString::fromUtf8(QJsonDocument(batch).toJson(QJsonDocument::Compact));
        if (!db.addJob(header, content, createTime, 0))
            return false;
        batch = QJsonArray();
        if (batches)
            ++*batches;
        return true;
    };
    const int total = chapters.size();
    int done = 0;
    if (progress && !progress(0, total))
        return false;
    for (T_Chapter* chapter : qAsConst(chapters)) {
        if (!db.insertChapterWithContent(chapter) || (turns && !turns->next()))
            return false;
        book->chapterList.append(chapter);
        QJsonObject item;
        item.insert(QStringLiteral("chapter_name"), chapter->name);
        item.insert(QStringLiteral("local_id"), chapter->localId);
        item.insert(QStringLiteral("update_time"), chapter->updateTime);
        item.insert(QStringLiteral("order_num"), chapter->orderNum);
        item.insert(QStringLiteral("volume_id"), 0);
        item.insert(QStringLiteral("local_volume_id"), chapter->localVolumeId);
        batch.append(item);
        ++done;
        if (batch.size() == kBatchSize) {
            if (!recordBatch() || (turns && !turns->next()))
                return false;
            if (progress && !progress(done, total))
                return false;
        }
    }
    if (!batch.isEmpty() && !recordBatch())
        return false;
    book->calcWordCount();
    return true;
}

void CBookJobManager::splitImportText(QStringList& titles, QStringList& contents, QString& text,
                                      const QString& pattern, QString* leading,
                                      const std::function<bool()>& stopped)
{
    titles.clear();
    contents.clear();
    if (leading)
        leading->clear();

    const QRegularExpression re(pattern, patternOptions());
    if (!re.isValid()) {
        qWarning() << "heading pattern is invalid:" << re.errorString();
        if (leading)
            *leading = text;
        return;
    }
    QList<int> starts;
    QList<int> ends;
    QRegularExpressionMatchIterator it = re.globalMatch(text);
    while (it.hasNext()) {
        if (starts.size() % kMatchesPerLook == 0 && stopped && stopped())
            return;
        const QRegularExpressionMatch match = it.next();
        // An empty match is no heading; the iterator moves on by itself.
        if (match.capturedLength() == 0)
            continue;
        QString title = match.captured().trimmed();
        title.remove(QLatin1Char('\n'));
        titles.append(title);
        starts.append(match.capturedStart());
        ends.append(match.capturedEnd());
    }
    for (int i = 0; i < starts.size(); ++i) {
        if (i % kMatchesPerLook == 0 && stopped && stopped())
            return;
        const int end = i + 1 < starts.size() ? starts.at(i + 1) : text.size();
        contents.append(text.mid(ends.at(i), end - ends.at(i)));
    }
    if (leading)
        *leading = starts.isEmpty() ? text : text.left(starts.first());
}

void CBookJobManager::htmlToPlainText(QString& text, const std::function<bool()>& stopped)
{
    const auto stop = [&stopped]() { return stopped && stopped(); };
    // A space entity and two-digit numeric ones are dropped; "&nbsp" and "&lt"
    // / "&gt" also come without their semicolon in pasted web text.
    const QRegularExpression entity(QStringLiteral("&(?:(nbsp|lt|gt);?|(amp|quot);|#[0-9][0-9];)"));
    // A listed name ends the tag, or is followed by the slash of the
    // self-closing form, or by attributes written as a page writes them (at
    // least one with a value, so "<i love you>" and "<b 走吧>" are the
    // author's own, like "<走吧>").
    const QString attribute = QStringLiteral(R"([A-Za-z_:][A-Za-z0-9_:.-]*+(?:\s*+=\s*+(?:"[^"]*+"|'[^']*+'|[^\s"'<>=`]++))?)");
    const QRegularExpression tag(QStringLiteral(
        "</*(html|head|meta|link|base|basefont|body|bgsound|title|style|script|noscript|object|"
        "form|select|option|iframe|frame|frameset|applet|button|code|event|id|input|ilayer|"
        "layer|name|xml|userprofile|table|tbody|thead|tfoot|th|tr|td|i|b|u|strong|img|p|br|div|"
        "em|ul|ol|li|dl|dd|dt|a|font|span|embed|hr|blockquote|h1|h2|h3|h4|h5|h6|sub|sup|"
        "strike)(?:(?=[^<>]*=)(?:\\s++%1)++)?\\s*+/?>").arg(attribute));
    // Each step is one pass over the text; a stop is looked at between them
    // and every few thousand matches.
    text.remove(QLatin1Char('\t'));
    if (stop())
        return;
    // A carriage return ends a line (old Mac files) rather than vanishing and
    // gluing two lines together.
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (stop())
        return;
    // Tags go before entities are read, so that an escaped "&lt;p&gt;" the
    // author wrote stays in the text as "<p>".
    QString untagged;
    int from = 0;
    int matches = 0;
    QRegularExpressionMatchIterator tags = tag.globalMatch(text);
    while (tags.hasNext()) {
        if (++matches % kMatchesPerLook == 0 && stop())
            return;
        const QRegularExpressionMatch m = tags.next();
        untagged += text.midRef(from, m.capturedStart() - from);
        from = m.capturedEnd();
    }
    if (from > 0) {
        untagged += text.midRef(from);
        text.swap(untagged);
    }
    untagged = QString();
    if (stop())
        return;
    // One pass over whole entities, semicolon included: "&amp;lt;" gives the
    // four characters "&lt;", and no semicolon is left behind an entity.
    QString plain;
    plain.reserve(text.size());
    from = 0;
    QRegularExpressionMatchIterator it = entity.globalMatch(text);
    while (it.hasNext()) {
        if (++matches % kMatchesPerLook == 0 && stop())
            return;
        const QRegularExpressionMatch m = it.next();
        plain += text.midRef(from, m.capturedStart() - from);
        const QStringRef name = m.capturedLength(1) ? m.capturedRef(1) : m.capturedRef(2);
        if (name == QLatin1String("lt"))
            plain += QLatin1Char('<');
        else if (name == QLatin1String("gt"))
            plain += QLatin1Char('>');
        else if (name == QLatin1String("amp"))
            plain += QLatin1Char('&');
        else if (name == QLatin1String("quot"))
            plain += QLatin1Char('"');
        from = m.capturedEnd();
    }
    plain += text.midRef(from);
    text = plain;
}

void CBookJobManager::on_ImportBookStep(T_Book* pBook)
{
    if (pBook == nullptr)
        return;
    if (!m_import || pBook->authorId != m_model->userInfo.uid) {
        // The import was stopped after it had stored the book (its author
        // signed out): the book is stored for them and comes back with their
        // next sign-in.
        qInfo() << "imported book" << pBook->localId << "belongs to a session that ended";
        delete pBook;
        return;
    }
    T_Book* shown = m_model->findBookByLocalId(pBook->localId);
    if (shown && shown != pBook && shown->isImporting) {
        // The finished book takes the place of the one shown while importing.
        const int row = m_model->bookList.indexOf(shown);
        m_model->bookList[row] = pBook;
        delete shown;
        m_importPlaceholderId = 0;
        refreshBookItem(pBook);
    } else if (!m_model->bookList.contains(pBook)) {
        m_model->bookList.prepend(pBook);
    }
    // Nothing to wait for from the platform but the book itself.
    if (pBook->synCount == 0)
        m_model->resetBookSynState(pBook);
}

void CBookJobManager::on_ImportBookThreadComplete(TC_Books_AddBook* tData)
{
    if (tData == nullptr)
        return;
    std::unique_ptr<TC_Books_AddBook> request(tData);
    // Another session's request would go out under the wrong sign-in; the
    // job stays queued for its own author.
    if (!m_import || request->header.uid != m_model->userInfo.uid)
        return;
    // The worker committed the job through its own connection; the revision
    // its reply must quote is read here. A job the drain already sent (or
    // that is gone) is left to that request.
    const int revision = request->header.jobId > 0 ? m_db->jobRevision(request->header.jobId) : -1;
    if (revision < 0) {
        qInfo() << "imported book" << request->header.localBookId << "has no add-book job waiting; nothing sent";
        return;
    }
    sendRecorded(*request, revision, &CTessaneHttp::books_add_asyn);
}

void CBookJobManager::on_ImportBookProgress(int uid, int localBookId, const QString& bookName, int stored,
                                           int total)
{
    // Only the running import shows, and only on its author's shelf: a
    // report queued before the import was stopped finds no import.
    if (localBookId < 1 || !m_import || m_import->target().uid != uid || uid != m_model->userInfo.uid)
        return;
    T_Book* book = m_model->findBookByLocalId(localBookId);
    if (book == nullptr) {
        // A tile for the book being imported; the finished book replaces it.
        TC_Books_AddBook request(bookName, 0, 0, QString());
        request.import = true;
        request.header.localBookId = localBookId;
        request.header.uid = uid;
        book = m_ui->addBook(request, 0, true);
        if (book == nullptr)
            return;
        book->isSyncing = true;
        m_importPlaceholderId = localBookId;
    }
    if (!book->isImporting)
        return;
    // Two steps per batch of chapters: stored here, answered by the platform.
    const int batches = (total + kBatchSize - 1) / kBatchSize;
    book->synCount = 2 * batches;
    book->synDoneCount = (stored + kBatchSize - 1) / kBatchSize;
    qDebug() << "import progress" << localBookId << stored << "/" << total;
    refreshBookItem(book);
}

void CBookJobManager::dropImportPlaceholder()
{
    if (m_importPlaceholderId < 1)
        return;
    T_Book* shown = m_model->findBookByLocalId(m_importPlaceholderId);
    m_importPlaceholderId = 0;
    if (shown == nullptr || !shown->isImporting)
        return;
    // The import stored nothing: its tile goes.
    m_model->bookList.removeOne(shown);
    delete shown;
    if (Widget_Bookshelf* shelf = m_ui->bookshelf())
        shelf->initBookList();
}
