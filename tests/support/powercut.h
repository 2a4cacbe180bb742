#pragma once

// A power cut, simulated. The layer (powercutlayer.cpp, a library a test preloads into the program it then
// kills) keeps beside every file SQLite writes (the database, its -wal, its -journal) an undo file: what each
// write and truncation since that file's last sync overwrote. After the kill, PowerCut::cut undoes those
// writes sector by sector, keeping a random share of the sectors as a disk that lost power mid-write would,
// and drops the -shm file a reboot would lose. What was synced stays; nothing else is sure to. Files made and
// deleted stay made and deleted (SQLite syncs the folder where it counts on a new journal or log), and bytes
// next to a write are never damaged by it (SQLite's default "powersafe overwrite" on Linux).
//
// The layer reads, from its program's environment:
//   QORVIL_POWERCUT_NO_SYNC=1   syncs do nothing, as on a disk that lies about them (the control)
//   QORVIL_POWERCUT_KILL_AT=N   the program kills itself at its Nth write, truncation or sync
// and at a normal exit writes "powercut: N writes and syncs" to standard error.

#include <cstdint>
#include <random>
#include <string>

namespace PowerCut {

constexpr std::uint64_t kSector = 512;
inline const std::string kUndoSuffix = "-undo";

// One entry of an undo file, followed by imageLength bytes: what [imageStart, imageStart + imageLength) held
// before the change (zeros past the end of the file), whole sectors.
struct UndoEntry
{
    enum Kind : std::uint64_t { Write = 1, Truncate = 2 };
    std::uint64_t kind = Write;
    std::uint64_t end = 0;        // a write's last byte + 1; a truncation's new size
    std::uint64_t sizeBefore = 0; // the file's size before the change
    std::uint64_t imageStart = 0;
    std::uint64_t imageLength = 0;
};

struct Outcome
{
    int filesCut = 0;              // files that had writes since their last sync
    std::uint64_t sectorsLost = 0; // sectors put back as they were at the sync
    std::uint64_t sectorsKept = 0; // sectors of unsynced writes that reached the disk anyway
};

// Cuts the power under the database at `path` (its program already dead): each of its files loses its unsynced
// writes, each written sector kept with the chance `keep`; the undo files and the -shm file go.
Outcome cut(const std::string& path, std::mt19937_64& rng, double keep);

} // namespace PowerCut
