// Scales, positions and pointer geometry of the shared control model.
#include "editors/knob_model.h"
#include "instrument/instrument.h"
#include "support/fixture.h"

TEST(KnobScales, FineTuneSharesTwentySevenPairsAndCentresOn63And64) {
    EXPECT_EQ(Knob_Val_PM50(0), -50);
    EXPECT_EQ(Knob_Val_PM50(4), Knob_Val_PM50(5));
    EXPECT_EQ(Knob_Val_PM50(62), -1);
    EXPECT_EQ(Knob_Val_PM50(63), 0);
    EXPECT_EQ(Knob_Val_PM50(64), 0);
    EXPECT_EQ(Knob_Val_PM50(65), 1);
    EXPECT_EQ(Knob_Val_PM50(122), Knob_Val_PM50(123));
    EXPECT_EQ(Knob_Val_PM50(127), 50);
    EXPECT_EQ(Knob_Val_PM50(128), 0);
    EXPECT_EQ(Knob_Val_PM50(-1), 0);
    int shared = 0;
    for (int v = 1; v <= 127; ++v) {
        const int step = Knob_Val_PM50(v) - Knob_Val_PM50(v - 1);
        ASSERT_TRUE(step == 0 || step == 1) << v;
        shared += step == 0;
    }
    EXPECT_EQ(shared, 27);
}

TEST(KnobScales, SemitoneBandsAndTheirLowestBytes) {
    EXPECT_EQ(Knob_Val_PM12(0), -12);
    EXPECT_EQ(Knob_Val_PM12(7), -12);
    EXPECT_EQ(Knob_Val_PM12(8), -11);
    EXPECT_EQ(Knob_Val_PM12(55), -1);
    EXPECT_EQ(Knob_Val_PM12(56), 0);
    EXPECT_EQ(Knob_Val_PM12(71), 0);
    EXPECT_EQ(Knob_Val_PM12(72), 1);
    EXPECT_EQ(Knob_Val_PM12(127), 12);
    EXPECT_EQ(Knob_Val_PM12(200), 0);
    for (int s = -12; s <= 12; ++s) EXPECT_EQ(Knob_Val_PM12(Tune_Semi_To_Value(s)), s) << s;
    EXPECT_EQ(Tune_Semi_To_Value(-1), 52);
    EXPECT_EQ(Tune_Semi_To_Value(0), 56);
    EXPECT_EQ(Tune_Semi_To_Value(13), 0);
    EXPECT_EQ(Tune_Semi_To_Value(-13), 0);
}

TEST(KnobScales, PointerTurnsClockwiseFromTheTop) {
    // The offset is subtracted from the centre.
    EXPECT_EQ(Knob_Offset(0, 12), QPoint(0, 5)); // straight above
    const QPoint up12 = Knob_Offset(12, 12);     // 234 degrees
    EXPECT_EQ(up12, QPoint(-3, -4));             // right of and below the centre
    EXPECT_EQ(Knob_Offset(-12, 12), QPoint(3, -4));
    // 240 degrees: 5 cos a is a hair beyond -2.5 in binary, so it rounds away.
    EXPECT_EQ(Knob_Offset(50, 3), QPoint(-3, -4));
    EXPECT_EQ(Knob_Offset(-50, 3), QPoint(3, -4));
}

class PositionTest : public ProgramTest {};

TEST_F(PositionTest, FaderAndLeverTopsFollowTheStoredByte) {
    Tone_Data[34] = 127;
    EXPECT_EQ(Slider_Pos(34), 32);
    Tone_Data[34] = 64;
    EXPECT_EQ(Slider_Pos(34), 72); // 5120 \ 127 = 40
    Tone_Data[14] = 0;
    EXPECT_EQ(Slider_Pos(14), 232);
    Tone_Data[47] = 127;
    EXPECT_EQ(Slider_Pos(47), 357);
    Tone_Data[11] = 127; // not a fader: base 0
    EXPECT_EQ(Slider_Pos(11), -80);

    const int bands[][3] = {
        {0, 62, 308}, {31, 62, 308}, {32, 52, 298}, {95, 42, 288}, {127, 32, 278}};
    for (const auto& b : bands) {
        Tone_Data[11] = static_cast<std::uint8_t>(b[0]);
        EXPECT_EQ(Switch_Pos_A(11), b[1]) << b[0];
        EXPECT_EQ(Switch_Pos_B(11), b[2]) << b[0];
    }
    Tone_Data[11] = 200;
    EXPECT_EQ(Switch_Pos_A(11), 0);
    EXPECT_EQ(Switch_Pos_B(11), 0);
}

TEST_F(PositionTest, PatchPositionsAndButtonIndices) {
    Patch_Data = {100, 127, 64, 4, 4, 0, 0, 0, 0};
    EXPECT_EQ(Patch_Switch_Pos(0), 28);
    EXPECT_EQ(Patch_Switch_Pos(1), 28);
    EXPECT_EQ(Patch_Switch_Pos(2), 133);
    EXPECT_EQ(Patch_Switch_Pos(3), 3);
    EXPECT_EQ(Patch_Switch_Pos(4), 3);
    EXPECT_EQ(Patch_Switch_Pos(5), 108);
    Patch_Data[3] = 3; // no button makes it
    Patch_Data[4] = 9;
    EXPECT_EQ(Patch_Switch_Pos(3), 0);
    EXPECT_EQ(Patch_Switch_Pos(4), 0);
    EXPECT_EQ(Patch_Switch_Pos(7), 0);
}
