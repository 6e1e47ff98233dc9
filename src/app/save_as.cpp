#include "app/save_as.h"
#include "app/dlg.h"
#include "app/main_module.h"
#include "dialogs/file_dlg.h"
#include "platform/msgbox.h"

namespace {
// The dialog tells a written file by FD_Done, which it sets only then.
bool save_as(const char* mode) {
    // Asked for while the file dialog is open: the open dialog does the save.
    if (File_Dlg::loaded() && FD_Form_Open) {
        // The open dialog's own action has its outcome still to come.
        const std::uint8_t outer = FD_Done;
        FD_Done = 0;
        File_Dlg::get().Nested_Save(mode);
        const bool written = FD_Done == 255;
        FD_Done = outer;
        return written;
    }
    FD_Done = 0;
    FD_Mode = mode;
    File_Dlg::get().Form_Show();
    Dlg_Wait();
    return FD_Done == 255;
}
} // namespace

bool SaveAs_SYX() {
    return save_as("SaveAs_SYX");
}
bool SaveAs_SEQ() {
    return save_as("SaveAs_SEQ");
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
