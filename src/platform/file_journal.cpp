// The journal of a save in place. Where a file is written over in place
// (it has other names, or a new file could not keep its owner), its
// temporary file first holds, whole and on the disk:
//
//   a head: a mark, the file's inode, owner, group and rights, the sizes of
//           its old bytes and of the new ones, and a checksum of both;
//   the old bytes, then the new bytes.
//
// The head is written last, so a journal cut short while it was written has
// none, and the file was not touched yet. Only a journal that nobody else
// may write counts (Journal_Kept_Private).
//
// It is put back only over what its own save, or a put-back of it, cut
// short by a kill or a power cut, can have left in its own file: the old
// size, the new size, or a whole number of pages between them; and every
// sector the old bytes or the new ones, in any order, or zeros where the
// file was once shorter and a page never reached the disk. A put-back cut
// short is done again; the old file whole, or the new one whole, only
// reaches the disk, with the set-id bits a cut write cleared.
//
// Anything else means the file changed since: written through another name
// or by another program, or replaced by a new file, perhaps of the same
// inode number. Such a journal is stale: it goes, and the file stays as it
// is. The file is known by its inode and its bytes, not by a device
// number, which a reboot can change, and which differs for a file mounted
// at its name from another disk.
#include "platform/file_sys.h"
#include <QCryptographicHash>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {
// Journals of the last format hold the device where this one holds the
// owner and group; they are put back by the same rules, but give back no
// set-id bits.
constexpr char Mark[16] = {'q', 'u', 'o', 'r', 'l', 'e', 'n', ' ',
                           'j', 'o', 'u', 'r', 'n', 'a', 'l', '3'};
constexpr char Mark_Without_Owner[16] = {'q', 'u', 'o', 'r', 'l', 'e', 'n', ' ',
                                         'j', 'o', 'u', 'r', 'n', 'a', 'l', '2'};

struct Head {
    char mark[16];
    quint64 owner, ino, mode, old_size, new_size;
    char sum[16];
};
static_assert(sizeof(Head) == 72);
constexpr off_t Old_At = sizeof(Head);

quint64 owner_of(const struct stat& st) {
    return quint64(st.st_uid) << 32 | quint32(st.st_gid);
}

// A kill stops a write at a page's end; a power cut keeps or loses whole
// sectors.
constexpr qint64 Page = 4096;
constexpr qint64 Sector = 512;
// Big files are copied a piece at a time, never whole in memory.
constexpr qint64 Copy_Block = 1 << 16;

bool read_head(int journal, Head& head) {
    return Read_At(journal, reinterpret_cast<char*>(&head), sizeof head, 0) == 0 &&
           (std::memcmp(head.mark, Mark, sizeof Mark) == 0 ||
            std::memcmp(head.mark, Mark_Without_Owner, sizeof Mark) == 0);
}

// As long as its head says, with the bytes that were written.
bool whole(int journal, const Head& head) {
    struct stat st {};
    if (::fstat(journal, &st) != 0 || head.old_size > quint64(st.st_size) ||
        head.new_size > quint64(st.st_size) ||
        quint64(Old_At) + head.old_size + head.new_size != quint64(st.st_size))
        return false;
    QCryptographicHash sum(QCryptographicHash::Md5);
    QByteArray block(Copy_Block, Qt::Uninitialized);
    const qint64 size = qint64(head.old_size + head.new_size);
    for (qint64 at = 0; at < size; at += Copy_Block) {
        const qint64 n = std::min(Copy_Block, size - at);
        if (Read_At(journal, block.data(), n, Old_At + at) != 0) return false;
        sum.addData(QByteArrayView(block.constData(), n));
    }
    return std::memcmp(sum.result().constData(), head.sum, sizeof head.sum) == 0;
}

