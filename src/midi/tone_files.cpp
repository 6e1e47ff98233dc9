#include "midi/tone_files.h"
#include "app/main_module.h"
#include "app/quorlen.h"
#include "app/recent.h"
#include "app/save_as.h"
#include "editors/editor.h"
#include "editors/editor_juno.h"
#include "editors/patch.h"
#include "instrument/instrument.h"
#include "midi/midi_port.h"
#include "midi/routines.h"
#include "midi/sysex.h"
#include "platform/file_io.h"
#include "platform/handlers.h"
#include "platform/msgbox.h"
#include <QAction>
#include <cerrno>

QString SYX_Header;
QString Tone_Short_Name;
QString Tone_File;
std::uint8_t SYX_Tone_Found = 0;
bool SYX_Tone_First = false;
std::uint8_t Tone_In_File = 0;

namespace {
int Msg_Answer = 0;
} // namespace

void Tone_Files_Reset() {
    SYX_Header.clear();
    Tone_Short_Name.clear();
    Tone_File.clear();
    SYX_Tone_Found = 0;
    SYX_Tone_First = false;
    Tone_In_File = 0;
    Msg_Answer = 0;
}

namespace {

constexpr int Juno_File_Length = 57;
constexpr qint64 Header_Length = 7;
constexpr qint64 Tone_Length = 59;
constexpr qint64 Patch_Pairs_Length = 14;

// "?" in the pattern stands for any one character.
bool header_like(const QString& header, const char* pattern) {
    const QString p = QLatin1String(pattern);
    if (header.size() != p.size()) return false;
    for (qsizetype i = 0; i < p.size(); ++i)
        if (p[i] != '?' && header[i].toUpper() != p[i]) return false;
    return true;
}

QString hex2(std::uint8_t b) {
    return QString("%1 ").arg(b, 2, 16, QChar('0')).toUpper();
}

void show_file_error(int number) {
    Msg_Answer = Msg_Box("Error " + QString::number(number) + ": " + File_Error_Text(number),
                         Mb::OkOnly | Mb::Critical);
}

// The file's bytes, at most one past what the read position can reach; false
// (with File_Err set) when the file cannot be read.
bool read_file(const QString& path, QByteArray& data) {
    if (const int e = Read_File(path, SYX_Max_Read + 1, data)) {
        File_Err = File_Error_Number(e);
        return false;
    }
    return true;
}

void load_juno(const QByteArray& data) {
    const QString title = "Load Alpha Juno SYX file";
    if (data.size() != Juno_File_Length) {
        Msg_Answer = Msg_Box("Wrong file length!", Mb::OkOnly | Mb::Critical, title);
        return;
    }
    if (static_cast<std::uint8_t>(data[Juno_File_Length - 1]) != 0xF7) {
        Msg_Answer = Msg_Box("Wrong file header!", Mb::OkOnly | Mb::Critical, title);
        return;
    }
    for (size_t i = 0; i < Juno_Tone.size(); ++i)
        Juno_Tone[i] = static_cast<std::uint8_t>(data[static_cast<qsizetype>(Header_Length + i)]);
    SYX_Tone_Found = 255;
    if (AutoSend_On == 1) Tone_Send();
    Juno_Editor_Redraw();
}

// Scans the messages of a JX-8P or MKS-70 file. A message cut short by the
// end of the file ends the scan; nothing of it is taken.
void scan_jx8p(const QByteArray& data, bool open) {
    const qint64 n = std::min<qint64>(data.size(), SYX_Max_Read);
    auto at = [&data](qint64 i) {
        return static_cast<std::uint8_t>(data[static_cast<qsizetype>(i)]);
    };
    qint64 pos = 0; // the read position, counted from 0
    while (pos < n) {
        if (at(pos) != 0xF0) {
            ++pos;
            continue;
        }
        if (pos + Header_Length > n) return;
        for (qint64 i = 0; i < Header_Length; ++i) SYX_Header += hex2(at(pos + i));
        pos += Header_Length;

        if (header_like(SYX_Header, "F0 41 35 ?? 21 20 01 ")) {
            SYX_Tone_First = pos == Header_Length;
            if (pos + Tone_Length > n) return;
            if (Tone_In_File == 255) {
                if (open) {
                    Msg_Answer = Msg_Box("File contains another TONE. Save old TONE first?",
                                         Mb::YesNo | Mb::Question);
                    if (Msg_Answer == Mb::Yes && SaveAs_SYX()) Tone_In_File = 0;
                } else {
                    Msg_Answer =
                        Msg_Box("File contains another TONE. Load it?", Mb::YesNo | Mb::Question);
                    if (Msg_Answer != Mb::Yes) return;
                    if (Tone_Saved) Tone_In_File = 0;
                }
            }
            for (qint64 i = 0; i < Tone_Length; ++i)
                Tone_Data[static_cast<size_t>(i)] = at(pos + i);
            pos += Tone_Length;
            SYX_Tone_Found = 255;
            Editor_Redraw();
            SYX_Header.clear();
            Tone_In_File = 255;
        } else if (header_like(SYX_Header, "F0 41 36 ?? 21 30 01 ") && SYX_Tone_First) {
            if (pos + Patch_Pairs_Length > n) return;
            // The second byte of each pair; the pair numbers are not looked at.
            for (qint64 i = 0; i <= 6; ++i)
                Patch_Data[static_cast<size_t>(i)] = at(pos + 2 * i + 1);
            pos += 12;
            if (open && Patch_Form_Open == 255) Patch_Redraw();
            SYX_Header.clear();
        } else {
            SYX_Header.clear();
        }
        if (AutoSend_On == 1) Tone_Send();
        // The dialog that reads the file closed while the tone went out: what
        // was taken stays, the rest of the file is left unread.
        if (Handler_Stopped()) return;
        ++pos;
    }
}
} // namespace

