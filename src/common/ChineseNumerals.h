#pragma once

#include <QString>

// Chinese numerals and the next chapter and volume titles proposed from the
// last one ("第九章" -> "第十章 ", "第3卷" -> "第4卷 ").

// Builds the numeral tables from the translation catalogue; call once after
// the catalogue is installed. Without a catalogue the built-in texts are used.
void initNumeralTables();

QString intToChinese(qint64 n);
qint64 chineseToInt(const QString& text);
bool isAllChineseNumerals(const QString& text);
bool isArabicNumber(const QString& text);

QString formatChapterTitle(const QString& lastChapterTitle);
QString formatVolumeTitle(const QString& lastVolumeName);
