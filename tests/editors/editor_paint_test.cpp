// A whole-tone redraw repaints what moved once, not once per step or per neighbour.
#include "editor_support.h"
#include <QHash>
#include <QPaintEvent>

namespace {
class Paint_Counter : public QObject {
  public:
    QHash<QObject*, int> paints;
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++paints[watched];
        return false;
    }
};

void fill_tone(const char* name, int offset) {
    for (int i = 0; i < 10; ++i) Tone_Data[i] = static_cast<std::uint8_t>(name[i]);
    // Bytes 64 apart: every fader, lever band, toggle and knob pointer moves.
    for (int i = 11; i < 59; ++i) Tone_Data[i] = static_cast<std::uint8_t>((i * 37) % 64 + offset);
}

void settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}
} // namespace

TEST_F(EditorTest, RedrawOfAWholeTonePaintsEachMovedControlOnce) {
    ed().Timer1->stop(); // the blink would repaint the focused control on its own
    fill_tone("BRASS ONE ", 0);
    Editor_Redraw();
    settle();

    QList<Pic_Control*> controls;
    for (const Tone_Control_Spec& s : Tone_Controls) controls << ed().*(s.member);
    controls << ed().DCO1_Tune_Knopf << ed().DCO2_Tune_Knopf << ed().DCO2_FTune_Knopf;
    QHash<Pic_Control*, QPoint> before;
    Paint_Counter counter;
    for (Pic_Control* c : controls) {
        before[c] = c->pos();
        c->installEventFilter(&counter);
    }
    ed().installEventFilter(&counter);
    ed().Tone_Name->installEventFilter(&counter);

    fill_tone("SOFT PAD 2", 64);
    Editor_Redraw();
    settle();

    int moved = 0;
    for (Pic_Control* c : controls) {
        if (c->pos() == before[c]) continue;
        ++moved;
        EXPECT_EQ(counter.paints.value(c), 1) << c->objectName().toStdString();
    }
    EXPECT_EQ(moved, 44); // 41 controls and 3 knob pointers; the knob bodies stay
    EXPECT_LE(counter.paints.value(&ed()), 1);
    EXPECT_EQ(counter.paints.value(ed().Tone_Name), 1);
}
