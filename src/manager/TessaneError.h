#pragma once

// Result of importing a text file as a book. Every code other than
// TessaneImportOk means that nothing of the book was stored.
enum TessaneError : int {
    TessaneImportOk = 200,
    // The file's suffix is not exactly "txt".
    TessaneImportWrongSuffix = 10006,
    // The file name without its suffix is empty.
    TessaneImportEmptyName = 10007,
    // No text: an empty file, only blanks, or bytes that are no text in
    // UTF-8, UTF-16 (with byte-order mark) or GB18030 (binary data, broken
    // sequences).
    TessaneImportNoText = 10008,
    // The file cannot be opened or read, or is too large to import.
    TessaneImportUnreadable = 10009,
    // The book could not be stored (the whole import is rolled back).
    TessaneImportNotStored = 10011,
    // The import was stopped before its end (its author signed out, the
    // program quit); like a failure, it leaves nothing behind.
    TessaneImportStopped = 10012,
};
