#pragma once

#include "WordAutomaton.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

// One occurrence of a listed word in a scanned text (UTF-16 positions).
struct SensitiveWordHit
{
    int position = 0;
    int length = 0;
    QString word;
};

// One line of the pinyin table: a toneless syllable and the characters read so.
struct PinyinEntry
{
    QString syllable;
    QList<int> codePoints;
};
using PinyinTable = QList<PinyinEntry>;

// The two sensitive-word lists of the signed-in user: the platform's regular
// list, filed by first character, and the user's own list; the hits of the
// last scan and the pinyin table used to spell words out. Each list is turned
// into a word automaton when it is set, so a scan reads the text once per list
// however many words there are.
class SensitiveWordMatcher
{
public:
    SensitiveWordMatcher() = default;
    SensitiveWordMatcher(const SensitiveWordMatcher&) = delete;
    SensitiveWordMatcher& operator=(const SensitiveWordMatcher&) = delete;

    // The treatments of found words.
    enum Treatment {
        MarkOnly = 1,
        ReplaceByPinyin = 2,
        ReplaceByStars = 3,
        SeparateByDash = 4,
    };
    // Bits of the scan flags (the user's sensitiveStatus).
    enum ListFlag {
        RegularList = 1,
        CustomList = 2,
    };

    // Builds the regular index from the list text (entries separated by the
    // ideographic comma); entries are trimmed, empty ones are left out.
    void setWords(const QString& text);
    // Keeps the user's list as given and split at the ideographic comma, empty
    // parts kept and nothing trimmed; an empty text gives no words.
    void setCustomWords(const QString& text);

    const QString& customText() const { return m_customText; }
    const QStringList& customWords() const { return m_customWords; }
    // First character -> the regular entries that begin with it, in list order.
    const QMap<QString, QStringList>& wordIndex() const { return m_index; }
    int wordCount() const;

    // Finds every occurrence of every listed word (overlapping ones and words
    // inside longer words included) in the lists the flags name; keeps the
    // hits until the next scan and returns their number. Hits come regular
    // list first, by first character, then entry, then position; then the
    // user's list by entry, then position. A word listed twice hits twice.
    int scan(const QString& text, int flags);
    const QList<SensitiveWordHit>& results() const { return m_hits; }

    // The same hits found word by word with one substring search each; the
    // reference the automaton is checked and measured against.
    static QList<SensitiveWordHit> scanWordByWord(const QMap<QString, QStringList>& index,
                                                  const QStringList& customWords, const QString& text, int flags);

    // The toneless syllable of the first UTF-16 unit of ch; empty when the
    // table has no such character or cannot be read (the next call retries).
    QString pinyinOf(const QString& ch);

    // The replacement of one word under treatments 2 to 4; the word itself for
    // any other treatment.
    QString replacementOf(const QString& word, int treatment);
    // Applies treatment 2, 3 or 4 for the hits to the text: every occurrence of
    // each hit's word is replaced, in hit order, as if each word were replaced
    // in turn through the whole text; done in one pass over the text. cursor
    // receives the smallest end (position + length) of those hits, -1 when
    // none applied.
    QString applyTreatment(const QString& text, const QList<SensitiveWordHit>& hits, int treatment,
                           int* cursor = nullptr);
    // Treatments 2 to 4 as replacements of stretches of the text, in text
    // order and without overlap, when applying them one after another gives
    // exactly applyTreatment's text (Edits); WholeText when a replacement
    // could make or break occurrences of a later word, so only the whole
    // text will do; NoEdit when nothing is to be replaced. cursor as above.
    enum EditKind { NoEdit, Edits, WholeText };
    struct TreatmentEdit
    {
        int position;
        int length;
        QString replacement;
    };
    EditKind treatmentEdits(const QString& text, const QList<SensitiveWordHit>& hits, int treatment,
                            QVector<TreatmentEdit>* edits, int* cursor = nullptr);
    // The same, one whole-text replacement per hit word in turn.
    QString applyTreatmentWordByWord(const QString& text, const QList<SensitiveWordHit>& hits, int treatment,
                                     int* cursor = nullptr);

    // Where the table is read from; tests point it elsewhere. Clears the table.
    void setPinyinSource(const QString& path);
    const PinyinTable& pinyinTable() const { return m_pinyin; }

private:
    // The hits' words in the order of their first hit, their replacements and
    // the smallest end of a hit.
    void wordsOf(const QList<SensitiveWordHit>& hits, int treatment, QStringList* words,
                 QStringList* replacements, int* smallestEnd);
    void loadPinyin();
    void appendHits(const WordAutomaton& automaton, const QStringList& listing, const QString& text);

    QMap<QString, QStringList> m_index;
    QString m_customText;
    QStringList m_customWords;
    // The regular entries in hit order (by key, then list order) and their automaton.
    QStringList m_regularListing;
    WordAutomaton m_regular;
    WordAutomaton m_custom;
    QList<SensitiveWordHit> m_hits;
    PinyinTable m_pinyin;
    // Unit -> syllable, the first table line that lists it.
    QHash<ushort, QString> m_pinyinOf;
    QString m_pinyinSource = QStringLiteral(":/res/txt/pinyin.txt");
};