// The write cleared the set-id bits, and only they are given back: not
// where the file has changed hands or rights since. Root's writes clear
// none, so a bit missing after one was taken away since.
void give_back_set_id(const Head& head, int file) {
    if (::geteuid() == 0) return;
    struct stat st {};
    const mode_t set_id = mode_t(head.mode) & (S_ISUID | S_ISGID);
    if (std::memcmp(head.mark, Mark, sizeof Mark) != 0 || set_id == 0 || ::fstat(file, &st) != 0 ||
        owner_of(st) != head.owner || (st.st_mode & 01777) != (mode_t(head.mode) & 01777) ||
        (st.st_mode & set_id) == set_id)
        return;
    (void)::fchmod(file, (st.st_mode & 07777) | set_id);
}

// The old bytes over the file, which is then cut to their size.
int put_back(int journal, const Head& head, int file) {
    const qint64 size = static_cast<qint64>(head.old_size);
    QByteArray block(Copy_Block, Qt::Uninitialized);
    for (qint64 at = 0; at < size; at += Copy_Block) {
        const qint64 n = std::min(Copy_Block, size - at);
        if (const int e = Read_At(journal, block.data(), n, Old_At + at)) return e;
        if (const int e = Write_At(file, block.constData(), n, at)) return e;
    }
    if (const int e = Put_Back_Fault()) return e;
    return ::ftruncate(file, size) == 0 ? 0 : errno;
}

// The old file or the new one whole, one a save or a put-back cut short
// left, or one changed since.
enum class Found { Whole, Cut, Changed };

// What the file holds against what the journal's save and its put-back can
// have left (see the top of this file).
int compare(int journal, const Head& head, int file, Found& found) {
    found = Found::Changed;
    struct stat st {};
    if (::fstat(file, &st) != 0) return errno;
    const qint64 size = st.st_size, old_size = qint64(head.old_size),
                 new_size = qint64(head.new_size);
    if (size != old_size && size != new_size &&
        !(size % Page == 0 && std::min(old_size, new_size) < size &&
          size < std::max(old_size, new_size)))
        return 0;
    bool old_whole = size == old_size, new_whole = size == new_size;
    QByteArray now(Copy_Block, Qt::Uninitialized), old(Copy_Block, '\0'), fresh(Copy_Block, '\0');
    for (qint64 at = 0; at < size; at += Copy_Block) {
        const qint64 n = std::min(Copy_Block, size - at);
        const qint64 olds = std::clamp<qint64>(old_size - at, 0, n);
        const qint64 news = std::clamp<qint64>(new_size - at, 0, n);
        // Past the new end the file holds the old bytes until it is cut.
        old.fill('\0');
        int e = Read_At(file, now.data(), n, at);
        if (e == 0) e = Read_At(journal, old.data(), olds, Old_At + at);
        if (e == 0) e = Read_At(journal, fresh.data(), news, Old_At + old_size + at);
        if (e != 0) return e;
        std::memcpy(fresh.data() + news, old.constData() + news, size_t(n - news));
        // A sector is kept or lost whole, but for the sector at either end,
        // whose two sides a write and its put-back leave each their own way.
        for (qint64 s = 0, next = 0; s < n; s = next) {
            next = std::min((s / Sector + 1) * Sector, n);
            for (const qint64 end : {olds, news})
                if (s < end && end < next) next = end;
            const size_t k = size_t(next - s);
            const bool is_old = std::memcmp(now.constData() + s, old.constData() + s, k) == 0;
            const bool is_new = std::memcmp(now.constData() + s, fresh.constData() + s, k) == 0;
            // Where the file was once shorter, a page that never reached the
            // disk reads as zeros.
            const bool hole = at + s >= std::min(old_size, new_size) &&
                              std::all_of(now.constData() + s, now.constData() + next,
                                          [](char c) { return c == '\0'; });
            if (!is_old && !is_new && !hole) return 0;
            old_whole = old_whole && is_old;
            new_whole = new_whole && is_new;
        }
    }
    found = old_whole || new_whole ? Found::Whole : Found::Cut;
    return 0;
}
} // namespace

