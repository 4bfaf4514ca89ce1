// Imports a generated novel of about 20 MB (UTF-8, one volume heading per
// 100 chapters) into a fresh database and compares it with a bare read of
// the same file, decoded and cut at the chapter headings. Prints the time
// and the peak resident memory of each; never fails.

#include "db/CTessaneDb.h"
#include "manager/CBookJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QEventLoop>
#include <QTimer>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QDir>

#include <cstdio>

namespace {

// Resident memory figures of this process in KiB (Linux).
qint64 statusValue(const char* key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(qstrlen(key)).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

// Starts a new peak measurement: the kernel forgets the high-water mark.
void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

QString generateNovel(const QString& path, qint64 targetBytes, int* chapters)
{
    const QString paragraph =
        QStringLiteral("夜色沉沉，远处的灯火一盏接一盏地亮起来，他站在窗前很久没有说话。\n");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    qint64 written = 0;
    int n = 0;
    while (written < targetBytes) {
        QString part;
        if (n % 100 == 0)
            part += QStringLiteral("第%1卷 卷名%1\n").arg(n / 100 + 1);
        ++n;
        part += QStringLiteral("第%1章 第%1夜\n").arg(n);
        for (int p = 0; p < 40; ++p)
            part += paragraph;
        written += file.write(part.toUtf8());
    }
    *chapters = n;
    return path;
}

struct Figures
{
    double ms = 0;
    qint64 peakKb = 0;
    qint64 baseKb = 0;
};

} // namespace

int main(int argc, char** argv)
{
    // The add-book request of the import must not leave the machine.
    qputenv("TESSANE_API_BASE", "http://127.0.0.1:9");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir dir;
    int chapters = 0;
    const QString novel =
        generateNovel(dir.path() + QStringLiteral("/长篇.txt"), 20LL * 1024 * 1024, &chapters);
    const qint64 size = QFile(novel).size();

    // Bare: read, decode, cut at the chapter headings.
    Figures bare;
    resetPeak();
    bare.baseKb = statusValue("VmRSS:");
    {
        QElapsedTimer timer;
        timer.start();
        QFile file(novel);
        file.open(QIODevice::ReadOnly);
        const QString text = QString::fromUtf8(file.readAll());
        const QRegularExpression heading(CBookJobManager::chapterPattern(),
                                         QRegularExpression::MultilineOption);
        QStringList parts;
        int last = 0;
        QRegularExpressionMatchIterator it = heading.globalMatch(text);
        while (it.hasNext()) {
            const QRegularExpressionMatch match = it.next();
            parts.append(text.mid(last, match.capturedStart() - last));
            last = match.capturedEnd();
        }
        parts.append(text.mid(last));
        bare.ms = timer.nsecsElapsed() / 1e6;
        std::printf("bare split: %d parts\n", parts.size());
    }
    bare.peakKb = statusValue("VmHWM:");

    CTessaneDb* db = CTessaneDb::instance();
    QDir().mkpath(dir.path() + QStringLiteral("/program"));
    if (!db->init(dir.path() + QStringLiteral("/wrt.db"), dir.path() + QStringLiteral("/program"))) {
        std::printf("database could not be created\n");
        return 0;
    }
    db->setCurrentUid(10001);
    CPublicManager::instance()->userInfo.uid = 10001;

    Figures import;
    resetPeak();
    import.baseKb = statusValue("VmRSS:");
    int result = 0;
    {
        QElapsedTimer timer;
        timer.start();
        CBookJobManager* manager = CBookJobManager::instance();
        QEventLoop loop;
        result = -1;
        QObject::connect(manager, &CBookJobManager::sig_ImportBookFinished, &loop,
                         [&](int code) {
                             result = code;
                             loop.quit();
                         });
        QTimer::singleShot(600000, &loop, &QEventLoop::quit);
        if (manager->startImportBook(novel))
            loop.exec();
        import.ms = timer.nsecsElapsed() / 1e6;
    }
    import.peakKb = statusValue("VmHWM:");
    const T_Book* book = CPublicManager::instance()->bookList.value(0);

    std::printf("file: %.1f MB, %d chapters\n", size / 1048576.0, chapters);
    std::printf("import result %d, book with %d chapters in %d volumes\n", result,
                book ? book->chapterList.size() : 0, book ? book->volumeList.size() : 0);
    std::printf("%-28s %10s %16s\n", "variant", "time ms", "peak RSS +MB");
    std::printf("%-28s %10.0f %16.1f\n", "bare read+decode+split", bare.ms,
                (bare.peakKb - bare.baseKb) / 1024.0);
    std::printf("%-28s %10.0f %16.1f\n", "import (worker + database)", import.ms,
                (import.peakKb - import.baseKb) / 1024.0);
    if (bare.ms > 0)
        std::printf("time ratio import / bare: %.1f\n", import.ms / bare.ms);
    if (bare.peakKb - bare.baseKb > 0)
        std::printf("memory ratio import / bare: %.1f\n",
                    double(import.peakKb - import.baseKb) / double(bare.peakKb - bare.baseKb));
    return 0;
}
