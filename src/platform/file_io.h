#pragma once
// Whole-file reads and writes, shared by every file the program keeps.
#include <QByteArray>
#include <QString>

// Reads at most limit bytes of a regular file. 0, or an errno value: EISDIR
// for a folder, ESPIPE for a pipe, socket or device, which are never opened.
int Read_File(const QString& path, qint64 limit, QByteArray& data);

// Replaces the file with data in one step: the bytes go to a temporary file
// beside it, which is renamed over it only when every byte was written.
// 0, or an errno value; after a failure the old file is as it was.
int Write_File(const QString& path, const QByteArray& data);

// Tests: every write fails with this errno after its temporary file was
// made; 0 ends it.
void Set_Write_Fault(int error);
// Back to the values at program start.
void File_Io_Reset();
