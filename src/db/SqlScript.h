#pragma once

#include <QString>
#include <QStringList>

// Splits an SQL script into its statements. Line breaks (CRLF, CR or LF)
// stay line breaks; a ";" ends a statement only outside quotes, identifiers
// in brackets or back quotes, comments and the body of a CREATE TRIGGER.
// Each statement is returned trimmed with its closing ";"; parts that hold
// nothing but blanks and comments are left out.
QStringList splitSqlScript(const QString& script);
