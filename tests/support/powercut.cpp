#include "tests/support/powercut.h"

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace PowerCut {

namespace {

struct Entry
{
    UndoEntry head;
    std::vector<char> image;
};

// The whole entries of an undo file, in the order they were made; one the kill cut short is left out.
std::vector<Entry> readUndo(const std::string& path)
{
    std::vector<Entry> entries;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return entries;
    std::vector<char> all;
    char buffer[1 << 16];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        all.insert(all.end(), buffer, buffer + n);
    ::close(fd);
    for (std::size_t at = 0; at + sizeof(UndoEntry) <= all.size();) {
        Entry entry;
        std::copy_n(all.data() + at, sizeof(UndoEntry), reinterpret_cast<char*>(&entry.head));
        at += sizeof(UndoEntry);
        if (entry.head.imageLength > all.size() - at)
            break;
        entry.image.assign(all.begin() + std::ptrdiff_t(at), all.begin() + std::ptrdiff_t(at + entry.head.imageLength));
        at += entry.head.imageLength;
        entries.push_back(std::move(entry));
    }
    return entries;
}

// Undoes the entries newest first. A sector put back returns to what it held before that change, so whatever
// the choices, each sector ends as one of the states it passed through since the sync. A truncation is always
// undone: its lost bytes come back whole.
void undo(int fd, const std::vector<Entry>& entries, std::mt19937_64& rng, double keep, Outcome* outcome)
{
    std::bernoulli_distribution kept(keep);
    const std::uint64_t sizeAtSync = entries.front().head.sizeBefore;
    std::uint64_t size = sizeAtSync; // grows with each sector kept past the synced end
    for (std::size_t i = entries.size(); i-- > 0;) {
        const Entry& entry = entries[i];
        const UndoEntry& head = entry.head;
        for (std::uint64_t at = 0; at < head.imageLength; at += kSector) {
            const std::uint64_t offset = head.imageStart + at;
            if (head.kind == UndoEntry::Write && kept(rng)) {
                ++outcome->sectorsKept;
                size = std::max(size, std::min(offset + kSector, head.end));
                continue;
            }
            ++outcome->sectorsLost;
            if (::pwrite(fd, entry.image.data() + at, kSector, off_t(offset)) != off_t(kSector))
                return;
        }
    }
    [[maybe_unused]] const int rc = ::ftruncate(fd, off_t(size));
}

} // namespace

Outcome cut(const std::string& path, std::mt19937_64& rng, double keep)
{
    Outcome outcome;
    for (const char* suffix : {"", "-journal", "-wal"}) {
        const std::string file = path + suffix;
        const std::string undoFile = file + kUndoSuffix;
        const std::vector<Entry> entries = readUndo(undoFile);
        if (!entries.empty()) {
            if (const int fd = ::open(file.c_str(), O_RDWR | O_CLOEXEC); fd >= 0) {
                ++outcome.filesCut;
                undo(fd, entries, rng, keep, &outcome);
                ::close(fd);
            }
        }
        ::unlink(undoFile.c_str());
    }
    ::unlink((path + "-shm").c_str());
    return outcome;
}

} // namespace PowerCut
