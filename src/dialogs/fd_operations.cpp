#include "app/main_module.h"
#include "dialogs/fd_shared.h"
#include "dialogs/file_dlg.h"
#include "dialogs/input_dlg.h"
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
#include <QLineEdit>

using Fd::bad_name;

namespace Fd {
QString full_name() {
    File_Dlg& d = File_Dlg::get();
    // The folder list's own path, never typed: blanks in it are part of it.
    return In_Folder(FD_Path, d.FD_List_Files->File_Name(d.FD_FileName->text()));
}

int write_error(const QString& file) {
    if (bad_name(file)) return Fd_Err::Bad_Name;
    return Path_Kind(file) == Path_Type::Folder ? Fd_Err::Access : 0;
}

Saved save_as(QString& file_var, const char* pattern, Writer writer, int& err) {
    File_Dlg& d = File_Dlg::get();
    const QString box = d.FD_FileName->text();
    if (!d.FD_List_Files->Picked(box) && box.compare(pattern, Qt::CaseInsensitive) == 0)
        return Saved::Pattern;
    if (d.FD_List_Files->File_Name(box).isEmpty()) return Saved::Not_Written;
    const QString full = full_name();
    // A folder of that name is no file that exists: no question to write over it.
    if (File_Exists(full) && Msg_Box("File exists: " + Name_Shown(full) + " Overwrite?",
                                     Mb::YesNo | Mb::Critical, "Write TONE file") != Mb::Yes)
        return Saved::Not_Written;
    // The name is taken only with a written file: a declined or failed
    // write must not be written later by a plain Save. The saved flag says
    // nothing here, as it may have been set before.
    int failed = 0;
    if (!writer(full, &failed)) {
        err = failed;
        return Saved::Not_Written;
    }
    file_var = full;
    FD_Done = 255;
    return Saved::Written;
}
} // namespace Fd

QString Parent_Dir(QString& path) {
    Add_Slash(path);
    path.chop(1);
    const qsizetype i = path.lastIndexOf('/');
    path = i > 0 ? path.left(i) : QString();
    return Add_Slash(path);
}

void FD_New_Dir() {
    File_Dlg& d = File_Dlg::get();
    // Only a folder can hold the new one; after a file click that is the listed folder.
    const QString where = FD_Selected_Kind == "Dir" ? FD_Selected : d.FD_List_Dirs->Path();
    auto create = [&](const QString& name) {
        return !name.contains('/') && !bad_name(name) && Make_Folder(In_Folder(where, name)) == 0;
    };
    QString name = Input_Box("Please enter a name for the new folder in:\r" + Name_Shown(where),
                             "Create new folder", "folder");
    // The dialog may close while the box is up: then no folder is made.
    if (Handler_Stopped()) return;
    bool failed = !name.isEmpty() && !create(name);
    while (failed) {
        name = Input_Box("A folder or file of the given name already exists!!\n\n"
                         "Please enter another name:",
                         "Create new directory", name);
        if (Handler_Stopped()) return;
        failed = !name.isEmpty() && !create(name);
    }
    d.FD_List_Dirs->Refresh();
}

void FD_Delete() {
    File_Dlg& d = File_Dlg::get();
    if (FD_Selected_Kind == "File") {
        // The question names the very file that goes: the name box's, which
        // may have been typed over since the click.
        const QString box = d.FD_FileName->text();
        const QString name = d.FD_List_Files->Delete_Name(box);
        if (name.isEmpty()) return;
        // The folder of the files shown, blanks and all.
        const QString file = In_Folder(d.FD_List_Files->Path(), name);
        if (Msg_Box("Delete " + Name_Shown(file) + " ?", Mb::YesNo) != Mb::Yes) return;
        if (Path_Kind(file) != Path_Type::File || Remove_File(file) != 0) {
            Msg_Box(Name_Shown(file) + " could not be deleted.");
            return;
        }
        d.FD_List_Files->Refresh();
        d.FD_List_Files->Mark_Deleted(name, box);
    } else if (FD_Selected_Kind == "Dir") {
        const QString shown = Name_Shown(FD_Selected);
        if (Msg_Box("Delete " + shown + " ?", Mb::YesNo) != Mb::Yes) return;
        if (FD_Selected == "/" || Remove_Folder(FD_Selected) != 0) {
            Msg_Box(shown + " could not be removed. The directory is not empty.");
            return;
        }
        // The list may have stood in the folder just removed.
        QString path = d.FD_List_Dirs->Path();
        while (Path_Kind(path) != Path_Type::Folder) Parent_Dir(path);
        if (d.FD_List_Dirs->Set_Path(path) == 0) d.FD_List_Dirs->Refresh();
        FD_Selected = d.FD_List_Dirs->Path();
    }
}

void Tone_Backup() {
    if (Synth_Is(Synth_Type, "Alpha Juno")) {
        Undo_Juno_Tone = Juno_Tone;
    } else {
        Undo_Tone = Tone_Data;
        Undo_Patch = Patch_Data;
    }
}

void Tone_Restore() {
    if (Synth_Is(Synth_Type, "Alpha Juno")) {
        Juno_Tone = Undo_Juno_Tone;
        Juno_Editor_Redraw();
    } else {
        Tone_Data = Undo_Tone;
        Patch_Data = Undo_Patch;
        if (Patch_Form_Open == 255) Patch_Redraw();
        Editor_Redraw();
    }
    Tone_Loading = 0;
    if (AutoSend_On == 1) Tone_Send();
}
