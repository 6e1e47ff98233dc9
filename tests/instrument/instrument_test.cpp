#include "app/main_module.h"
#include "app/quorlen.h"
#include "instrument/instrument.h"
#include "midi/midi_port.h"
#include "support/fixture.h"
#include <QAction>

class InstrumentTest : public ProgramTest {};

TEST_F(InstrumentTest, NewJx8pToneHasCentredTunesAndBlankName) {
    for (const char* synth : {"JX-8P", "MKS-70", "something else"}) {
        Synth_Type = synth;
        Tone_Data.fill(99);
        Patch_Data.fill(99);
        Tone_Saved = false;
        Tone_New();
        for (int i = 0; i < 59; ++i) {
            const int want = i < 10 ? 32 : (i == 13 || i == 19) ? 56 : i == 20 ? 64 : 0;
            EXPECT_EQ(Tone_Data[i], want) << synth << " byte " << i;
        }
        for (int i = 0; i < 9; ++i) EXPECT_EQ(Patch_Data[i], i == 6 ? 64 : 0);
        EXPECT_TRUE(Tone_Saved);
        EXPECT_FALSE(Quorlen::get().Menu_File_SYX_Save->isEnabled());
    }
}

TEST_F(InstrumentTest, NewJunoToneIsNamedNewAndLeavesJx8pToneAlone) {
    Synth_Type = "alpha juno"; // any letter case
    Juno_Tone.fill(7);
    Tone_Data.fill(5);
    Tone_New();
    const std::uint8_t name[] = {39, 30, 48, 62, 62, 62, 62, 62, 62, 62};
    for (int i = 0; i < 49; ++i)
        EXPECT_EQ(Juno_Tone[i], i >= 36 && i <= 45 ? name[i - 36] : 0) << "byte " << i;
    EXPECT_EQ(Tone_Name_Text, "NEW");
    EXPECT_EQ(Tone_Data[0], 5);
}

TEST(JunoNameCode, MapsEveryByteToOneCodeAndBack) {
    EXPECT_EQ(Juno_Char_To_Code('A'), 0);
    EXPECT_EQ(Juno_Char_To_Code('z'), 51);
    EXPECT_EQ(Juno_Char_To_Code('0'), 52);
    EXPECT_EQ(Juno_Char_To_Code('9'), 61);
    EXPECT_EQ(Juno_Char_To_Code('-'), 63);
    EXPECT_EQ(Juno_Char_To_Code(' '), 62);
    EXPECT_EQ(Juno_Char_To_Code('!'), 62);
    EXPECT_EQ(Juno_Char_To_Code(200), 62);
    EXPECT_EQ(Juno_Code_To_Char(62), ' ');
    EXPECT_EQ(Juno_Code_To_Char(64), ' ');
    EXPECT_EQ(Juno_Code_To_Char(255), ' ');
    EXPECT_EQ(Juno_Code_To_Char(63), '-');
    for (int k = 0; k < 64; ++k) EXPECT_EQ(Juno_Char_To_Code(Juno_Code_To_Char(k)), k);
}
