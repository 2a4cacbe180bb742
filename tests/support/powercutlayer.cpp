// The power-cut layer: an SQLite file system (VFS) over the default one, made the default by this library's
// constructor, so a program run with LD_PRELOAD pointing here writes through it. Before each write or
// truncation of a durable file it appends to the file's undo file what the change will overwrite; a sync
// empties the undo file once the real sync returned. The undo entry goes out before the change, in one
// write(2), so a kill at any moment leaves every change that may have reached the file covered (an entry
// cut short by the kill is one whose change never happened; the harness skips it). See powercut.h.

#include "tests/support/powercut.h"

#include <sqlite3.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <unistd.h>
#include <vector>

namespace {

using PowerCut::kSector;
using PowerCut::UndoEntry;

sqlite3_vfs* gReal = nullptr;
sqlite3_vfs gLayer;
// One lock for every file: a sync and the writes it covers never overlap, so emptying the undo file after the
// sync never forgets a write the sync may have missed.
std::mutex gLock;
bool gNoSync = false;
std::uint64_t gKillAt = 0;
std::atomic<std::uint64_t> gChanges{0};

struct LayerFile
{
    sqlite3_file base;
    sqlite3_file* real;
    int undo; // -1 for files no power cut can lose (temporary ones)
};

sqlite3_file* realOf(sqlite3_file* file)
{
    return reinterpret_cast<LayerFile*>(file)->real;
}

void countChange()
{
    if (++gChanges == gKillAt)
        raise(SIGKILL);
}

bool writeAll(int fd, const std::vector<char>& bytes)
{
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            return false;
        done += std::size_t(n);
    }
    return true;
}

// Records what [start, end) of the file holds now, in whole sectors, before a change there.
int remember(LayerFile* file, UndoEntry entry, std::uint64_t start, std::uint64_t end)
{
    if (file->undo < 0)
        return SQLITE_OK;
    sqlite3_int64 size = 0;
    if (int rc = file->real->pMethods->xFileSize(file->real, &size); rc != SQLITE_OK)
        return rc;
    entry.sizeBefore = std::uint64_t(size);
    entry.imageStart = start / kSector * kSector;
    entry.imageLength = end > start ? (end + kSector - 1) / kSector * kSector - entry.imageStart : 0;
    std::vector<char> bytes(sizeof entry + entry.imageLength);
    std::memcpy(bytes.data(), &entry, sizeof entry);
    if (entry.imageLength > 0) {
        const int rc = file->real->pMethods->xRead(file->real, bytes.data() + sizeof entry, int(entry.imageLength),
                                                   sqlite3_int64(entry.imageStart));
        if (rc != SQLITE_OK && rc != SQLITE_IOERR_SHORT_READ) // a short read fills the rest with zeros
            return rc;
    }
    return writeAll(file->undo, bytes) ? SQLITE_OK : SQLITE_IOERR_WRITE;
}

int layerClose(sqlite3_file* file)
{
    auto* layer = reinterpret_cast<LayerFile*>(file);
    if (layer->undo >= 0)
        ::close(layer->undo);
    return layer->real->pMethods->xClose(layer->real);
}

int layerWrite(sqlite3_file* file, const void* buffer, int amount, sqlite3_int64 offset)
{
    const std::lock_guard<std::mutex> locked(gLock);
    countChange();
    auto* layer = reinterpret_cast<LayerFile*>(file);
    UndoEntry entry;
    entry.kind = UndoEntry::Write;
    entry.end = std::uint64_t(offset) + std::uint64_t(amount);
    if (int rc = remember(layer, entry, std::uint64_t(offset), entry.end); rc != SQLITE_OK)
        return rc;
    return layer->real->pMethods->xWrite(layer->real, buffer, amount, offset);
}

int layerTruncate(sqlite3_file* file, sqlite3_int64 size)
{
    const std::lock_guard<std::mutex> locked(gLock);
    countChange();
    auto* layer = reinterpret_cast<LayerFile*>(file);
    sqlite3_int64 now = 0;
    if (int rc = layer->real->pMethods->xFileSize(layer->real, &now); rc != SQLITE_OK)
        return rc;
    UndoEntry entry;
    entry.kind = UndoEntry::Truncate;
    entry.end = std::uint64_t(size);
    if (int rc = remember(layer, entry, std::uint64_t(size), std::uint64_t(std::max(now, size))); rc != SQLITE_OK)
        return rc;
    return layer->real->pMethods->xTruncate(layer->real, size);
}

