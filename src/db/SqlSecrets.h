#pragma once

#include <QString>
#include <QStringList>

// Statements are logged when they fail, and some of them carry the author's
// bearer token, unique code or writing-lock password. These helpers give the
// text that may reach a log or a message instead.

// True for a column whose values are secrets: names holding "token",
// "uniquecode" or "secret", or ending in "pwd", "passwd" or "password"
// (case ignored).
bool isSecretSqlColumn(const QString& column);

// The statement with every text value written to or compared with a secret
// column replaced by '***': "col = '...'" anywhere (set lists, where
// clauses) and the matching positions of "insert into t(cols) values(...)".
// Secret members of JSON held in any text value ("token": "...") are masked
// too. masked, when given, receives the original values that were hidden so
// that an error text quoting one of them can be scrubbed as well.
QString maskSqlSecrets(const QString& statement, QStringList* masked = nullptr);

// The text with each of the values replaced by ***.
QString scrubSecrets(QString text, const QStringList& secrets);
