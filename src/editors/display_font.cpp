#include "editors/display_font.h"
#include "app/main_module.h"
#include "editors/editor.h"
#include "editors/editor_juno.h"
#include "midi/routines.h"
#include "platform/file_io.h"
#include "platform/host.h"
#include "platform/msgbox.h"
#include <QLabel>

QFont Display_Font() {
    QFont f("JX8P");
    // A bitmap face of one size: ask for exactly that size.
    f.setPixelSize(16);
    f.setStyleStrategy(QFont::NoFontMerging);
    return f;
}

QString Display_Font_Path() {
    return Program_Folder() + Path_Separator + "JX8P.FNT";
}

void Display_Font_Init() {
    if (Host_Add_Font(Display_Font_Path()) == 0) {
        Msg_Box("Error: Could not load font " + Name_Shown(Display_Font_Path()) +
                    "\nUsing default font.",
                Mb::OkOnly | Mb::Critical, "Quorlen");
        return;
    }
    for (QLabel* box :
         std::initializer_list<QLabel*>{Editor::get().Tone_Name, Editor_Juno::get().Tone_Name})
        box->setFont(Display_Font());
    Font_Loaded = true;
}
