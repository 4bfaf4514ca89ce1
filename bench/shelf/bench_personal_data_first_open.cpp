// The first opening of the personal-data page (web view created, statistics
// page loaded) with and without the bookshelf's hidden warm-up view having
// started the web engine first. The web engine starts once per process, so
// each measurement runs in a child process of its own; the parent prints the
// medians and their ratio. Needs a display (xvfb-run); never fails.

#include "common/Utility.h"
#include "remote/ApiBase.h"
#include "ui/bookshelf/Widget_PersonalData.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <QUrl>
#include <QWebEngineView>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const int kRuns = 3;

// Waits for the view's next loadFinished (at most 60 s).
void waitForLoad(QWebEngineView* view)
{
    QEventLoop loop;
    QObject::connect(view, &QWebEngineView::loadFinished, &loop, &QEventLoop::quit);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    loop.exec();
}

// One child: optionally warm the engine up as the bookshelf does, then time
// the personal-data page's first load. Prints the milliseconds.
int child(bool warm)
{
    if (warm) {
        QWebEngineView hidden;
        hidden.hide();
        hidden.load(ApiBase::warmUpUrl().isValid() ? ApiBase::warmUpUrl() : QUrl(QStringLiteral("about:blank")));
        waitForLoad(&hidden);
        QElapsedTimer timer;
        timer.start();
        Widget_PersonalData page;
        page.show();
        page.loadPersionData(QUrl::fromLocalFile(appDirPath() + QStringLiteral("/data/h5/statistics.html")).toString(),
                             0, QStringLiteral("{}"));
        waitForLoad(page.view());
        std::printf("%lld\n", static_cast<long long>(timer.elapsed()));
        return 0;
    }
    QElapsedTimer timer;
    timer.start();
    Widget_PersonalData page;
    page.show();
    page.loadPersionData(QUrl::fromLocalFile(appDirPath() + QStringLiteral("/data/h5/statistics.html")).toString(), 0,
                         QStringLiteral("{}"));
    waitForLoad(page.view());
    std::printf("%lld\n", static_cast<long long>(timer.elapsed()));
    return 0;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.contains(QStringLiteral("--child-cold")))
        return child(false);
    if (args.contains(QStringLiteral("--child-warm")))
        return child(true);

    std::vector<double> cold, warm;
    for (int i = 0; i < kRuns; ++i) {
        for (const char* mode : {"--child-cold", "--child-warm"}) {
            QProcess process;
            process.start(app.applicationFilePath(), {QString::fromLatin1(mode)});
            if (!process.waitForFinished(120000)) {
                std::printf("child %s did not finish\n", mode);
                continue;
            }
            bool ok = false;
            const double ms = QString::fromLatin1(process.readAllStandardOutput()).trimmed().split('\n').last().toDouble(&ok);
            if (ok)
                (QLatin1String(mode) == QLatin1String("--child-cold") ? cold : warm).push_back(ms);
        }
    }
    const double c = median(cold);
    const double w = median(warm);
    std::printf("personal data first open, engine cold: %.0f ms (median of %zu)\n", c, cold.size());
    std::printf("personal data first open, engine warmed up: %.0f ms (median of %zu)\n", w, warm.size());
    if (c > 0 && w > 0)
        std::printf("warm / cold: %.2f\n", w / c);
    return 0;
}
