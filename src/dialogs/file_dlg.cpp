#include "dialogs/file_dlg.h"
#include "app/app_style.h"
#include "app/dlg.h"
#include "app/main_module.h"
#include "app/picture_store.h"
#include "app/quorlen.h"
#include "app/settings.h"
#include "dialogs/fd_shared.h"
#include "dialogs/picture_buttons.h"
#include "editors/editor.h"
#include "editors/editor_juno.h"
#include "editors/knob_model.h"
#include "midi/midi_port.h"
#include "midi/routines.h"
#include "midi/tone_files.h"
#include "platform/file_io.h"
#include "platform/host.h"
#include "platform/msgbox.h"
#include "sequencer/sequence.h"
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QTimer>
#include <algorithm>

QString FD_Mode;
QString FD_Ext;
QString FD_Path;
QString FD_Selected;
QString FD_Selected_Kind;
QString FD_Drive;

void File_Dlg_Reset() {
    FD_Mode.clear();
    FD_Ext.clear();
    FD_Path.clear();
    FD_Selected.clear();
    FD_Selected_Kind.clear();
    FD_Drive.clear();
}

QString FD_Error_Text(int err) {
    // The dialog's wording of a bad name; the rest as the file routines say it.
    if (err == Fd_Err::Bad_Name) return "Bad file name or number";
    const QString text = File_Error_Text(err);
    return text == File_Error_Text(0) ? "Error " + QString::number(err) : text;
}

using Fd::full_name;
using Fd::Path_Role;
using Fd::save_as;
using Fd::Saved;

// ---- the dialog ----

namespace {
QLabel* caption(QWidget* parent, const QString& text, QWidget* buddy, int x, int y, int w) {
    auto* l = new QLabel(text, parent);
    l->setGeometry(x, y, w, 18);
    l->setBuddy(buddy);
    return l;
}

QFrame* panel(QWidget* parent, const char* name) {
    auto* f = new QFrame(parent);
    f->setObjectName(name);
    f->setFrameShape(QFrame::Box);
    f->setFrameShadow(QFrame::Sunken);
    f->setGeometry(266, 92, 142, 170);
    return f;
}

Picture_Button* button_3d(QWidget* parent, const char* name, int x, int y, int w, int h,
                          const QString& fallback = {}) {
    auto* b = new Picture_Button(parent, name, Picture_Button::Button_3D);
    b->setGeometry(x, y, w, h);
    b->Caption()->resize(w - 6, h - 6);
    b->Caption()->Set_Fallback_Text(fallback);
    return b;
}
} // namespace

