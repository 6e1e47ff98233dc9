#pragma once
// Small host services: the screen, sounds, the display font, the system's
// version and the key codes the key handlers test.
#include <QString>
#include <Qt>
#include <cstdint>
#include <functional>

class QKeyEvent;

// The folder of the program; settings and the display font live there.
QString Program_Folder();
// The folder of the executable, by the bytes of its name.
QString Executable_Folder();
void Set_Program_Folder(const QString& folder); // tests only

// Vertical pixels per inch of the screen the windows are on.
int Host_Screen_PPI();
void Set_Screen_PPI_Override(int ppi); // 0 removes the override
// 1440 twips make an inch.
double Twips_Per_Pixel_X();
double Twips_Per_Pixel_Y();
int Host_Screen_Height();

// Plays a named system sound; 0 when there is none of that name.
int Host_Play_Sound(const QString& name, int flags);
void Host_Beep();
// Tests hear sounds through this hook ("beep" for the plain beep).
void Set_Sound_Hook(std::function<void(const QString&)> hook);

// Reading the system's font configuration is most of the cost of the first
// text a program draws, and needs nothing from Qt: it is started on a thread
// of its own before the application object, and waited for before the first
// font is used, so it runs while Qt starts.
void Host_Fonts_Prepare();
void Host_Fonts_Wait();

// Adds a font file for this process; the number of fonts added (0: failure).
int Host_Add_Font(const QString& path);
// Removes a font added from path; 0 on failure (see Host_Last_Error).
int Host_Remove_Font(const QString& path);
int Host_Last_Error();

// The system's version: the low byte major, the next byte minor.
std::uint32_t Host_Get_Version();
void Set_Host_Version_Override(std::uint32_t version); // 0 removes the override
// Back to the values at program start.
void Host_Reset();

// The key code of a key event, in the classic virtual-key numbering
// (keypad digits 96..105, keypad + 107, keypad - 109, main + 187, main - 189).
int Virtual_Key(const QKeyEvent& event);
// Mouse buttons as event handlers number them: 1 left, 2 right, 4 middle, or-ed.
int Mouse_Button(Qt::MouseButtons buttons);
// Shift keys as event handlers number them: 1 shift, 2 control, 4 alt, or-ed.
int Shift_State(Qt::KeyboardModifiers modifiers);

namespace Vk {
enum : int {
    Back = 8,
    Tab = 9,
    Return = 13,
    Shift = 16,
    Control = 17,
    Menu = 18,
    Escape = 27,
    Space = 32,
    Prior = 33,
    Next = 34,
    End = 35,
    Home = 36,
    Left = 37,
    Up = 38,
    Right = 39,
    Down = 40,
    Insert = 45,
    Delete = 46,
    Key0 = 48,
    KeyA = 65,
    Numpad0 = 96,
    Multiply = 106,
    Add = 107,
    Subtract = 109,
    Decimal = 110,
    Divide = 111,
    F1 = 112,
    OemPlus = 187,
    OemComma = 188,
    OemMinus = 189,
    OemPeriod = 190,
};
}
