#pragma once
// Every fixed picture the program draws with its own code: the picture stock,
// the panels and the logos. The build draws them once ahead (tools/
// make_pictures) and links the result into the program, so start-up copies
// them instead of painting; a program built without them (the tests) draws
// each picture when it is asked for.
#include <QPixmap>
#include <cstdint>

enum class Pic : int {
    // Buttons(0..10) of the picture stock.
    Lever_Dark,
    Lever_Dark_Lit,
    Lever_Light,
    Lever_Light_Lit,
    Knob_Pointer,
    Knob_Pointer_Lit,
    Fader_Cap,
    Fader_Cap_Lit,
    Knob_Body,
    Audition_Key,
    Audition_Key_Down,
    // LED(0..6).
    Lamp_Off,
    Lamp_On,
    Lamp_Dim,
    Lamp_Checked,
    Lamp_Focus,
    Lamp_Disabled,
    Lamp_Checked_Disabled,
    // Seq_Keys(0..3).
    Seq_Key_White,
    Seq_Key_Black,
    Seq_Key_White_Down,
    Seq_Key_Black_Down,
    Start_Enabled,
    Start_Disabled,
    Stop_Enabled,
    Stop_Disabled,
    Record,
    Button_Up3D,
    Button_Dn3D,
    Dlg2_Up,
    Dlg2_Dn,
    Dlg2_Ok,
    Dlg2_Cancel,
    // The file dialog's folder buttons: up, new folder, delete.
    Updir_Caption,
    Newdir_Caption,
    Delete_Caption,
    // Panels and logos.
    Editor_Panel,
    Juno_Panel,
    Patch_Panel,
    MKS70_Panel,
    Quorlen_Logo,
    Orvel_Logo,
    Juno_Orvel_Logo,
    Count
};
constexpr int Pic_Count = static_cast<int>(Pic::Count);

// The picture, from the build's store when there is one, else drawn now.
QPixmap Picture(Pic id);
// Drawn now, whatever the store holds: what the build stores.
QPixmap Draw_Picture(Pic id);
const char* Picture_Name(Pic id);

// One stored picture: a QImage's pixels, at offset in the store's bytes.
struct Stored_Picture {
    int width, height, format, bytes_per_line;
    std::uint64_t offset;
};
// Hands over the store; bits must outlive the program's pictures.
void Install_Stored_Pictures(const Stored_Picture* table, int count, const unsigned char* bits);
void Remove_Stored_Pictures();
// Installs the store the build drew; defined by the generated picture library.
void Install_Build_Pictures();