File_Dlg::File_Dlg() : QWidget(&Quorlen::get(), Qt::Dialog) {
    setObjectName("File_Dlg");
    setFixedSize(416, 270);
    Keep_Text_Pixels(this);

    FD_FileName = new QLineEdit(this);
    FD_FileName->setObjectName("FD_FileName");
    FD_FileName->setGeometry(8, 26, 120, 22);
    FD_List_Files = new File_List(this);
    FD_List_Files->setObjectName("FD_List_Files");
    FD_List_Files->setGeometry(8, 52, 120, 160);
    FD_Dir_Label = new QLabel(this);
    FD_Dir_Label->setGeometry(136, 26, 124, 22);
    FD_List_Dirs = new Dir_List(this);
    FD_List_Dirs->setObjectName("FD_List_Dirs");
    FD_List_Dirs->setGeometry(136, 52, 124, 160);
    FD_List_Filter = new QComboBox(this);
    FD_List_Filter->setObjectName("FD_List_Filter");
    FD_List_Filter->setGeometry(8, 238, 120, 24);
    // The small type: the longest file type fits beside the arrow.
    FD_List_Filter->setFont(Pixel_Font(8));
    FD_List_Drives = new Drive_List(this);
    FD_List_Drives->setObjectName("FD_List_Drives");
    FD_List_Drives->setGeometry(136, 238, 124, 24);
    caption(this, "File &Name:", FD_FileName, 8, 6, 120);
    caption(this, "&Directory:", FD_List_Dirs, 136, 6, 124);
    caption(this, "List Files of &Type:", FD_List_Filter, 8, 218, 124);
    caption(this, "Dri&ves:", FD_List_Drives, 136, 218, 124);

    FD_Button_Ok = new Picture_Button(this, "FD_Button_Ok", Picture_Button::Dialog_OkCancel);
    FD_Button_Ok->setGeometry(266, 16, 65, 34);
    FD_Button_Ok->Caption()->Set_Fallback_Text("OK");
    FD_Button_Cancel =
        new Picture_Button(this, "FD_Button_Cancel", Picture_Button::Dialog_OkCancel);
    FD_Button_Cancel->setGeometry(342, 16, 65, 34);
    FD_Button_Cancel->Caption()->Set_Fallback_Text("Cancel");
    FD_Button_Updir = button_3d(this, "FD_Button_Updir", 266, 58, 22, 22);
    FD_Button_Newdir = button_3d(this, "FD_Button_Newdir", 302, 58, 22, 22);
    FD_Button_Delete = button_3d(this, "FD_Button_Delete", 338, 58, 22, 22);
    FD_Button_Updir->setToolTip("Up one folder");
    FD_Button_Newdir->setToolTip("New folder");
    FD_Button_Delete->setToolTip("Delete");
    Build_Preview_Panels();

    connect(FD_Button_Ok, &Picture_Box::Click, this, &File_Dlg::FD_Button_Ok_Click);
    connect(FD_Button_Cancel, &Picture_Box::Click, this, &File_Dlg::Form_Unload);
    for (Picture_Button* b : {FD_Button_Ok, FD_Button_Cancel}) {
        connect(b, &Picture_Box::Mouse_Down, this, [b] { Btn_OkCancel_Down(*b); });
        connect(b, &Picture_Box::Mouse_Up, this, [b] { Btn_OkCancel_Up(*b); });
    }
    connect(FD_Button_Updir, &Picture_Box::Mouse_Down, this, &File_Dlg::FD_Button_Updir_MouseDown);
    connect(FD_Button_Delete, &Picture_Box::Mouse_Down, this, [this] {
        Btn_Down(*FD_Button_Delete);
        if (!FD_Selected.isEmpty()) FD_Delete();
        Btn_Up(*FD_Button_Delete);
    });
    connect(FD_Button_Newdir, &Picture_Box::Mouse_Down, this, [this] {
        Btn_Down(*FD_Button_Newdir);
        if (!FD_Selected.isEmpty()) FD_New_Dir();
        Btn_Up(*FD_Button_Newdir);
    });
    for (Picture_Button* b : {FD_Button_Updir, FD_Button_Delete, FD_Button_Newdir})
        connect(b, &Picture_Box::Mouse_Up, this, [b] { Btn_Up(*b); });

    connect(FD_List_Files, &QListWidget::itemPressed, this, &File_Dlg::File_Pressed);
    connect(FD_FileName, &QLineEdit::textEdited, FD_List_Files, &File_List::Typed);
    connect(FD_List_Files, &QListWidget::itemDoubleClicked, this,
            &File_Dlg::FD_List_Files_DblClick);
    connect(FD_List_Dirs, &QListWidget::itemPressed, this, [this] {
        FD_Selected = FD_List_Dirs->Entry_At_Index();
        FD_Selected_Kind = "Dir";
    });
    // The folder list opens a folder on a double click, as such lists do.
    connect(FD_List_Dirs, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        FD_List_Dirs->Set_Path(item->data(Path_Role).toString());
    });
    connect(FD_List_Dirs, &Dir_List::Change, this, &File_Dlg::FD_List_Dirs_Change);
    connect(FD_List_Drives, &QComboBox::activated, this, &File_Dlg::FD_List_Drives_Change);
    connect(FD_List_Filter, &QComboBox::activated, this, &File_Dlg::FD_List_Filter_Click);

    FD_List_Files->Set_Path(FD_List_Dirs->Path());
    FD_List_Dirs->Refresh();
    Show_Dir_Label();
    // The dialog sees every key before its controls do.
    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
}

