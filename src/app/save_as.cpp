#include "app/save_as.h"
#include "app/dlg.h"
#include "app/main_module.h"
#include "dialogs/file_dlg.h"
#include "platform/msgbox.h"

namespace {
void save_as(const char* mode) {
    // Asked for while the file dialog is open: the open dialog does the save.
    if (File_Dlg::loaded() && FD_Form_Open) {
        File_Dlg::get().Nested_Save(mode);
        return;
    }
    FD_Mode = mode;
    File_Dlg::get().Form_Show();
    Dlg_Wait();
}
} // namespace

void SaveAs_SYX() {
    save_as("SaveAs_SYX");
}
void SaveAs_SEQ() {
    save_as("SaveAs_SEQ");
}

bool Tone_Save_Prompt(bool with_cancel) {
    int answer = 0;
    if (!Tone_Saved) {
        answer = Msg_Box("Save actual TONE first?",
                         (with_cancel ? Mb::YesNoCancel : Mb::YesNo) | Mb::Question);
        if (answer == Mb::Yes)
            SaveAs_SYX();
        else if (answer == Mb::No)
            Tone_Saved = true;
    }
    return Tone_Saved && answer != Mb::Cancel;
}
