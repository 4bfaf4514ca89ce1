#pragma once

#include <QByteArray>
#include <QString>

// A file that must outlive the program even when the disk is failing: the
// words the database could not take. A write counts only once the bytes are
// on the disk and read back whole; a full disk that swallows them is caught
// here rather than reported as kept.
class DurableFile
{
public:
    // Writes the bytes to the path through a temporary file (an existing file
    // stays whole until the new one is complete); false, and nothing left at
    // the path, when any step fails.
    static bool write(const QString& path, const QByteArray& bytes);
};
