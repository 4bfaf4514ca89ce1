#pragma once

#include <QString>

// The author's data, logs, crash reports and backups hold the sign-in token,
// the unique code, the writing-lock password and unpublished text: only the
// author's own account may read them. Folders are kept at 0700 (owner only)
// and files at 0600 or narrower; an owner's execute bit is left alone.
namespace PrivateFiles {

// Creates the folder (with missing parents) and makes it owner-only; an
// existing folder with wider modes is narrowed. False when the folder does
// not exist afterwards.
bool makeFolder(const QString& folder);

// Takes group and other permissions off an existing file or folder; true
// when the path is private afterwards or does not exist.
bool narrow(const QString& path);

// Narrows the folder and everything below it (links are not followed).
void narrowTree(const QString& folder);

// True when neither the group nor others have any permission on the path.
bool isPrivate(const QString& path);

}
