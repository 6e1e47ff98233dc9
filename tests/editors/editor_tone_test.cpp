// Whole-tone redraw, undo, name bytes, the layout switch and the display font.
#include "editor_support.h"
#include "editors/display_font.h"
#include "midi/sysex.h"
#include "midi/tone_files.h"
#include <QAction>
#include <QPainter>

namespace {
void set_name(const char* ten) {
    for (int i = 0; i < 10; ++i) Tone_Data[i] = static_cast<std::uint8_t>(ten[i]);
}

// The panel as the instrument's layout places it: Left, the starting Top, and
// the Top a full redraw gives the byte at 0 and at 127 (knob bodies stay put).
struct Place {
    const char* name;
    int left, top, at_0, at_127;
};
const Place Panel[] = {
    {"DCO1_Range", 19, 62, 62, 32},         {"DCO1_Waveform", 59, 62, 62, 32},
    {"DCO2_Range", 119, 62, 62, 32},        {"DCO2_Waveform", 159, 62, 62, 32},
    {"DCO2_Crossmod", 189, 62, 62, 32},     {"VCF_HPF", 359, 62, 62, 32},
    {"DCO1_Tune", 33, 102, 102, 102},       {"DCO2_Tune", 122, 102, 102, 102},
    {"DCO2_FTune", 182, 102, 102, 102},     {"Mixer_DCO1", 259, 112, 112, 32},
    {"Mixer_DCO2", 298, 112, 112, 32},      {"VCF_CutoffF", 399, 112, 112, 32},
    {"VCF_Res", 438, 112, 112, 32},         {"VCA_Level", 489, 112, 112, 32},
    {"DCO1_LFO", 19, 152, 232, 152},        {"VCA_Mode", 489, 162, 162, 152},
    {"DCO1_ENV", 58, 232, 232, 152},        {"DCO2_LFO", 119, 232, 232, 152},
    {"DCO2_ENV", 158, 232, 232, 152},       {"Mixer_ENV", 299, 232, 232, 152},
    {"VCF_LFO", 360, 232, 232, 152},        {"VCF_ENV", 399, 232, 232, 152},
    {"VCF_Keyfollow", 438, 232, 232, 152},  {"DCO_Dynamics", 19, 308, 308, 278},
    {"DCO_Mode", 59, 308, 308, 278},        {"Mixer_Dynamics", 259, 308, 308, 278},
    {"Mixer_Mode", 299, 308, 308, 278},     {"VCF_Dynamics", 359, 308, 308, 278},
    {"VCF_Mode", 399, 308, 308, 278},       {"VCA_Dynamics", 489, 308, 308, 278},
    {"LFO_Waveform", 18, 397, 397, 377},    {"ENV1_Keyfollow", 265, 418, 418, 388},
    {"ENV2_Keyfollow", 445, 418, 418, 388}, {"Chorus_Mode", 488, 418, 418, 398},
    {"LFO_DelayT", 45, 437, 437, 357},      {"LFO_Rate", 84, 437, 437, 357},
    {"ENV1_Attack", 135, 437, 437, 357},    {"ENV1_Decay", 165, 437, 437, 357},
    {"ENV1_Sustain", 195, 437, 437, 357},   {"ENV1_Release", 225, 437, 437, 357},
    {"ENV2_Attack", 315, 437, 437, 357},    {"ENV2_Decay", 345, 437, 437, 357},
    {"ENV2_Sustain", 375, 437, 437, 357},   {"ENV2_Release", 405, 437, 437, 357},
};
} // namespace

TEST_F(EditorTest, RedrawPlacesEveryKindForZerosAndMaxima) {
    ASSERT_EQ(std::size(Panel), 44u);
    for (int fill : {0, 127}) {
        for (int i = 11; i < 59; ++i) Tone_Data[i] = static_cast<std::uint8_t>(fill);
        midi.take_sent();
        Tone_Saved = true;
        Editor_Redraw();
        for (const Place& p : Panel)
            EXPECT_EQ(ctl(p.name)->pos(), QPoint(p.left, fill ? p.at_127 : p.at_0))
                << p.name << " at " << fill;
        // Pointers: -12 semitones (byte 0) left and below, +12 right and below.
        const QPoint tune = fill ? QPoint(15, 14) : QPoint(9, 14);
        EXPECT_EQ(ed().DCO1_Tune_Knopf->pos(), tune);
        EXPECT_EQ(ed().DCO2_Tune_Knopf->pos(), tune);
        EXPECT_EQ(ed().DCO2_FTune_Knopf->pos(), fill ? QPoint(15, 14) : QPoint(9, 14));
        EXPECT_EQ(Knob_Display_Value, fill ? 50 : -50);
        EXPECT_TRUE(midi.take_sent().empty());
        EXPECT_TRUE(Tone_Saved);
    }
    // The full redraw puts a 3-way lever's in-between values on their band.
    Tone_Data[43] = 20;
    Tone_Data[44] = 100;
    Editor_Redraw();
    EXPECT_EQ(ed().Chorus_Mode->Top(), 418);
    EXPECT_EQ(ed().LFO_Waveform->Top(), 377);
}

