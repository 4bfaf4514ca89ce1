#include "CrashPoints.h"

#include <sqlite3.h>

#include <atomic>
#include <unistd.h>

namespace {

sqlite3_vfs* g_real = nullptr;
sqlite3_vfs g_vfs;
std::atomic<int> g_limit{0};
std::atomic<int> g_count{0};

// Our header, with the real VFS's file right behind it in the same block.
struct File
{
    sqlite3_file base;
    bool counted;
};

sqlite3_file* real(sqlite3_file* file)
{
    return reinterpret_cast<sqlite3_file*>(reinterpret_cast<File*>(file) + 1);
}

const sqlite3_io_methods* realMethods(sqlite3_file* file)
{
    return real(file)->pMethods;
}

void countOne(sqlite3_file* file)
{
    if (!reinterpret_cast<File*>(file)->counted || g_limit.load() == 0)
        return;
    if (g_count.fetch_add(1) + 1 >= g_limit.load())
        ::_exit(CrashPoints::kEndedExitCode);
}

int fileClose(sqlite3_file* file)
{
    return realMethods(file)->xClose(real(file));
}

int fileRead(sqlite3_file* file, void* buffer, int amount, sqlite3_int64 offset)
{
    return realMethods(file)->xRead(real(file), buffer, amount, offset);
}

int fileWrite(sqlite3_file* file, const void* buffer, int amount, sqlite3_int64 offset)
{
    countOne(file);
    return realMethods(file)->xWrite(real(file), buffer, amount, offset);
}

int fileTruncate(sqlite3_file* file, sqlite3_int64 size)
{
    countOne(file);
    return realMethods(file)->xTruncate(real(file), size);
}

int fileSync(sqlite3_file* file, int flags)
{
    return realMethods(file)->xSync(real(file), flags);
}

int fileSize(sqlite3_file* file, sqlite3_int64* size)
{
    return realMethods(file)->xFileSize(real(file), size);
}

int fileLock(sqlite3_file* file, int level)
{
    return realMethods(file)->xLock(real(file), level);
}

int fileUnlock(sqlite3_file* file, int level)
{
    return realMethods(file)->xUnlock(real(file), level);
}

int fileCheckReservedLock(sqlite3_file* file, int* result)
{
    return realMethods(file)->xCheckReservedLock(real(file), result);
}

int fileControl(sqlite3_file* file, int op, void* argument)
{
    return realMethods(file)->xFileControl(real(file), op, argument);
}

int fileSectorSize(sqlite3_file* file)
{
    return realMethods(file)->xSectorSize(real(file));
}

int fileDeviceCharacteristics(sqlite3_file* file)
{
    return realMethods(file)->xDeviceCharacteristics(real(file));
}

int fileShmMap(sqlite3_file* file, int region, int size, int extend, void volatile** memory)
{
    if (realMethods(file)->iVersion < 2)
        return SQLITE_IOERR;
    return realMethods(file)->xShmMap(real(file), region, size, extend, memory);
}

int fileShmLock(sqlite3_file* file, int offset, int n, int flags)
{
    if (realMethods(file)->iVersion < 2)
        return SQLITE_IOERR;
    return realMethods(file)->xShmLock(real(file), offset, n, flags);
}

void fileShmBarrier(sqlite3_file* file)
{
    if (realMethods(file)->iVersion >= 2)
        realMethods(file)->xShmBarrier(real(file));
}

int fileShmUnmap(sqlite3_file* file, int deleteFlag)
{
    if (realMethods(file)->iVersion < 2)
        return SQLITE_OK;
    return realMethods(file)->xShmUnmap(real(file), deleteFlag);
}

int fileFetch(sqlite3_file* file, sqlite3_int64 offset, int amount, void** pointer)
{
    if (realMethods(file)->iVersion < 3) {
        *pointer = nullptr;
        return SQLITE_OK;
    }
    return realMethods(file)->xFetch(real(file), offset, amount, pointer);
}

int fileUnfetch(sqlite3_file* file, sqlite3_int64 offset, void* pointer)
{
    if (realMethods(file)->iVersion < 3)
        return SQLITE_OK;
    return realMethods(file)->xUnfetch(real(file), offset, pointer);
}

const sqlite3_io_methods g_methods = {
    3,
    fileClose,
    fileRead,
    fileWrite,
    fileTruncate,
    fileSync,
    fileSize,
    fileLock,
    fileUnlock,
    fileCheckReservedLock,
    fileControl,
    fileSectorSize,
    fileDeviceCharacteristics,
    fileShmMap,
    fileShmLock,
    fileShmBarrier,
    fileShmUnmap,
    fileFetch,
    fileUnfetch,
};

int vfsOpen(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags)
{
    auto* wrapper = reinterpret_cast<File*>(file);
    wrapper->counted = (flags & (SQLITE_OPEN_MAIN_DB | SQLITE_OPEN_MAIN_JOURNAL | SQLITE_OPEN_WAL)) != 0;
    sqlite3_file* inner = real(file);
    inner->pMethods = nullptr;
    const int rc = g_real->xOpen(g_real, name, inner, flags, outFlags);
    // A file the real VFS left methods on must be closed through them, even
    // when the open failed.
    wrapper->base.pMethods = inner->pMethods != nullptr ? &g_methods : nullptr;
    return rc;
}

// The real VFS's own functions get the real VFS, whose private data they use.
int vfsDelete(sqlite3_vfs*, const char* name, int syncDir)
{
    return g_real->xDelete(g_real, name, syncDir);
}

int vfsAccess(sqlite3_vfs*, const char* name, int flags, int* result)
{
    return g_real->xAccess(g_real, name, flags, result);
}

int vfsFullPathname(sqlite3_vfs*, const char* name, int size, char* out)
{
    return g_real->xFullPathname(g_real, name, size, out);
}

void* vfsDlOpen(sqlite3_vfs*, const char* name)
{
    return g_real->xDlOpen(g_real, name);
}

void vfsDlError(sqlite3_vfs*, int size, char* message)
{
    g_real->xDlError(g_real, size, message);
}

void (*vfsDlSym(sqlite3_vfs*, void* handle, const char* symbol))(void)
{
    return g_real->xDlSym(g_real, handle, symbol);
}

void vfsDlClose(sqlite3_vfs*, void* handle)
{
    g_real->xDlClose(g_real, handle);
}

int vfsRandomness(sqlite3_vfs*, int size, char* out)
{
    return g_real->xRandomness(g_real, size, out);
}

int vfsSleep(sqlite3_vfs*, int microseconds)
{
    return g_real->xSleep(g_real, microseconds);
}

int vfsCurrentTime(sqlite3_vfs*, double* now)
{
    return g_real->xCurrentTime(g_real, now);
}

int vfsGetLastError(sqlite3_vfs*, int size, char* out)
{
    return g_real->xGetLastError != nullptr ? g_real->xGetLastError(g_real, size, out) : 0;
}

int vfsCurrentTimeInt64(sqlite3_vfs*, sqlite3_int64* now)
{
    return g_real->xCurrentTimeInt64(g_real, now);
}

int vfsSetSystemCall(sqlite3_vfs*, const char* name, sqlite3_syscall_ptr call)
{
    return g_real->xSetSystemCall(g_real, name, call);
}

sqlite3_syscall_ptr vfsGetSystemCall(sqlite3_vfs*, const char* name)
{
    return g_real->xGetSystemCall(g_real, name);
}

const char* vfsNextSystemCall(sqlite3_vfs*, const char* name)
{
    return g_real->xNextSystemCall(g_real, name);
}

}

