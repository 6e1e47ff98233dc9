#include "editors/display_font.h"
#include "app/main_module.h"
#include "editors/editor.h"
#include "editors/editor_juno.h"
#include "midi/routines.h"
#include "platform/host.h"
#include "platform/msgbox.h"
#include <QLabel>

QString Display_Font_Path() {
    return Program_Folder() + Path_Separator + "JX8P.FNT";
}

void Display_Font_Init() {
    if (Host_Add_Font(Display_Font_Path()) == 0) {
        Msg_Box("Error: Could not load font " + Display_Font_Path() + "\nUsing default font.",
                Mb::OkOnly | Mb::Critical, "Quorlen");
        return;
    }
    for (QLabel* box : {Editor::get().Tone_Name, Editor_Juno::get().Tone_Name}) {
        QFont f = box->font();
        f.setFamily("JX8P");
        box->setFont(f);
    }
    Font_Loaded = true;
}