TEST_F(EditorTest, RedrawBuildsTheNameFromItsBytes) {
    set_name("  Brass 7 ");
    Editor_Redraw();
    EXPECT_EQ(Tone_Name_Text, "BRASS 7");
    EXPECT_EQ(name_text(), "BRASS 7");
    set_name("\x01"
             "ab       ");
    Editor_Redraw();
    EXPECT_EQ(Tone_Name_Text, QString("\x01"
                                      "AB")); // taken as it is
    // Only ASCII letters change case: other bytes come back through the name as they were.
    set_name("\xFF\xE9\xB5\xDFz     ");
    Editor_Redraw();
    EXPECT_EQ(Tone_Name_Text.size(), 5);
    Name_To_Tone();
    for (int i = 0; i < 5; ++i) EXPECT_EQ(Tone_Data[i], "\xFF\xE9\xB5\xDFZ"[i] & 0xFF) << i;
}

TEST_F(EditorTest, NameToToneFillsWithBlanksUpToByte10) {
    Tone_Data.fill(77);
    Tone_Name_Text = "PIANO";
    Name_To_Tone();
    for (int i = 0; i <= 10; ++i) EXPECT_EQ(Tone_Data[i], i < 5 ? "PIANO"[i] : 32) << i;
    EXPECT_EQ(Tone_Data[11], 77);
    Tone_Name_Text.clear();
    Name_To_Tone();
    for (int i = 0; i <= 10; ++i) EXPECT_EQ(Tone_Data[i], 32);
    Tone_Name_Text = "ABCDEFGHIJKLMN"; // too long: parameters stay untouched
    Name_To_Tone();
    EXPECT_EQ(Tone_Data[9], 'J');
    EXPECT_EQ(Tone_Data[10], 32);
    EXPECT_EQ(Tone_Data[11], 77);
}

TEST_F(EditorTest, UndoBringsBackToneAndPatchRedrawsAndSendsOnce) {
    QAction* undo = Quorlen::get().Menu_Edit_Undo;
    set_name("ORGAN     ");
    Tone_Data[34] = 100;
    Patch_Data[1] = 55;
    Undo_Save();
    EXPECT_TRUE(undo->isEnabled());
    const JX8P_Tone_Params saved = Tone_Data;
    Tone_Data.fill(3);
    Patch_Data.fill(9);
    Editor_Redraw();
    Tone_Saved = false;
    midi.take_sent();

    Undo_Restore();
    EXPECT_EQ(Tone_Data, saved);
    EXPECT_EQ(Patch_Data[1], 55);
    EXPECT_EQ(Patch_Data[0], 0);
    EXPECT_EQ(name_text(), "ORGAN");
    EXPECT_EQ(ed().VCF_CutoffF->Top(), 112 - (100 * 80) / 127);
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_FALSE(Tone_Saved);
    const auto sent = midi.take_sent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].size(), 89u);
}

TEST_F(EditorTest, UndoInAlphaJunoModeTouchesOnlyTheJunoTone) {
    Synth_Type = "Alpha Juno";
    Juno_Tone.fill(5);
    Tone_Data.fill(1);
    Undo_Tone.fill(4);
    Undo_Save();
    Juno_Tone.fill(6);
    Tone_Data.fill(2);
    Undo_Restore();
    EXPECT_EQ(Juno_Tone[0], 5);
    EXPECT_EQ(Tone_Data[0], 2);
    EXPECT_EQ(Undo_Tone[0], 4);
}

