#include "platform/host.h"
#include <QFile>
#include <QFontDatabase>
#include <QKeyEvent>
#include <gtest/gtest.h>

namespace {
int vk(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent e(QEvent::KeyPress, key, mods);
    return Virtual_Key(e);
}
} // namespace

TEST(VirtualKeys, KeypadIsToldApartFromTheMainKeyboard) {
    EXPECT_EQ(vk(Qt::Key_Plus, Qt::KeypadModifier), 107);
    EXPECT_EQ(vk(Qt::Key_Minus, Qt::KeypadModifier), 109);
    EXPECT_EQ(vk(Qt::Key_Plus), 187);
    EXPECT_EQ(vk(Qt::Key_Minus), 189);
    EXPECT_EQ(vk(Qt::Key_0, Qt::KeypadModifier), 96);
    EXPECT_EQ(vk(Qt::Key_0), 48);
    EXPECT_EQ(vk(Qt::Key_7, Qt::ShiftModifier), 55);
}

TEST(VirtualKeys, NavigationKeys) {
    const std::pair<int, int> keys[] = {
        {Qt::Key_Tab, 9},    {Qt::Key_Escape, 27}, {Qt::Key_PageUp, 33}, {Qt::Key_PageDown, 34},
        {Qt::Key_End, 35},   {Qt::Key_Home, 36},   {Qt::Key_Left, 37},   {Qt::Key_Up, 38},
        {Qt::Key_Right, 39}, {Qt::Key_Down, 40},   {Qt::Key_A, 65},      {Qt::Key_Backtab, 9}};
    for (auto [key, code] : keys) EXPECT_EQ(vk(key), code);
    // Keypad arrows are the arrows.
    EXPECT_EQ(vk(Qt::Key_Up, Qt::KeypadModifier), 38);
}

TEST(Host, TwipsFollowThePixelsPerInch) {
    Set_Screen_PPI_Override(120);
    EXPECT_DOUBLE_EQ(Twips_Per_Pixel_X(), 12.0);
    Set_Screen_PPI_Override(96);
    EXPECT_DOUBLE_EQ(Twips_Per_Pixel_Y(), 15.0);
    Set_Screen_PPI_Override(0);
}

// The font configuration read ahead on its own thread: asking twice starts
// it once, and the display font is added after it as without it.
TEST(Host, DisplayFontIsAddedAfterTheFontConfigurationReadAhead) {
    Host_Fonts_Prepare();
    Host_Fonts_Prepare();
    const QString font = QStringLiteral(QUORLEN_DISPLAY_FONT);
    ASSERT_TRUE(QFile::exists(font));
    EXPECT_EQ(Host_Add_Font(font), 1);
    EXPECT_TRUE(QFontDatabase::families().contains("JX8P"));
    Host_Fonts_Wait();
    EXPECT_EQ(Host_Remove_Font(font), 1);
    EXPECT_EQ(Host_Remove_Font(font), 0);
}
