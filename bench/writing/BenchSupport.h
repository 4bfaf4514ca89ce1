#pragma once

// Shared by the writing-tool benchmarks: reproducible Chinese prose, a
// stopwatch median and a heartbeat that measures how long the GUI thread
// stays away from its event loop.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVector>

#include <algorithm>

namespace bench {

inline double median(QVector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0.0 : values.at(values.size() / 2);
}

// Common characters of modern prose; "他" is frequent, as in real chapters.
inline const QString& alphabet()
{
    static const QString chars = QStringLiteral(
        "的一是了我不人在他有这个上们来到时大地为子中你说生国年着就那和要她出也得里后自以会家可下而过天去能对小多然于心学么之都好看起发当没成只如事把还用第样道想作种开美总从无情己面最女但现前些所同日手又行意动方期它头经长儿回位分爱老因很给名法间斯知世什两次使身者被高已亲其进此话常与活正感见明问力理尔点文几定本公特做外孩相西果走将月十实向声车全信重三机工物气每并别真打太新比才便夫再书部水像眼等体却加电主界门利海受听表德少克代员许稜先口由死安写性马光白或住难望教命花结乐色更拉东神记处让母父应直字场平报友关放至张认接告入笑内英军候民岁往何度山觉路带万男边风解叫任金快原吃妈变通师立象数四失满战远格士音轻目条呢病始达深完今提求清王化空业思切怎非找片罗钱紶吗语元喜曾离飞科言干流欢约各即指合反题必该论交终林请医晚制球决窢传画保读运及则房早院量苦火布品近坐产答星精视五连司巴奇管类未朋且婚台夜青北队久乎越观落尽形影红爸百令周吧识步希亚术留市半热送兴造谈容极随演收首根讲整式取照办强石古华諣拿计您装似足双妻尼转诉米称丽客南领节衣站黑刻统断福城故历惊脸选包紧争另建维绝树系伤示愿持千史谁准联妇纪基买志静阿诗独复痛消社算");
    return chars;
}

// A sentence of 8 to 30 characters ending in a full stop or a comma.
inline QString sentence(QRandomGenerator& random)
{
    const QString& chars = alphabet();
    const int length = 8 + random.bounded(23);
    QString s;
    s.reserve(length + 1);
    for (int i = 0; i < length; ++i)
        s += chars.at(random.bounded(chars.size()));
    s += random.bounded(4) == 0 ? QStringLiteral("，") : QStringLiteral("。");
    return s;
}

// Sentences grouped into indented paragraphs of 3 to 12 sentences.
inline QStringList sentences(int totalChars, quint32 seed)
{
    QRandomGenerator random(seed);
    QStringList out;
    int size = 0;
    while (size < totalChars) {
        out.append(sentence(random));
        size += out.last().size();
    }
    return out;
}

inline QString joinParagraphs(const QStringList& sentences, quint32 seed)
{
    QRandomGenerator random(seed);
    QString text;
    int left = 0;
    for (const QString& s : sentences) {
        if (left == 0) {
            if (!text.isEmpty())
                text += QLatin1Char('\n');
            text += QStringLiteral("　　");
            left = 3 + random.bounded(10);
        }
        text += s;
        --left;
    }
    return text;
}

inline QString prose(int totalChars, quint32 seed = 7)
{
    QString text = joinParagraphs(sentences(totalChars, seed), seed + 1);
    text.truncate(totalChars);
    return text;
}

// Records the longest gap between heartbeats while the event loop runs: how
// long the GUI thread was busy at a stretch.
class Heartbeat
{
public:
    explicit Heartbeat(int intervalMs = 2)
    {
        m_timer.setInterval(intervalMs);
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this]() {
            const qint64 now = m_clock.nsecsElapsed();
            m_longest = qMax(m_longest, now - m_last);
            m_last = now;
        });
    }
    void start()
    {
        m_longest = 0;
        m_clock.start();
        m_last = 0;
        m_timer.start();
    }
    // Runs the event loop for ms and returns the longest gap in ms.
    double runFor(int ms)
    {
        QElapsedTimer wall;
        wall.start();
        while (wall.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        m_timer.stop();
        return m_longest / 1e6;
    }
    double longestMs() const { return m_longest / 1e6; }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

} // namespace bench