void File_Dlg::Build_Preview_Panels() {
    FD_SYX = panel(this, "FD_SYX");
    FD_SEQ = panel(this, "FD_SEQ");
    FD_OSC = panel(this, "FD_OSC");

    FD_SYX_CB_Autosend = new Picture_Check(FD_SYX, "FD_SYX_CB_Autosend");
    FD_SYX_CB_Autoplay = new Picture_Check(FD_SYX, "FD_SYX_CB_Autoplay");
    FD_SYX_CB_Autoplay->move(6, 27);
    caption(FD_SYX, "Auto Send", nullptr, 26, 5, 110);
    caption(FD_SYX, "Auto Play", nullptr, 26, 25, 110);
    caption(FD_SYX, "Sound check:", nullptr, 6, 44, 110);
    for (int i = 0; i < 2; ++i) {
        auto* o = new Picture_Check(FD_SYX, "FD_SYX_OB_Soundcheck", true);
        o->move(6, 64 + 18 * i);
        FD_SYX_OB_Soundcheck.push_back(o);
    }
    caption(FD_SYX, "Note", nullptr, 26, 62, 40);
    caption(FD_SYX, "Sequence", nullptr, 26, 80, 70);
    FD_SYX_SoundCheck_Note_List = new QComboBox(FD_SYX);
    FD_SYX_SoundCheck_Note_List->setObjectName("FD_SYX_SoundCheck_Note_List");
    FD_SYX_SoundCheck_Note_List->setGeometry(6, 116, 60, 22);
    FD_SYX_SoundCheck_Velocity_List = new QComboBox(FD_SYX);
    FD_SYX_SoundCheck_Velocity_List->setObjectName("FD_SYX_SoundCheck_Velocity_List");
    FD_SYX_SoundCheck_Velocity_List->setGeometry(72, 116, 62, 22);
    caption(FD_SYX, "Note", FD_SYX_SoundCheck_Note_List, 6, 98, 60);
    caption(FD_SYX, "Velocity", FD_SYX_SoundCheck_Velocity_List, 72, 98, 62);
    FD_SYX_Button_Start = button_3d(FD_SYX, "FD_SYX_Button_Start", 6, 143, 22, 22);
    FD_SYX_Button_Stop = button_3d(FD_SYX, "FD_SYX_Button_Stop", 32, 143, 22, 22);

    FD_SEQ_CB_Autoplay = new Picture_Check(FD_SEQ, "FD_SEQ_CB_Autoplay");
    caption(FD_SEQ, "Auto Play", nullptr, 26, 8, 110);
    FD_SEQ_Preview = new Picture_Box(FD_SEQ, "FD_SEQ_Preview");
    FD_SEQ_Button_Start = button_3d(FD_SEQ, "FD_SEQ_Button_Start", 84, 51, 22, 22);
    FD_SEQ_Button_Stop = button_3d(FD_SEQ, "FD_SEQ_Button_Stop", 84, 79, 22, 22);

    FD_OSC_Preview = new Picture_Box(FD_OSC, "FD_OSC_Preview");
    FD_OSC_Preview->setGeometry(7, 7, 128, 156);
    Connect_Preview_Panels();
}

