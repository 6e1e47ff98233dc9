#include "app/picture_store.h"
#include <QImage>
#include <gtest/gtest.h>

// The store the build drew holds, picture by picture, what the drawing code
// draws now: a picture added, moved or changed without the store following
// would show the wrong face.
TEST(PictureStore, StoredPicturesAreWhatTheCodeDraws) {
    Install_Build_Pictures();
    for (int k = 0; k < Pic_Count; ++k) {
        const Pic id = static_cast<Pic>(k);
        const QImage stored = Picture(id).toImage();
        const QImage drawn = Draw_Picture(id).toImage();
        EXPECT_EQ(stored.size(), drawn.size()) << Picture_Name(id);
        EXPECT_TRUE(stored == drawn) << Picture_Name(id);
    }
    Remove_Stored_Pictures();
}

// A store made for another list of pictures is not used: every picture is
// drawn instead of being read from the wrong place.
TEST(PictureStore, StoreOfAnotherLengthIsRefused) {
    const unsigned char bits[4] = {0x11, 0x22, 0x33, 0xFF};
    const Stored_Picture one[] = {{1, 1, static_cast<int>(QImage::Format_ARGB32), 4, 0}};
    Install_Stored_Pictures(one, 1, bits);
    EXPECT_TRUE(Picture(Pic::Fader_Cap).toImage() == Draw_Picture(Pic::Fader_Cap).toImage());
    EXPECT_EQ(Picture(Pic::Editor_Panel).size(), QSize(528, 456));
    Remove_Stored_Pictures();
}