bool CrashPoints::install()
{
    if (g_real != nullptr)
        return true;
    sqlite3_vfs* base = sqlite3_vfs_find(nullptr);
    // The system's unix VFS is of version 3; the wrapper forwards all of it.
    if (base == nullptr || base->iVersion < 3)
        return false;
    g_real = base;
    g_vfs = sqlite3_vfs{};
    g_vfs.iVersion = 3;
    g_vfs.szOsFile = static_cast<int>(sizeof(File)) + base->szOsFile;
    g_vfs.mxPathname = base->mxPathname;
    g_vfs.zName = "crashpoints";
    g_vfs.xOpen = vfsOpen;
    g_vfs.xDelete = vfsDelete;
    g_vfs.xAccess = vfsAccess;
    g_vfs.xFullPathname = vfsFullPathname;
    g_vfs.xDlOpen = vfsDlOpen;
    g_vfs.xDlError = vfsDlError;
    g_vfs.xDlSym = vfsDlSym;
    g_vfs.xDlClose = vfsDlClose;
    g_vfs.xRandomness = vfsRandomness;
    g_vfs.xSleep = vfsSleep;
    g_vfs.xCurrentTime = vfsCurrentTime;
    g_vfs.xGetLastError = vfsGetLastError;
    g_vfs.xCurrentTimeInt64 = vfsCurrentTimeInt64;
    g_vfs.xSetSystemCall = vfsSetSystemCall;
    g_vfs.xGetSystemCall = vfsGetSystemCall;
    g_vfs.xNextSystemCall = vfsNextSystemCall;
    if (sqlite3_vfs_register(&g_vfs, 1) != SQLITE_OK) {
        g_real = nullptr;
        return false;
    }
    return true;
}

void CrashPoints::arm(int n)
{
    g_count.store(0);
    g_limit.store(n > 0 ? n : 0);
}

int CrashPoints::disarm()
{
    g_limit.store(0);
    return g_count.load();
}
