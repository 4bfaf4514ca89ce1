// The time machine's diff engine on two texts: the input split at its first
// zero byte (or in half).

#include "FuzzTarget.h"

#include "common/DiffMatchPatch.h"

#include <cstdio>
#include <cstring>

FUZZ_TARGET(diff)(const uint8_t* data, size_t size)
{
    const char* bytes = reinterpret_cast<const char*>(data);
    const void* zero = std::memchr(bytes, 0, size);
    const size_t cut = zero ? static_cast<size_t>(static_cast<const char*>(zero) - bytes) : size / 2;
    const QString first = QString::fromUtf8(bytes, static_cast<int>(cut));
    const size_t rest = zero ? cut + 1 : cut;
    const QString second = QString::fromUtf8(bytes + rest, static_cast<int>(size - rest));

    // The time machine hands the engine empty texts, never null ones.
    const QString a = first.isNull() ? QStringLiteral("") : first;
    const QString b = second.isNull() ? QStringLiteral("") : second;
    DiffMatchPatch engine;
    engine.Diff_Timeout = 0.2f;
    QList<Diff> diffs = engine.diff_main(a, b, true);
    FUZZ_CHECK(DiffMatchPatch::diff_text1(diffs) == a);
    FUZZ_CHECK(DiffMatchPatch::diff_text2(diffs) == b);
    engine.diff_cleanupSemantic(diffs);
    FUZZ_CHECK(DiffMatchPatch::diff_text1(diffs) == a);
    FUZZ_CHECK(DiffMatchPatch::diff_text2(diffs) == b);
    return 0;
}
