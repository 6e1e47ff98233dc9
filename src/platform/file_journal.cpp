// The journal of a save in place. Where a file is written over in place
// (it has other names, or a new file could not keep its owner), its
// temporary file first holds, whole and on the disk:
//
//   a head: a mark, the file's device, inode and rights, the sizes of its
//           old bytes and of the new ones, and a checksum of both;
//   the old bytes, then the new bytes.
//
// The head is written last, so a journal cut short while it was written has
// none, and the file was not touched yet.
//
// It is put back only over what its own save, cut short, left in its own
// file: every block of the file holds the old bytes or the new ones, but for
// at most one, where the write stopped, which holds new bytes and then old
// ones; and the file is neither the old file nor the new one whole.
//
// Anything else means the file changed since: written through another name
// or by another program, or replaced by a new file, perhaps of the same
// inode number. Such a journal is stale: it goes, and the file stays as it
// is. A journal beside the new file whole outlived a save reported done (its
// removal failed, or a power cut undid it): it is void and goes too.
#include "platform/file_sys.h"
#include <QCryptographicHash>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {
constexpr char Mark[16] = {'q', 'u', 'o', 'r', 'l', 'e', 'n', ' ',
                           'j', 'o', 'u', 'r', 'n', 'a', 'l', '2'};

struct Head {
    char mark[16];
    quint64 dev, ino, mode, old_size, new_size;
    char sum[16];
};
static_assert(sizeof(Head) == 72);
constexpr off_t Old_At = sizeof(Head);

// What a cut write or a power cut leaves mixed: a page.
constexpr qint64 Block = 4096;
// Big files are copied a piece at a time, never whole in memory.
constexpr qint64 Copy_Block = 1 << 16;

bool read_head(int journal, Head& head) {
    return Read_At(journal, reinterpret_cast<char*>(&head), sizeof head, 0) == 0 &&
           std::memcmp(head.mark, Mark, sizeof Mark) == 0;
}

QByteArray checksum_of(int journal, qint64 size, int& error) {
    QCryptographicHash sum(QCryptographicHash::Md5);
    QByteArray block(Copy_Block, Qt::Uninitialized);
    for (qint64 at = 0; at < size && error == 0; at += Copy_Block) {
        const qint64 n = std::min(Copy_Block, size - at);
        error = Read_At(journal, block.data(), n, Old_At + at);
        sum.addData(QByteArrayView(block.constData(), n));
    }
    return sum.result();
}

// As long as its head says, with the bytes that were written.
bool whole(int journal, const Head& head) {
    struct stat st {};
    if (::fstat(journal, &st) != 0 || head.old_size > quint64(st.st_size) ||
        head.new_size > quint64(st.st_size) ||
        quint64(Old_At) + head.old_size + head.new_size != quint64(st.st_size))
        return false;
    int error = 0;
    const QByteArray sum = checksum_of(journal, head.old_size + head.new_size, error);
    return error == 0 && std::memcmp(sum.constData(), head.sum, sizeof head.sum) == 0;
}

int put_back(int journal, const Head& head, int file) {
    const qint64 size = static_cast<qint64>(head.old_size);
    QByteArray block(Copy_Block, Qt::Uninitialized);
    for (qint64 at = 0; at < size; at += Copy_Block) {
        const qint64 n = std::min(Copy_Block, size - at);
        if (const int e = Read_At(journal, block.data(), n, Old_At + at)) return e;
        if (const int e = Write_At(file, block.constData(), n, at)) return e;
    }
    if (::ftruncate(file, size) != 0) return errno;
    // The write cleared the set-id bits; only the owner may set them again.
    struct stat st {};
    if (::fstat(file, &st) == 0 && st.st_mode != mode_t(head.mode))
        (void)::fchmod(file, mode_t(head.mode) & 07777);
    return Sync_File(file);
}

// Whether the file holds what the write of the new bytes over the old
// ones, cut short, can have left (see the top of this file).
int cut_short(int journal, const Head& head, int file, bool& cut) {
    cut = false;
    struct stat st {};
    if (::fstat(file, &st) != 0) return errno;
    const qint64 size = st.st_size, old_size = qint64(head.old_size),
                 new_size = qint64(head.new_size);
    if (size != old_size && size != new_size && !(old_size < size && size < new_size)) return 0;
    bool old_whole = size == old_size, new_whole = size == new_size, stopped = false;
    char now[Block], old[Block], mine[Block];
    for (qint64 at = 0; at < size; at += Block) {
        const qint64 n = std::min(Block, size - at);
        const qint64 olds = std::clamp<qint64>(old_size - at, 0, n);
        const qint64 news = std::clamp<qint64>(new_size - at, 0, n);
        int e = Read_At(file, now, n, at);
        if (e == 0) e = Read_At(journal, old, olds, Old_At + at);
        if (e == 0) e = Read_At(journal, mine, news, Old_At + old_size + at);
        if (e != 0) return e;
        const bool is_old = olds == n && std::memcmp(now, old, n) == 0;
        const bool is_new = news == n && std::memcmp(now, mine, n) == 0;
        old_whole = old_whole && is_old;
        new_whole = new_whole && is_new;
        if (is_old || is_new) continue;
        // The block where the write stopped: new bytes, then old ones to its end.
        if (stopped || olds < n) return 0;
        stopped = true;
        qint64 from = 0, to = n;
        while (from < news && now[from] == mine[from]) ++from;
        while (to > from && now[to - 1] == old[to - 1]) --to;
        if (to != from) return 0;
    }
    cut = !old_whole && !new_whole;
    return 0;
}
} // namespace

int Journal_Write(int journal, int file, const struct stat& st, const QByteArray& data) {
    Head head{};
    std::memcpy(head.mark, Mark, sizeof Mark);
    head.dev = st.st_dev;
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
    return read_head(journal, head) ? put_back(journal, head, file) : EIO;
}

bool Journal_Head_Found(int journal) {
    Head head{};
    return read_head(journal, head);
}

int Journal_Settle(int journal, const QByteArray& name, Lock_Clock::time_point until, bool& cut) {
    cut = false;
    Head head{};
    // No journal: the new bytes of a rename cut short, or a journal cut
    // short before its file was touched.
    if (!read_head(journal, head) || !whole(journal, head)) return 0;
    struct stat st {};
    if (::stat(name.constData(), &st) != 0) return errno == ENOENT ? 0 : errno;
    if (!S_ISREG(st.st_mode)) return 0;
    // Written only where a save may write, and checked on the very
    // descriptor that is written.
    const int refused = Writable(name, st);
    const int flags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;
    int file = refused ? -1 : ::open(name.constData(), O_RDWR | flags);
    const int not_written = refused ? refused : file < 0 ? errno : 0;
    if (file < 0) file = ::open(name.constData(), O_RDONLY | flags);
    if (file < 0) return errno;
    int e = Lock_Until(file, not_written ? F_RDLCK : F_WRLCK, until);
    struct stat held {};
    if (e == 0 && ::fstat(file, &held) != 0) e = errno;
    if (e == 0 && held.st_dev == dev_t(head.dev) && held.st_ino == ino_t(head.ino))
        e = cut_short(journal, head, file, cut);
    if (e == 0 && cut) e = not_written ? not_written : put_back(journal, head, file);
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