int layerSync(sqlite3_file* file, int flags)
{
    const std::lock_guard<std::mutex> locked(gLock);
    countChange();
    auto* layer = reinterpret_cast<LayerFile*>(file);
    if (gNoSync)
        return SQLITE_OK;
    const int rc = layer->real->pMethods->xSync(layer->real, flags);
    // Only now is what the undo file covers on the disk; a kill before this line undoes a sync SQLite never
    // saw return, which a power cut may do too.
    if (rc == SQLITE_OK && layer->undo >= 0 && ::ftruncate(layer->undo, 0) != 0)
        return SQLITE_IOERR_FSYNC;
    return rc;
}

// Everything else goes straight to the real file. The -shm file is shared memory, lost at a reboot anyway.
template <auto Method, typename Result, typename... Args> Result forward(sqlite3_file* file, Args... args)
{
    return (realOf(file)->pMethods->*Method)(realOf(file), args...);
}

// Version 2: no memory-mapped reads, so every byte read comes through xRead as the undo entries assume.
using M = sqlite3_io_methods;
const sqlite3_io_methods kMethods = {2,
                                     layerClose,
                                     forward<&M::xRead>,
                                     layerWrite,
                                     layerTruncate,
                                     layerSync,
                                     forward<&M::xFileSize>,
                                     forward<&M::xLock>,
                                     forward<&M::xUnlock>,
                                     forward<&M::xCheckReservedLock>,
                                     forward<&M::xFileControl>,
                                     forward<&M::xSectorSize>,
                                     forward<&M::xDeviceCharacteristics>,
                                     forward<&M::xShmMap>,
                                     forward<&M::xShmLock>,
                                     forward<&M::xShmBarrier>,
                                     forward<&M::xShmUnmap>,
                                     nullptr,
                                     nullptr};

int layerOpen(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags)
{
    auto* layer = reinterpret_cast<LayerFile*>(file);
    layer->base.pMethods = nullptr;
    layer->real = reinterpret_cast<sqlite3_file*>(layer + 1);
    layer->undo = -1;
    const int rc = gReal->xOpen(gReal, name, layer->real, flags, outFlags);
    if (rc != SQLITE_OK)
        return rc;
    constexpr int kDurable =
        SQLITE_OPEN_MAIN_DB | SQLITE_OPEN_MAIN_JOURNAL | SQLITE_OPEN_WAL | SQLITE_OPEN_SUPER_JOURNAL;
    if (name && (flags & kDurable)) {
        const std::string undo = name + PowerCut::kUndoSuffix;
        layer->undo = ::open(undo.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
        if (layer->undo < 0) {
            layer->real->pMethods->xClose(layer->real);
            return SQLITE_CANTOPEN;
        }
    }
    layer->base.pMethods = &kMethods;
    return SQLITE_OK;
}

// A deleted file has nothing left to undo: its undo file goes after it.
int layerDelete(sqlite3_vfs*, const char* name, int syncDir)
{
    const std::lock_guard<std::mutex> locked(gLock);
    const int rc = gReal->xDelete(gReal, name, syncDir);
    if (rc == SQLITE_OK)
        ::unlink((name + PowerCut::kUndoSuffix).c_str());
    return rc;
}

__attribute__((constructor)) void installLayer()
{
    gReal = sqlite3_vfs_find(nullptr);
    if (!gReal)
        return;
    gNoSync = std::getenv("QORVIL_POWERCUT_NO_SYNC") != nullptr;
    if (const char* at = std::getenv("QORVIL_POWERCUT_KILL_AT"))
        gKillAt = std::strtoull(at, nullptr, 10);
    // The rest as the real one has it: the real functions find in it the data they keep (pAppData).
    gLayer = *gReal;
    gLayer.pNext = nullptr;
    gLayer.szOsFile = int(sizeof(LayerFile)) + gReal->szOsFile;
    gLayer.zName = "powercut";
    gLayer.xOpen = layerOpen;
    gLayer.xDelete = layerDelete;
    sqlite3_vfs_register(&gLayer, 1);
}

__attribute__((destructor)) void reportChanges()
{
    std::fprintf(stderr, "powercut: %llu writes and syncs\n", static_cast<unsigned long long>(gChanges.load()));
}

} // namespace
