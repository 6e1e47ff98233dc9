#include "sequencer/sequence.h"
#include "app/main_module.h"
#include "app/quorlen.h"
#include "app/recent.h"
#include "app/settings.h"
#include "midi/routines.h"
#include "midi/tone_files.h"
#include "platform/file_io.h"
#include "platform/msgbox.h"
#include "sequencer/playback.h"
#include "sequencer/sequencer.h"
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

Seq_Grid Seq_Data{};
std::int16_t Seq_BPM = 30;
std::uint8_t Seq_Base_Note = 48;
std::int16_t Seq_Range_Index = 2;
std::uint8_t Seq_Loaded = 0;
QString Seq_Name;
QString Seq_File;
std::function<void()> FD_SEQ_Preview_Draw;

void Sequence_Reset() {
    Seq_Data.fill(0);
    Seq_BPM = 30;
    Seq_Base_Note = 48;
    Seq_Range_Index = 2;
    Seq_Loaded = 0;
    Seq_Name.clear();
    Seq_File.clear();
    FD_SEQ_Preview_Draw = nullptr;
}

QString Seq_Caption() {
    return Seq_Name.isEmpty() ? "Sequencer" : "Sequencer - " + Name_Shown(Seq_Name).toUpper();
}

namespace {
// How the caption names a file: by its path below the sequences folder, or by
// its own name when it lies elsewhere.
QString name_of(const QString& file) {
    const QString path = QDir::cleanPath(file);
    if (!Dir_Sequences.trimmed().isEmpty()) {
        QString folder = QDir::cleanPath(Dir_Sequences.trimmed());
        Add_Backslash(folder);
        if (path.startsWith(folder) && path.size() > folder.size()) return path.mid(folder.size());
    }
    return QFileInfo(path).fileName();
}

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

// "SEQ" in any letter case, then any fourth character, and 110 bytes in all.
bool image_ok(const QByteArray& b) {
    return b.size() == Seq_File_Size && upper(b[0]) == 'S' && upper(b[1]) == 'E' &&
           upper(b[2]) == 'Q';
}
} // namespace

int Seq_Range_Of(int base_note) {
    return static_cast<int>(std::nearbyint(std::abs((base_note - 24) / 12.0)));
}

QByteArray Seq_File_Image() {
    QByteArray b("SEQ1");
    b.append(static_cast<char>(Seq_BPM));
    b.append(static_cast<char>(Seq_Base_Note));
    for (std::uint8_t cell : Seq_Data) b.append(static_cast<char>(cell));
    return b;
}

void New_SEQ() {
    Seq_Step = 0;
    Seq_Data.fill(0);
    if (Seq_Form_Open == 255) Sequencer::get().Seq_Redraw();
    Quorlen::get().Menu_File_Seq_Save->setEnabled(false);
    Seq_Saved = 255;
    // Save has no file to write now.
    Seq_Name.clear();
    if (Seq_Form_Open == 255) Sequencer::get().Set_Caption(Seq_Caption());
    Seq_Range_Index = 2;
    Seq_BPM = 30;
    // The tempo that is shown and heard must be the one that is saved.
    if (Seq_Form_Open == 255) Sequencer::get().Seq_Tempo->setValue(Seq_BPM);
    Seq_Tmr_Set_Interval();
    Seq_Loaded = 0;
    Seq_Running = 0;
    ED_Seq_Pics_Off();
}

void Load_SEQ(const QString& path, const QString& mode) {
    const bool open = mode.compare("Open", Qt::CaseInsensitive) == 0;

    // A folder counts as missing; a pipe or a device is a file that cannot be read.
    if (!File_Exists(path) && (File_Err == 53 || Path_Kind(path) == Path_Type::Folder)) {
        File_Err = 0;
        Msg_Box("File not found: " + Name_Shown(path), Mb::OkOnly);
        return;
    }
    // The whole image is read and checked before anything changes: a load
    // is all or nothing. A pipe or a device is refused unopened.
    QByteArray b;
    int err = File_Err;
    File_Err = 0;
    if (err == 0 && path.trimmed().isEmpty()) err = 52;
    if (err == 0)
        if (const int e = Read_File(path, Seq_File_Size, b)) err = File_Error_Number(e);
    if (err == 52) {
        Msg_Box("Wrong filename!", Mb::OkOnly | Mb::Critical);
        return;
    }
    if (err != 0) {
        Msg_Box("Error " + QString::number(err) + ": " + File_Error_Text(err),
                Mb::OkOnly | Mb::Critical);
        return;
    }
    const bool ok = image_ok(b);
    if (ok) {
        auto byte = [&b](int i) { return static_cast<std::uint8_t>(b[i]); };
        // A tempo of 0 cannot be played; it counts as the slowest tempo.
        Seq_BPM = static_cast<std::int16_t>(std::clamp<int>(byte(4), 1, 120));
        Seq_Base_Note = byte(5);
        Seq_Range_Index = static_cast<std::int16_t>(Seq_Range_Of(Seq_Base_Note));
        Seq_Tmr_Set_Interval();
        // The caption names the file a Save would write: only an open changes it.
        if (open) Seq_Name = name_of(path);
        if (open && Seq_Form_Open == 255) {
            Sequencer& w = Sequencer::get();
            w.Seq_Tempo->setValue(Seq_BPM);
            w.Select_Range(Seq_Range_Index);
            w.Set_Caption(Seq_Caption());
        }
        for (int i = 0; i < 104; ++i) Seq_Data[i] = byte(6 + i);
        if (FD_Form_Open && FD_SEQ_Preview_Draw) FD_SEQ_Preview_Draw();
        if (open && Seq_Form_Open == 255) Sequencer::get().Seq_Redraw();
        Seq_Loaded = 255;
    }
    if (!open) return;
    if (ok) {
        Quorlen::get().Menu_File_Seq_Save->setEnabled(true);
        Recent_Seq_Add(path);
        Seq_File = path;
        FD_Done = 255;
        Seq_Saved = 255;
        ED_Seq_Pics_On();
    } else {
        Msg_Box("Wrong SEQUENCE format!", Mb::OkOnly | Mb::Critical);
    }
}

bool Save_SEQ(const QString& file, int* err) {
    File_Err = 0;
    // Written beside the old file and renamed over it: a failed save leaves
    // the old file whole, and a longer old file keeps no tail.
    if (const int e = Write_File(file, Seq_File_Image())) {
        File_Err = File_Error_Number(e);
        if (err)
            *err = File_Err;
        else
            Msg_Box(Name_Shown(file) + " : " + File_Error_Text(File_Err),
                    Mb::OkOnly | Mb::Critical);
        File_Err = 0;
        return false;
    }
    Seq_File = file;
    Recent_Seq_Add(Seq_File);
    Seq_Name = name_of(Seq_File);
    Sequencer::get().Set_Caption(Seq_Caption());
    Quorlen::get().Menu_File_Seq_Save->setEnabled(true);
    Seq_Saved = 255;
    File_Err = 0;
    return true;
}

void Seq_Preview_Paint(QPainter& p, const Seq_Grid& grid, const std::array<QPixmap, 4>& pics) {
    for (int i = 0; i < 104; ++i) {
        const int v = grid[i];
        const QPixmap& pic = v == 127 ? pics[2] : v == 63 ? pics[3] : pics[0];
        p.drawPixmap((i / 13) * 8 + 1, (i % 13) * 8 + 1, pic);
    }
}
