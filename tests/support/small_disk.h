#pragma once
// A small file system of a test's own: a tmpfs of 64 kB, or the size given,
// mounted on a folder,
// which can be filled up or made read-only. Mounting needs root; where it
// fails, Mounted() is false and the test skips.
#include <QString>
#include <gtest/gtest.h>

class Small_Disk {
  public:
    // folder: an empty folder inside the test's own temporary folder.
    explicit Small_Disk(const QString& folder, int kib = 64);
    ~Small_Disk();
    Small_Disk(const Small_Disk&) = delete;
    Small_Disk& operator=(const Small_Disk&) = delete;
    bool Mounted() const { return mounted_; }
    QString Path(const QString& name) const { return folder_ + "/" + name; }
    // Writes a filler file until not one byte more fits.
    void Fill();
    // Mounts it again read-only: nothing can be made or changed in it; or
    // writable again.
    bool Read_Only(bool read_only = true);

  private:
    QString folder_;
    QByteArray options_;
    bool mounted_ = false;
};

#define SKIP_WITHOUT_SMALL_DISK(disk)                                                              \
    if (!(disk).Mounted()) GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)"
