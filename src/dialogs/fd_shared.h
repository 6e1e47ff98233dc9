#pragma once
// What the file dialog, its lists and its file operations share.
#include <QString>
#include <functional>

namespace Fd {
// The item data of a folder list entry that holds its full path.
inline constexpr int Path_Role = Qt::UserRole;

// A name the file system cannot take: a NUL, or a part longer than it allows.
bool bad_name(const QString& name);

// The folder list's path joined with the file the name box stands for.
QString full_name();
// The error of the dialog's own for a file it cannot write: a bad name or a
// folder; or 0.
int write_error(const QString& file);
// Writes a file; false when it was not written, with the error number for
// the dialog to report in err, or 0 when the writer has reported it itself.
using Writer = bool (*)(const QString& file, int* err);
// Pattern: the name box holds the mode's pattern, and nothing is done.
enum class Saved { Pattern, Not_Written, Written };
// Saves through the writer after the overwrite question.
Saved save_as(QString& file_var, const char* pattern, Writer writer, int& err);
} // namespace Fd
