#include "ChineseNumerals.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QVector>

namespace {

// A catalogue text, or the built-in text when the catalogue lacks the key:
// the title rules depend on these texts, so they must never be the bare key.
QString catalogueText(const char* key, const QString& builtIn)
{
    const QString text = QCoreApplication::translate("QObject", key);
    return text == QLatin1String(key) ? builtIn : text;
}

struct UnitValue {
    QString text;
    qint64 value;
    bool isSection;
};

struct NumeralTables {
    QVector<QString> digits;        // index = value
    QVector<QString> placeUnits;    // "", 十, 百, 千
    QVector<QString> sectionUnits;  // "", 万, 亿, 万亿
    QVector<UnitValue> unitValues;
    QString allNumerals;
    QString chapterNameList;        // 第 opens, the rest close the number
    QString notChapterName;
};

// Filled once on the GUI thread at start-up, read-only afterwards.
NumeralTables g_tables;

int digitValue(QChar ch)
{
    for (int i = 0; i < g_tables.digits.size(); ++i) {
        if (g_tables.digits.at(i).size() == 1 && g_tables.digits.at(i).at(0) == ch)
            return i;
    }
    return -1;
}

const UnitValue* unitValue(QChar ch)
{
    for (const UnitValue& unit : g_tables.unitValues) {
        if (unit.text.size() == 1 && unit.text.at(0) == ch)
            return &unit;
    }
    return nullptr;
}

// The number after a title's opening character, plus one, in the same kind of
// numerals; empty when the number text is neither kind.
QString nextNumber(QString numberText, bool shortenLeadingTen)
{
    if (isArabicNumber(numberText))
        return QString::number(numberText.toLongLong() + 1);
    if (!isAllChineseNumerals(numberText) || g_tables.allNumerals.size() < 11)
        return QString();
    const QChar ten = g_tables.allNumerals.at(10);
    const QChar one = g_tables.allNumerals.at(1);
    if (numberText.startsWith(ten))
        numberText.prepend(one);
    QString next = intToChinese(chineseToInt(numberText) + 1);
    if (shortenLeadingTen && next.size() >= 2 && next.at(0) == one && next.at(1) == ten)
        next.replace(0, 2, QString(ten));
    return next;
}

}

void initNumeralTables()
{
    const char* digitKeys[] = {"chn_0", "chn_1", "chn_2", "chn_3", "chn_4",
                               "chn_5", "chn_6", "chn_7", "chn_8", "chn_9"};
    const QString digitTexts = QStringLiteral("零一二三四五六七八九");
    NumeralTables t;
    for (int i = 0; i < 10; ++i)
        t.digits.append(catalogueText(digitKeys[i], digitTexts.at(i)));

    const QString ten = catalogueText("chn_10", QStringLiteral("十"));
    const QString hundred = catalogueText("chn_100", QStringLiteral("百"));
    const QString thousand = catalogueText("chn_1000", QStringLiteral("千"));
    const QString wan = catalogueText("chn_wan", QStringLiteral("万"));
    const QString yi = catalogueText("chn_yi", QStringLiteral("亿"));
    const QString wanyi = catalogueText("chn_wanyi", QStringLiteral("万亿"));
    t.placeUnits = {QString(), ten, hundred, thousand};
    t.sectionUnits = {QString(), wan, yi, wanyi};
    t.unitValues = {{ten, 10, false}, {hundred, 100, false}, {thousand, 1000, false},
                    {wan, 10000, true}, {yi, 100000000, true}};
    t.allNumerals = catalogueText("chn_all_numbers", QStringLiteral("零一二三四五六七八九十百千万亿"));
    t.chapterNameList = catalogueText("chapter_name_list", QStringLiteral("第章话回节"));
    t.notChapterName = catalogueText("not_chapter_name", QStringLiteral("未命名章节"));
    g_tables = t;
}

QString intToChinese(qint64 n)
{
    if (g_tables.digits.size() != 10)
        return QString();
    if (n == 0)
        return g_tables.digits.at(0);
    if (n < 0)
        return QString();

    QString result;
    int section = 0;
    bool previousSectionNeedsZero = false;
    while (n > 0 && section < g_tables.sectionUnits.size()) {
        const int value = static_cast<int>(n % 10000);
        if (previousSectionNeedsZero)
            result.prepend(g_tables.digits.at(0));
        if (value == 0) {
            previousSectionNeedsZero = false;
        } else {
            QString text;
            bool wroteNonZero = false;
            bool wroteZero = false;
            int rest = value;
            for (int place = 0; place < 4 && rest > 0; ++place, rest /= 10) {
                const int digit = rest % 10;
                if (digit != 0) {
                    text.prepend(g_tables.digits.at(digit) + g_tables.placeUnits.at(place));
                    wroteNonZero = true;
                    wroteZero = false;
                } else if (wroteNonZero && !wroteZero) {
                    text.prepend(g_tables.digits.at(0));
                    wroteZero = true;
                }
            }
            result.prepend(text + g_tables.sectionUnits.at(section));
            previousSectionNeedsZero = value < 1000;
        }
        n /= 10000;
        ++section;
    }
    return result;
}

qint64 chineseToInt(const QString& text)
{
    qint64 result = 0;
    qint64 section = 0;
    qint64 number = 0;
    for (int i = 0; i < text.size(); ++i) {
        const bool last = i == text.size() - 1;
        const int digit = digitValue(text.at(i));
        if (digit >= 0) {
            number = digit;
            if (last)
                return result + section + number;
            continue;
        }
        const UnitValue* unit = unitValue(text.at(i));
        if (!unit)
            return result;
        if (unit->isSection) {
            result += (section + number) * unit->value;
            section = 0;
        } else {
            section += number * unit->value;
        }
        number = 0;
        if (last)
            return result + section;
    }
    return result;
}

bool isAllChineseNumerals(const QString& text)
{
    for (const QChar ch : text) {
        if (!g_tables.allNumerals.contains(ch))
            return false;
    }
    return true;
}

bool isArabicNumber(const QString& text)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
    return digits.match(text).hasMatch();
}

QString formatChapterTitle(const QString& title)
{
    if (title.isEmpty())
        return catalogueText("First Chapter", QStringLiteral("第1章 "));
    const QString& names = g_tables.chapterNameList;
    if (names.size() < 2 || title.size() <= 2 || title.at(0) != names.at(0))
        return g_tables.notChapterName;

    int end = -1;
    for (int i = 1; i < names.size(); ++i) {
        const int position = title.indexOf(names.at(i));
        if (position >= 0 && (end < 0 || position < end))
            end = position;
    }
    if (end < 1)
        return g_tables.notChapterName;

    const QString next = nextNumber(title.mid(1, end - 1), true);
    if (next.isEmpty())
        return g_tables.notChapterName;
    return QStringLiteral("%1%2%3 ").arg(names.at(0), next, names.at(1));
}

QString formatVolumeTitle(const QString& name)
{
    if (name.isEmpty())
        return catalogueText("first volume", QStringLiteral("第1卷"));
    const QString unnamed = catalogueText("unnamed volume", QStringLiteral("默认卷"));
    const QString begin = catalogueText("volumeBegin", QStringLiteral("第"));
    const QString end = catalogueText("volumeEnd", QStringLiteral("卷"));
    if (name.size() <= 2 || begin.size() != 1 || name.at(0) != begin.at(0))
        return unnamed;
    const int position = name.indexOf(end);
    if (position < 1)
        return unnamed;
    const QString next = nextNumber(name.mid(1, position - 1), false);
    if (next.isEmpty())
        return unnamed;
    return QStringLiteral("%1%2%3 ").arg(begin, next, end);
}
