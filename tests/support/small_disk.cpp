#include "support/small_disk.h"
#include <QDir>
#include <QFile>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

Small_Disk::Small_Disk(const QString& folder, int kib)
    : folder_(folder), options_("size=" + QByteArray::number(kib) + "k") {
    QDir().mkpath(folder);
    const QByteArray at = QFile::encodeName(folder);
    mounted_ =
        ::mount("tmpfs", at.constData(), "tmpfs", MS_NOSUID | MS_NODEV, options_.constData()) == 0;
}

Small_Disk::~Small_Disk() {
    if (mounted_) ::umount2(QFile::encodeName(folder_).constData(), MNT_DETACH);
}

void Small_Disk::Fill() {
    const int fd = ::open(QFile::encodeName(Path("filler")).constData(),
                          O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return;
    const char block[512] = {};
    while (::write(fd, block, sizeof block) > 0) {
    }
    while (::write(fd, block, 1) > 0) {
    }
    ::close(fd);
}

bool Small_Disk::Read_Only(bool read_only) {
    return mounted_ && ::mount("tmpfs", QFile::encodeName(folder_).constData(), "tmpfs",
                               MS_REMOUNT | (read_only ? MS_RDONLY : 0) | MS_NOSUID | MS_NODEV,
                               options_.constData()) == 0;
}