void Pics_File_Dlg() {
    File_Dlg& d = File_Dlg::get();
    const Quorlen& m = Quorlen::get();
    auto face = [](Picture_Button* b, const QPixmap& pic) {
        b->Set_Face(pic, false);
        b->Caption()->move(3, 3);
    };
    for (Picture_Button* b : {d.FD_SEQ_Button_Start, d.FD_SEQ_Button_Stop}) face(b, m.Button_Up3D);
    d.FD_SEQ_Button_Start->Caption()->Set_Picture(m.Start_Enabled);
    d.FD_SEQ_Button_Stop->Caption()->Set_Picture(m.Stop_Enabled);
    d.FD_SEQ_Preview->setGeometry(7, 51, 67, 107);
    for (Picture_Button* b : {d.FD_SYX_Button_Start, d.FD_SYX_Button_Stop}) face(b, m.Button_Up3D);
    d.FD_SYX_Button_Start->Caption()->Set_Picture(m.Start_Disabled);
    d.FD_SYX_Button_Stop->Caption()->Set_Picture(m.Stop_Disabled);
    for (Picture_Button* b : {d.FD_Button_Updir, d.FD_Button_Delete, d.FD_Button_Newdir})
        face(b, m.Button_Up3D);
    d.FD_Button_Updir->Caption()->Set_Picture(Picture(Pic::Updir_Caption));
    d.FD_Button_Newdir->Caption()->Set_Picture(Picture(Pic::Newdir_Caption));
    d.FD_Button_Delete->Caption()->Set_Picture(Picture(Pic::Delete_Caption));
    d.FD_SYX_CB_Autosend->Set_Look(0);
    d.FD_SYX_CB_Autosend->setGeometry(6, 7, 14, 14);
    d.FD_SYX_CB_Autoplay->Set_Look(0);
    for (Picture_Check* o : d.FD_SYX_OB_Soundcheck) o->Set_Look(0);
    d.FD_SEQ_CB_Autoplay->Set_Look(0);
    d.FD_SEQ_CB_Autoplay->setGeometry(6, 10, 14, 14);
    for (Picture_Button* b : {d.FD_Button_Ok, d.FD_Button_Cancel}) {
        b->Set_Face(m.Dlg2_Up, false);
        b->Caption()->setGeometry(6, 5, 51, 20);
    }
    d.FD_Button_Ok->Caption()->Set_Picture(m.Dlg2_Ok);
    d.FD_Button_Cancel->Caption()->Set_Picture(m.Dlg2_Cancel);
}

void FD_Setup() {
    struct Mode {
        const char* mode;
        const char* type;
        const char* caption;
        int panel; // 0 tones, 1 sequences, 2 oscillators
        const char* ext;
    };
    static const Mode modes[] = {
        {"Open_SYX", "Sysex (*.SYX)", "Open Tone File", 0, ".syx"},
        {"SaveAs_SYX", "Sysex (*.SYX)", "Save Tone File", 0, ".syx"},
        {"Open_SEQ", "Sequence (*.SEQ)", "Open Sequencer File", 1, ".seq"},
        {"SaveAs_SEQ", "Sequence (*.SEQ)", "Save Sequencer File", 1, ".seq"},
        {"Open_OSC", "Oscillator (*.OSC)", "Open Oscillator File", 2, ".osc"},
        {"SaveAs_OSC", "Oscillator (*.OSC)", "Save Oscillator File", 2, ".osc"},
    };
    File_Dlg& d = File_Dlg::get();
    d.FD_List_Filter->clear();
    if (FD_Mode == "SaveAs_SYX") Tone_Backup();
    for (const Mode& m : modes) {
        if (FD_Mode != m.mode) continue;
        d.FD_List_Filter->addItems({m.type, "All Files (*.*)"});
        d.setWindowTitle(m.caption);
        QFrame* panels[] = {d.FD_SYX, d.FD_SEQ, d.FD_OSC};
        for (int i = 0; i < 3; ++i) panels[i]->setVisible(i == m.panel);
        d.FD_List_Filter->setCurrentIndex(0);
        d.FD_List_Filter_Click();
        FD_Ext = m.ext;
        return;
    }
    d.FD_List_Filter->addItem("All Files (*.*)");
    if (FD_Mode == "Open_ALL") {
        d.setWindowTitle("Open File");
        for (QFrame* p : {d.FD_SYX, d.FD_SEQ, d.FD_OSC}) p->hide();
        FD_Ext = ".*";
    }
}

namespace {
// The start folder kept for the type of file the dialog shows.
QString* kept_folder() {
    const QString ext = FD_Ext.toUpper();
    if (ext == ".SYX") return &Dir_Tones;
    if (ext == ".SEQ") return &Dir_Sequences;
    if (ext == ".OSC") return &Dir_Oscillators;
    return nullptr;
}
} // namespace

