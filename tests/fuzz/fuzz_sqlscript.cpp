// The loader of the database's upgrade script.

#include "FuzzTarget.h"

#include "db/SqlScript.h"

#include <cstdio>

FUZZ_TARGET(sqlscript)(const uint8_t* data, size_t size)
{
    const QString script = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<int>(size));
    for (const QString& statement : splitSqlScript(script)) {
        FUZZ_CHECK(!statement.isEmpty());
        FUZZ_CHECK(statement == statement.trimmed());
    }
    return 0;
}
