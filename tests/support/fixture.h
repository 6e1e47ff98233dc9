#pragma once
// A clean program for each test: fresh state, a recording MIDI host, a
// message box recorder and a program folder of its own.
#include "platform/msgbox.h"
#include "support/fake_midi_host.h"
#include "support/reset.h"
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <gtest/gtest.h>
#include <string>

class MsgBoxRecorder {
  public:
    MsgBoxRecorder();
    ~MsgBoxRecorder();
    std::vector<MsgBoxCall> calls;
    // Answers to give, box by box; an OK-only box needs none.
    std::deque<int> answers;
    QStringList texts() const;
    void clear() { calls.clear(); }
};

// Bytes written as hex text ("F0 41 ..."), for readable expectations.
std::string Bytes(const char* hex);
std::string Hex_Of(const std::string& bytes);
// Removes a folder and all in it by the bytes of the names, which QDir cannot
// do for names that are not UTF-8.
void Remove_Tree(const QString& path);

class ProgramTest : public ::testing::Test {
  protected:
    ProgramTest();
    ~ProgramTest() override;

    // Runs the main window's start-up (the main window is created here).
    void Start_Program();
    // Writes the settings file in the program folder.
    void Write_Settings(const QString& text);
    QString Settings_Text() const;
    // Copies the display font beside the program so start-up finds it.
    void Provide_Display_Font();

    QTemporaryDir folder;
    FakeMidiHost& midi;
    MsgBoxRecorder boxes;
    QStringList sounds;
};