void File_Dlg::Form_Load() {
    Focus_Pic_Reset();
    if (Quorlen::get().Menu_Windows_SavePos->isChecked())
        move(static_cast<int>(FD_Left / Twips_Per_Pixel_X()),
             static_cast<int>(FD_Top / Twips_Per_Pixel_Y()));
    else
        move(0, 0);
    Menus_Disable();
    Dlg_Begin(this, "File_Dlg");
    Pics_File_Dlg();
    FD_Setup();
    FD_Drive = FD_List_Drives->Drive();
    FD_Preview_Setup();
    if (QString* start = kept_folder(); start && Path_Kind(*start) == Path_Type::Folder) {
        // A new folder reaches the file list through the folder list's change;
        // listing it here as well would read a big folder twice.
        FD_List_Dirs->Set_Path(*start);
        if (FD_List_Files->Path() != FD_List_Dirs->Path()) FD_List_Files->Set_Path(*start);
        FD_List_Drives->Set_Drive(*start);
        FD_Drive = FD_List_Drives->Drive();
    }
    Select_Name();
    FD_Form_Open = true;
}

void File_Dlg::Form_Show() {
    show();
    raise();
    activateWindow();
    FD_FileName->setFocus();
}

void File_Dlg::Select_Name() {
    FD_FileName->setSelection(0, static_cast<int>(FD_FileName->text().size()));
}

void File_Dlg::Form_QueryUnload() {
    Quorlen::get().Timer_Display->stop();
    Soundcheck_Wait = 1;
    MIDI_AllNotesOff();
    FD_Preview_Store();
    if (QString* keep = kept_folder()) {
        *keep = FD_List_Files->Path();
        Add_Slash(*keep);
    }
    Menus_Enable();
    if (Quorlen::get().Menu_Windows_SavePos->isChecked()) {
        FD_Left = static_cast<int>(std::lround(x() * Twips_Per_Pixel_X()));
        FD_Top = static_cast<int>(std::lround(y() * Twips_Per_Pixel_Y()));
    }
    Dlg_End();
    FD_Form_Open = false;
}

void File_Dlg::Form_Unload() {
    // Cancel, Escape or a written file end a save inside the open dialog,
    // not the dialog.
    if (nested_save_) {
        nested_save_ = false;
        return;
    }
    Unload_Form(&File_Dlg::Form_QueryUnload);
}

void File_Dlg::closeEvent(QCloseEvent* event) {
    if (nested_save_)
        event->ignore();
    else
        event->accept();
    Form_Unload();
}

void File_Dlg::Nested_Save(const QString& mode) {
    if (nested_save_) return;
    const QString mode_before = FD_Mode, name_before = FD_FileName->text(), ext_before = FD_Ext,
                  pattern_before = FD_List_Files->Pattern();
    FD_Mode = mode;
    FD_Setup(); // the save's own set-up, the tone backup among it
    FD_FileName->clear();
    FD_FileName->setFocus();
    nested_save_ = true;
    Dlg_Wait_Until([this] { return !nested_save_; });
    if (Handler_Stopped()) return;
    nested_save_ = false;
    FD_Mode = mode_before;
    FD_Setup();
    FD_Ext = ext_before;
    FD_List_Files->Set_Pattern(pattern_before);
    FD_FileName->setText(name_before);
    Select_Name();
}

void File_Dlg::Error_Box(int err) {
    Msg_Box(Blanks_Trimmed(FD_FileName->text()) + " : " + FD_Error_Text(err),
            Mb::OkOnly | Mb::Exclamation);
}

bool File_Dlg::Box_Picked() const {
    return FD_List_Files->Picked(FD_FileName->text());
}

int File_Dlg::Name_To_List() {
    // A typed name may move the list or set its pattern; a chosen entry is
    // in the list already.
    return Box_Picked() ? 0 : FD_List_Files->Set_FileName(FD_FileName->text());
}

void File_Dlg::Extension_Completion() {
    const QString name = FD_FileName->text();
    // An empty name stays empty: it would otherwise become a hidden file ".syx".
    // A file chosen in the list is used as it is named.
    if (Blanks_Trimmed(name).isEmpty() || Box_Picked()) return;
    if (!name.right(4).contains('.') && !name.endsWith('/')) FD_FileName->setText(name + FD_Ext);
}