void Load_SYX(const QString& file, const QString& mode) {
    const bool open = mode.compare("Open", Qt::CaseInsensitive) == 0;
    FD_Done = 0;
    SYX_Tone_Found = 0;
    SYX_Tone_First = false;
    if (!File_Exists(file)) {
        // A missing file is passed over; one that is there but cannot be
        // read is worth telling when the user asked for it.
        if (open && File_Err != 53 && File_Err != 0) show_file_error(File_Err);
        File_Err = 0;
        return;
    }
    SYX_Header.clear();
    Tone_Loading = 255;

    QByteArray data;
    if (!read_file(file, data)) {
        if (open) show_file_error(File_Err);
        File_Err = 0;
        Tone_In_File = 0;
        return;
    }

    if (Synth_Is(Synth_Type, "Alpha Juno")) {
        load_juno(data);
        if (SYX_Tone_Found != 255) {
            Tone_In_File = 0;
            return;
        }
    } else {
        scan_jx8p(data, open);
    }
    if (Handler_Stopped()) {
        // The file is not named the tone's, so the tone taken from it counts
        // as unsaved.
        if (open) {
            if (SYX_Tone_Found == 255) Tone_Saved = false;
            Tone_Loading = 0;
        }
        Tone_In_File = 0;
        return;
    }

    if (open) {
        if (SYX_Tone_Found == 255) {
            Set_Program_Title("Quorlen - " + Name_Shown(file));
            Quorlen::get().Menu_File_SYX_Save->setEnabled(true);
            Recent_Tone_Add(file);
            Tone_File = file;
            Tone_Loading = 0;
            FD_Done = 255;
        } else {
            Msg_Answer = Msg_Box("Wrong MIDI system exclusive data!", Mb::OkOnly | Mb::Critical);
        }
    }
    Tone_In_File = 0;
}

namespace {
// The error a save to this path must fail with before anything is written, or 0.
int save_precheck(const QString& file) {
    // A folder, also named with its separator, is no file to write.
    if (Path_Kind(file) == Path_Type::Folder) return 75;
    if (file.trimmed().isEmpty() || file.contains(QChar(0)) || file.endsWith(Path_Separator))
        return 52;
    const qsizetype slash = file.lastIndexOf(Path_Separator);
    QByteArray name;
    if (!Name_To_Bytes(file.mid(slash + 1), name) || name.size() > 255) return 52;
    const QString folder = slash > 0 ? file.left(slash) : slash == 0 ? "/" : Current_Folder();
    if (Path_Kind(folder) != Path_Type::Folder) return 76;
    return 0;
}

int write_image(const QString& file, const char* bytes, qint64 n) {
    if (const int e = save_precheck(file)) return e;
    if (const int e = Write_File(file, QByteArray(bytes, static_cast<qsizetype>(n))))
        return File_Error_Number(e);
    return 0;
}
} // namespace

bool Save_SYX(const QString& file) {
    const QString path = file; // the argument may be Tone_File itself
    File_Err = 0;
    Set_Synth();
    const int n = Tone_To_SysEx();
    File_Err = write_image(path, reinterpret_cast<const char*>(SysEx_Buf.data()), n);
    if (File_Err == 0) {
        Recent_Tone_Add(path);
        Tone_Saved = true;
        Quorlen::get().Menu_Edit_Undo->setEnabled(false);
    } else if (File_Err == 52) {
        Msg_Answer = Msg_Box("Wrong filename!", Mb::OkOnly | Mb::Critical);
    } else {
        show_file_error(File_Err);
    }
    const bool written = File_Err == 0;
    File_Err = 0;
    return written;
}

int File_Error_Number(int host_errno) {
    switch (host_errno) {
    case ENOENT:
    case ENOTDIR:
        return 76;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
        return 70;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return 61;
    case ENAMETOOLONG:
    case EILSEQ:
    case EINVAL:
        return 52;
    case EIO:
        return 57;
    case ENXIO:
    case ENODEV:
    case ENOMEDIUM:
        return 68;
    default:
        return 75;
    }
}

QString File_Error_Text(int number) {
    switch (number) {
    case 52:
        return "Bad file name";
    case 53:
        return "File not found";
    case 57:
        return "Device I/O error";
    case 61:
        return "Disk full";
    case 68:
        return "Device unavailable";
    case 70:
        return "Permission denied";
    case 75:
        return "Path/File access error";
    case 76:
        return "Path not found";
    default:
        return "File error";
    }
}