TEST_F(EditorTest, LayoutSwitchHidesThePanelAndShowsItAgainOnTheTone) {
    for (int i = 11; i < 59; ++i) Tone_Data[i] = 127;
    Synth_Type = "Alpha Juno";
    Set_Synth();
    for (const Place& p : Panel) EXPECT_TRUE(ctl(p.name)->isHidden()) << p.name;
    EXPECT_FALSE(ed().Tone_Name->isHidden());
    EXPECT_FALSE(ed().ED_Seq_Start->isHidden());

    // Back on the JX-8P or the MKS-70 the caps show the bytes.
    for (const char* synth : {"JX-8P", "MKS-70"}) {
        Synth_Type = "Alpha Juno";
        Set_Synth();
        Synth_Type = synth;
        Set_Synth();
        for (const Place& p : Panel) {
            EXPECT_TRUE(ctl(p.name)->isVisible()) << p.name;
            EXPECT_EQ(ctl(p.name)->pos(), QPoint(p.left, p.at_127)) << p.name << " " << synth;
        }
    }
    // The layout itself puts every control at its starting place.
    Editor_Layout_Show();
    for (const Place& p : Panel) EXPECT_EQ(ctl(p.name)->pos(), QPoint(p.left, p.top)) << p.name;
    EXPECT_EQ(ed().Tone_Name->pos(), QPoint(100, 292));
    EXPECT_EQ(ed().Keys_Pic->pos(), QPoint(214, 221));
    EXPECT_EQ(ed().Pic_Orvel->pos(), QPoint(197, 204));
    EXPECT_EQ(ed().size(), QSize(528, 456));
}

TEST_F(EditorTest, SavingSendingAndTheMks70SwitchLeaveTheCapsOnTheTone) {
    for (int i = 11; i < 59; ++i) Tone_Data[i] = static_cast<std::uint8_t>((i * 29) % 128);
    Editor_Redraw();
    auto places = [] {
        QList<QPoint> out;
        for (const Place& p : Panel) out << ctl(p.name)->pos();
        return out;
    };
    const QList<QPoint> shown = places();
    Tone_File = folder.filePath("kept.syx");
    Save_SYX(Tone_File);
    ASSERT_TRUE(Tone_Saved);
    EXPECT_EQ(places(), shown);
    Tone_Send();
    EXPECT_EQ(places(), shown);
    Synth_Type = "MKS-70";
    Set_Synth();
    EXPECT_EQ(places(), shown);
    EXPECT_TRUE(ed().VCF_CutoffF->isVisible());
}

TEST_F(EditorTest, TheNameBoxDrawsTheSegmentFace) {
    ASSERT_TRUE(Font_Loaded);
    EXPECT_TRUE(boxes.calls.empty());
    const QFont face = ed().Tone_Name->font();
    EXPECT_EQ(QFontInfo(face).family(), "JX8P");

    auto render = [](const QFont& f, const QString& text) {
        QImage img(121, 18, QImage::Format_RGB32);
        img.fill(Qt::black);
        QPainter p(&img);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(img.rect(), Qt::AlignCenter, text);
        return img;
    };
    const QImage ours = render(face, "BRASS-8");
    QFont plain("DejaVu Sans");
    plain.setPixelSize(16);
    EXPECT_NE(ours, render(plain, "BRASS-8"));
    // Every character has a glyph of its own: no two letters look alike.
    EXPECT_NE(render(face, "A"), render(face, "B"));
    EXPECT_NE(render(face, "8"), render(face, "B"));
    EXPECT_NE(render(face, "-"), render(face, " "));
    // Segments: the minus is one horizontal bar, two pixels thick.
    const QImage minus = render(face, "-");
    int lit_rows = 0;
    for (int y = 0; y < minus.height(); ++y) {
        bool lit = false;
        for (int x = 0; x < minus.width(); ++x) lit |= qGray(minus.pixel(x, y)) > 128;
        lit_rows += lit;
    }
    EXPECT_EQ(lit_rows, 2);
}

class FontMissingTest : public ProgramTest {};

TEST_F(FontMissingTest, StartsWithTheDefaultFontAfterOneBox) {
    Write_Settings("[MIDI]\nOutput=Synth Out\nInput=Synth In\n");
    Start_Program();
    const QStringList texts = boxes.texts();
    ASSERT_EQ(texts.count(), 1);
    EXPECT_TRUE(texts[0].startsWith("Error: Could not load font "));
    EXPECT_TRUE(texts[0].endsWith("JX8P.FNT\nUsing default font."));
    EXPECT_FALSE(Font_Loaded);
    EXPECT_NE(QFontInfo(Editor::get().Tone_Name->font()).family(), "JX8P");
}