void File_Dlg::FD_Button_Ok_Click() {
    FD_Done = 0;
    int err = 0;
    FD_Path = FD_List_Dirs->Path();
    Extension_Completion();
    const QString full = full_name();
    if (FD_Mode == "Open_SYX") {
        err = Name_To_List();
        // The folder list follows a typed folder: the files shown are the files used.
        if (err == 0) FD_List_Dirs->Set_Path(FD_List_Files->Path());
        if (err == 0 && File_Exists(full)) Load_SYX(full, "Open");
    } else if (FD_Mode == "Open_SEQ" || FD_Mode == "Open_OSC") {
        err = Name_To_List();
        if (err == 0) {
            FD_List_Dirs->Set_Path(FD_List_Files->Path());
            if (File_Exists(full) && FD_Mode == "Open_SEQ") Load_SEQ(full, "Open");
        }
    } else if (FD_Mode == "SaveAs_SYX") {
        FD_List_Dirs->Set_Path(FD_List_Files->Path());
        // The tone writer reports its own failures, a bad name or a folder among them.
        const Saved saved = save_as(
            Tone_File, "*.syx", [](const QString& file, int*) { return Save_SYX(file); }, err);
        // The caption names the file a later Save writes, as after an open.
        if (saved == Saved::Written) {
            Set_Program_Title("Quorlen - " + Name_Shown(Tone_File));
            Quorlen::get().Menu_File_SYX_Save->setEnabled(true);
        }
        // Written or not, the tone the previews changed comes back.
        if (saved != Saved::Pattern) Tone_Restore();
    } else if (FD_Mode == "SaveAs_SEQ") {
        FD_List_Dirs->Set_Path(FD_List_Files->Path());
        // The sequence writer leaves its failures to the dialog's report.
        save_as(
            Seq_File, "*.SEQ",
            [](const QString& file, int* e) {
                *e = Fd::write_error(file);
                return *e == 0 && Save_SEQ(file, e);
            },
            err);
    }
    if (err != 0) Error_Box(err);
    if (FD_Done == 255) {
        Form_Unload();
        return;
    }
    FD_FileName->setFocus();
    Select_Name();
}

void File_Dlg::File_Pressed() {
    const QString name = FD_List_Files->Pick_Highlighted();
    FD_FileName->setText(name);
    FD_Selected = name;
    FD_Selected_Kind = "File";
    FD_Click_Preview();
}

void File_Dlg::FD_List_Files_DblClick() {
    // A double click in a save mode chooses the file as OK does: a name is
    // marked saved only when its file was written.
    if (FD_Mode == "SaveAs_SYX" || FD_Mode == "SaveAs_SEQ") {
        FD_Button_Ok_Click();
        return;
    }
    FD_Path = FD_List_Dirs->Path();
    FD_Done = 0;
    int err = 0;
    if (FD_Mode == "Open_SYX" || FD_Mode == "Open_SEQ") {
        const QString full = full_name();
        err = Name_To_List();
        if (err == 0) {
            FD_List_Dirs->Set_Path(FD_List_Files->Path());
            if (File_Exists(full)) {
                if (FD_Mode == "Open_SYX")
                    Load_SYX(full, "Open");
                else
                    Load_SEQ(full, "Open");
            }
        }
    }
    if (err != 0) Error_Box(err);
    if (FD_Done == 255) {
        Form_Unload();
        return;
    }
    Extension_Completion();
    Select_Name();
}

void File_Dlg::FD_List_Filter_Click() {
    const QString item = FD_List_Filter->currentText();
    if (item == "Sysex (*.SYX)") FD_Ext = ".SYX";
    if (item == "Sequence (*.SEQ)") FD_Ext = ".SEQ";
    if (item == "Oscillator (*.OSC)") FD_Ext = ".OSC";
    // All files are shown; the mode and its extension stay, so OK still opens or saves.
    FD_List_Files->Set_Pattern(item == "All Files (*.*)" ? QStringLiteral("*.*") : "*" + FD_Ext);
}

