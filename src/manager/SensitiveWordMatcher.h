#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// The two sensitive-word lists of the signed-in user: the platform's regular
// list, filed by first character for the scan, and the user's own list.
class SensitiveWordMatcher
{
public:
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

private:
    QMap<QString, QStringList> m_index;
    QString m_customText;
    QStringList m_customWords;
};
