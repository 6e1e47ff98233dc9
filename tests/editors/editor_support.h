#pragma once
// A started program with the JX-8P editor shown, MIDI on and a channel-1 header.
#include "app/main_module.h"
#include "app/quorlen.h"
#include "editors/editor.h"
#include "editors/knob_model.h"
#include "instrument/instrument.h"
#include "midi/midi_port.h"
#include "support/fixture.h"
#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>

class EditorTest : public ProgramTest {
  protected:
    void SetUp() override {
        Write_Settings("[MIDI]\nOutput=Synth Out\nInput=Synth In\nChannel=1\n");
        Provide_Display_Font();
        Start_Program();
        Quorlen& m = Quorlen::get();
        m.show();
        QApplication::setActiveWindow(&m);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m));
        ASSERT_EQ(MIDI_Enabled, 1);
        boxes.clear();
        midi.events.clear();
    }

    static Editor& ed() { return Editor::get(); }
    static Pic_Control* ctl(const char* name) {
        auto* c = ed().findChild<Pic_Control*>(name);
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    static void focus(QWidget* w) {
        w->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
        ASSERT_EQ(QApplication::focusWidget(), w);
    }
    static void key(QWidget* w, Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
        QTest::keyClick(w, k, m);
    }
    static void pad(QWidget* w, Qt::Key k) { QTest::keyClick(w, k, Qt::KeypadModifier); }
    // One key of a table of keys: on the keypad where `keypad`.
    struct Key_Row {
        Qt::Key key;
        bool keypad;
        int byte;          // the byte it leaves
        const char* shown; // the readout then
        bool sent = true;  // whether its message goes out
    };
    static void key(QWidget* w, const Key_Row& r) {
        QTest::keyClick(w, r.key, r.keypad ? Qt::KeypadModifier : Qt::NoModifier);
    }
    // A mouse move with the left button held, at x, y inside the control.
    static void drag_to(QWidget* w, double x, double y) {
        const QPointF local(x, y);
        QMouseEvent e(QEvent::MouseMove, local, w->mapToGlobal(local), Qt::NoButton, Qt::LeftButton,
                      Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
    static void press(QWidget* w, double x = 4, double y = 4) {
        QTest::mousePress(w, Qt::LeftButton, {}, QPoint(static_cast<int>(x), static_cast<int>(y)));
    }
    static void release(QWidget* w) { QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(4, 4)); }

    // A single-parameter message as the instrument receives it: header, parameter, value, F7.
    static std::string msg(const std::string& header, int p, int v) {
        return header + std::string{static_cast<char>(p), static_cast<char>(v), '\xF7'};
    }
    // The JX-8P tone and patch messages and the Alpha Juno's, of channel 1 unless told.
    static std::string param_msg(int p, int v) { return msg(Bytes("F0 41 36 00 21 20 01"), p, v); }
    static std::string patch_msg(int p, int v, int channel_byte = 0) {
        return msg(Bytes("F0 41 36") + static_cast<char>(channel_byte) + Bytes("21 30 01"), p, v);
    }
    static std::string juno_msg(int p, int v) { return msg(Bytes("F0 41 36 00 23 20 01"), p, v); }
    static QString name_text() { return ed().Tone_Name->text(); }
};