void File_Dlg::Show_Dir_Label() {
    // The end of a long path says most: it is cut at the front.
    const QString path = Name_Shown(FD_List_Dirs->Path());
    FD_Dir_Label->setText(
        FD_Dir_Label->fontMetrics().elidedText(path, Qt::ElideLeft, FD_Dir_Label->width()));
    FD_Dir_Label->setToolTip(path);
}

void File_Dlg::FD_List_Dirs_Change() {
    Show_Dir_Label();
    // The folder list follows a typed folder that the file list has shown
    // already: a second listing would lose the entry highlighted there.
    if (FD_List_Files->Path() == FD_List_Dirs->Path()) return;
    for (;;) {
        const int err = FD_List_Files->Set_Path(FD_List_Dirs->Path());
        if (err != Fd_Err::Unavailable) return;
        if (Msg_Box("Drive not ready or not available.", Mb::RetryCancel | Mb::Critical) !=
            Mb::Retry)
            return;
    }
}

void File_Dlg::FD_List_Drives_Change() {
    for (;;) {
        const QString drive = FD_List_Drives->Drive();
        const int err =
            QFileInfo(drive).isDir() ? FD_List_Dirs->Set_Path(drive) : int(Fd_Err::Unavailable);
        if (err != Fd_Err::Unavailable) {
            FD_Drive = drive;
            return;
        }
        if (Msg_Box("Drive not ready or unavailable.", Mb::RetryCancel | Mb::Critical) !=
            Mb::Retry) {
            FD_List_Drives->setCurrentIndex(FD_List_Drives->findText(FD_Drive));
            return;
        }
    }
}

void File_Dlg::FD_Button_Updir_MouseDown() {
    Btn_Down(*FD_Button_Updir);
    if (FD_Selected.isEmpty()) {
        Host_Beep();
        return;
    }
    QString entry = FD_List_Dirs->Entry_At_Index();
    FD_List_Dirs->Set_Path(Parent_Dir(entry));
    FD_Selected = FD_List_Dirs->Path();
    FD_List_Dirs->Refresh();
}

bool File_Dlg::Form_KeyDown(QObject* target, QKeyEvent* event) {
    const int key = Virtual_Key(*event);
    if (key == Vk::Escape) {
        Form_Unload();
        return true;
    }
    if (key == Vk::Return && target == FD_FileName) {
        FD_Button_Ok_Click();
        return true;
    }
    if (key == Vk::Space && (target == FD_List_Dirs || target == FD_List_Dirs->viewport())) {
        FD_List_Dirs->Set_Path(FD_List_Dirs->Entry_At_Index());
        return true;
    }
    if (event->modifiers() != Qt::AltModifier || key == Vk::Menu) return false;
    if (Preview_Alt_Key(key)) {
        Do_Events();
        FD_FileName->setFocus(Qt::ShortcutFocusReason);
        return true;
    }
    // The Alt keys move the focus; an Alt key of no meaning gives it to the name box.
    switch (key) {
    case 'N':
        FD_FileName->setFocus(Qt::ShortcutFocusReason);
        Select_Name();
        break;
    case 'F':
        FD_List_Files->setFocus(Qt::ShortcutFocusReason);
        break;
    case 'D':
        FD_List_Dirs->setFocus(Qt::ShortcutFocusReason);
        break;
    case 'V':
        FD_List_Drives->setFocus(Qt::ShortcutFocusReason);
        break;
    case 'T':
        FD_List_Filter->setFocus(Qt::ShortcutFocusReason);
        break;
    default:
        Do_Events();
        FD_FileName->setFocus(Qt::ShortcutFocusReason);
        break;
    }
    return true;
}

bool File_Dlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && Form_KeyDown(watched, static_cast<QKeyEvent*>(event)))
        return true;
    return QWidget::eventFilter(watched, event);
}

void File_Dlg::keyPressEvent(QKeyEvent* event) {
    if (!Form_KeyDown(this, event)) QWidget::keyPressEvent(event);
}
