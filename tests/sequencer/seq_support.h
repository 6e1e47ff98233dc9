#pragma once
// A started program with MIDI enabled, a picture stock whose every picture
// can be told apart, and helpers for sequence files and the notes of a tick.
#include "app/main_module.h"
#include "app/quorlen.h"
#include "app/settings.h"
#include "midi/midi_port.h"
#include "sequencer/playback.h"
#include "sequencer/sequence.h"
#include "sequencer/sequencer.h"
#include "support/fixture.h"
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <QtTest/QTest>
#include <set>

class SeqTest : public ProgramTest {
  protected:
    void SetUp() override {
        Start_Program();
        Quorlen& m = Quorlen::get();
        int hue = 0;
        auto paint = [&hue](QPixmap& pm) {
            pm = QPixmap(8, 8);
            pm.fill(QColor::fromHsv(hue, 255, 255));
            hue += 11;
        };
        for (QPixmap& pm : m.Seq_Keys) paint(pm);
        for (QPixmap& pm : m.LED) paint(pm);
        for (QPixmap* pm : {&m.Start_Disabled, &m.Start_Enabled, &m.Stop_Disabled, &m.Stop_Enabled,
                            &m.Button_Up3D, &m.Button_Dn3D})
            paint(*pm);
        MIDI_Enabled = 1;
        Dir_Sequences = folder.path() + "/";
        midi.events.clear();
        boxes.clear();
    }
    void TearDown() override { Seq_Rnd = saved_rnd; }
    // Answers the random modes' draws from a script, one value per draw.
    void Script_Rnd(std::vector<double> values) {
        Seq_Rnd = [values, n = size_t{0}]() mutable { return values.at(n++ % values.size()); };
    }
    std::function<double()> saved_rnd = Seq_Rnd;
    QString Path(const QString& name) const { return folder.filePath(name); }
    void Write(const QString& name, const QByteArray& bytes) {
        QFile f(Path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray Read(const QString& name) const {
        QFile f(Path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // "SEQ1", tempo, base note and 104 cells (cell i = fill(i)).
    static QByteArray Image(int tempo, int base, std::function<int(int)> fill = {}) {
        QByteArray b("SEQ1");
        b.append(static_cast<char>(tempo));
        b.append(static_cast<char>(base));
        for (int i = 0; i < 104; ++i) b.append(static_cast<char>(fill ? fill(i) : 0));
        return b;
    }
    static bool Same(const QPixmap& a, const QPixmap& b) { return a.cacheKey() == b.cacheKey(); }
    static bool Same_Image(const QPixmap& a, const QPixmap& b) {
        return a.toImage() == b.toImage();
    }
};