int Journal_Write(int journal, int file, const struct stat& st, const QByteArray& data) {
    Head head{};
    std::memcpy(head.mark, Mark, sizeof Mark);
    head.owner = owner_of(st);
    head.ino = st.st_ino;
    head.mode = st.st_mode;
    head.old_size = static_cast<quint64>(st.st_size);
    head.new_size = static_cast<quint64>(data.size());
    QCryptographicHash sum(QCryptographicHash::Md5);
    QByteArray block(Copy_Block, Qt::Uninitialized);
    for (qint64 at = 0; at < st.st_size; at += Copy_Block) {
        const qint64 n = std::min<qint64>(Copy_Block, st.st_size - at);
        if (const int e = Read_At(file, block.data(), n, at)) return e;
        if (const int e = Write_At(journal, block.constData(), n, Old_At + at)) return e;
        sum.addData(QByteArrayView(block.constData(), n));
    }
    if (const int e = Write_At(journal, data.constData(), data.size(), Old_At + st.st_size))
        return e;
    sum.addData(data);
    std::memcpy(head.sum, sum.result().constData(), sizeof head.sum);
    if (const int e = Write_At(journal, reinterpret_cast<const char*>(&head), sizeof head, 0))
        return e;
    return Sync_File(journal);
}

int Journal_Undo(int journal, int file) {
    Head head{};
    if (!read_head(journal, head)) return EIO;
    if (const int e = put_back(journal, head, file)) return e;
    give_back_set_id(head, file);
    return Sync_File(file);
}

bool Journal_Marked(const QByteArray& data) {
    return data.startsWith(QByteArrayView(Mark, sizeof Mark)) ||
           data.startsWith(QByteArrayView(Mark_Without_Owner, sizeof Mark));
}

bool Journal_Head_Found(int journal) {
    Head head{};
    return read_head(journal, head);
}

int Journal_Settle(int journal, const Place& place, Lock_Clock::time_point until, bool& cut) {
    cut = false;
    Head head{};
    // No journal: the new bytes of a rename cut short, or a journal cut
    // short before its file was touched.
    if (!read_head(journal, head) || !whole(journal, head)) return 0;
    const char* const leaf = place.leaf.constData();
    struct stat st {};
    if (::fstatat(place.folder, leaf, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? 0 : errno;
    if (!S_ISREG(st.st_mode)) return 0;
    // Written only where a save may write, and checked on the very
    // descriptor that is written.
    const int refused = Writable(place, st);
    const int flags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;
    int file = refused ? -1 : ::openat(place.folder, leaf, O_RDWR | flags);
    const int not_written = refused ? refused : file < 0 ? errno : 0;
    if (file < 0) file = ::openat(place.folder, leaf, O_RDONLY | flags);
    if (file < 0) return errno;
    int e = Lock_Until(file, not_written ? F_RDLCK : F_WRLCK, until);
    struct stat held {};
    if (e == 0 && ::fstat(file, &held) != 0) e = errno;
    Found found = Found::Changed;
    if (e == 0 && held.st_ino == ino_t(head.ino)) e = compare(journal, head, file, found);
    cut = found == Found::Cut;
    if (e == 0 && cut) e = not_written ? not_written : put_back(journal, head, file);
    // The set-id bits also where the file is whole: the cut write may have
    // held the old bytes, or stopped between the new bytes and their rights.
    // What the file holds then reaches the disk before the journal may go.
    if (e == 0 && found != Found::Changed && !not_written) give_back_set_id(head, file);
    if (e == 0 && found != Found::Changed) e = Sync_File(file);
    ::close(file);
    return e;
}

int Journal_Old_Bytes(int journal, qint64 limit, QByteArray& data) {
    Head head{};
    if (!read_head(journal, head)) return EIO;
    data.resize(static_cast<qsizetype>(std::min<qint64>(qint64(head.old_size), limit)));
    const int e = Read_At(journal, data.data(), data.size(), Old_At);
    if (e != 0) data.clear();
    return e;
}
