// The delivered program, its MIDI module and its font, started from folders
// of their own under a desktop with a window manager, worked with real keys
// and clicks, and heard on a JACK server.
#include "program.h"
#include <QDir>
#include <QScopeGuard>
#include <QString>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <map>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace acc;

namespace {
Desktop g_desktop;
std::string g_noDisplay; // why the desktop could not start: the suite is skipped
std::string g_broken;    // why the desktop failed after the X server started
Recorder* g_recorder = nullptr;
std::string g_recorderError;

// Positions inside the main window (pixels): the JX-8P editor's audition
// key, and the sequencer window's Start and Stop buttons (that window opens
// at the top left of the frame).
constexpr int Keys_X = 236, Keys_Y = 249;
constexpr int Seq_Start_X = 173, Seq_Start_Y = 224;
constexpr int Seq_Stop_X = 199, Seq_Stop_Y = 224;
// The oscillator window opens at the top left of a main window of the first
// size, where the document area has no room beside the editor; its Start and
// Stop buttons.
constexpr int Osc_Start_X = 147, Osc_Start_Y = 191;
constexpr int Osc_Stop_X = 177, Osc_Stop_Y = 191;
// The OK button of the MIDI setup dialog, inside that dialog.
constexpr int Setup_Ok_X = 312, Setup_Ok_Y = 237;

unsigned char B(int v) {
    return static_cast<unsigned char>(v);
}

Bytes Param(int channel, int format, int param, int value) {
    return {0xF0, 0x41, 0x36, B(channel - 1), B(format), 0x20, 0x01, B(param), B(value), 0xF7};
}

// A JX-8P tone and patch as sent or stored: the tone all-parameters message
// and the patch block, 89 bytes.
Bytes Jx_Image(int channel, const Bytes& tone, const Bytes& patch) {
    Bytes out = {0xF0, 0x41, 0x35, B(channel - 1), 0x21, 0x20, 0x01};
    out.insert(out.end(), tone.begin(), tone.end());
    out.insert(out.end(), {0xF7, 0xF0, 0x41, 0x36, B(channel - 1), 0x21, 0x30, 0x01});
    for (int i = 0; i < 7; ++i) out.insert(out.end(), {B(i), patch[static_cast<size_t>(i)]});
    out.push_back(0xF7);
    return out;
}

Bytes Jx_New_Tone() {
    Bytes t(59, 0);
    std::fill(t.begin(), t.begin() + 10, 0x20);
    t[13] = t[19] = 56;
    t[20] = 64;
    return t;
}

Bytes Jx_New_Patch() {
    Bytes p(7, 0);
    p[6] = 64;
    return p;
}

Bytes Juno_Image(int channel, const Bytes& tone) {
    Bytes out = {0xF0, 0x41, 0x35, B(channel - 1), 0x23, 0x20, 0x01};
    out.insert(out.end(), tone.begin(), tone.end());
    out.push_back(0xF7);
    return out;
}

Bytes Juno_New_Tone() {
    Bytes t(49, 0);
    const int name[] = {39, 30, 48, 62, 62, 62, 62, 62, 62, 62};
    for (int i = 0; i < 10; ++i) t[static_cast<size_t>(36 + i)] = B(name[i]);
    return t;
}

// A tone of the file tests: the name, then parameters of no particular sense.
Bytes Jx_File_Tone(const char* name, int seed) {
    Bytes t(59, 0x20);
    for (size_t i = 0; i < 10 && name[i]; ++i) t[i] = B(name[i]);
    for (int i = 11; i < 59; ++i) t[static_cast<size_t>(i)] = B((i * 7 + seed) % 128);
    t[11] = 0; // the lever the keys move
    return t;
}

// The cells of the test sequences: step 0 holds a soft top note and a full
// base note, the other steps one full note each, down the scale.
Bytes Seq_Cells() {
    Bytes cells(104, 0);
    cells[0] = 63;
    cells[12] = 127;
    for (int s = 1; s < 8; ++s) cells[static_cast<size_t>(s * 13 + 12 - s)] = 127;
    return cells;
}

Bytes Seq_File(int tempo, int base) {
    Bytes f = {'S', 'E', 'Q', '1', B(tempo), B(base)};
    const Bytes cells = Seq_Cells();
    f.insert(f.end(), cells.begin(), cells.end());
    return f;
}

std::string Hex_List(const std::vector<Midi_Event>& events) {
    std::string s;
    for (const Midi_Event& e : events) s += "  " + Hex(e.bytes) + "\n";
    return s.empty() ? "  (nothing)\n" : s;
}

class Acceptance : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!g_noDisplay.empty()) GTEST_SKIP() << g_noDisplay;
        ASSERT_TRUE(g_broken.empty()) << g_broken;
        ASSERT_NE(g_recorder, nullptr) << g_recorderError;
        // The program prefers ALSA whenever its sequencer is there.
        struct stat st;
        ASSERT_NE(stat("/dev/snd/seq", &st), 0)
            << "this machine has an ALSA sequencer: the program would use it and not the "
               "JACK server of these tests";
        xruns_at_start_ = Rec().Xruns();
    }

    Recorder& Rec() { return *g_recorder; }
    int xruns_at_start_ = 0;
    static std::string Server() { return g_recorder->Server(); }
    // A server name with no server behind it: a machine without MIDI.
    static std::string No_Server() { return g_recorder->Server() + "-absent"; }

    std::string Ini_Midi(const std::string& synth, int channel) {
        return "[MIDI]\nOutput=" + Rec().In_Port() + "\nInput=" + Rec().Out_Port() +
               "\nChannel=" + std::to_string(channel) + "\nSynthesizer=" + synth +
               "\nAutosend=1\nAutoplay=0\nSoundcheck=0\n";
    }

    // Waits until n events arrived after the mark and returns them all.
    std::vector<Midi_Event> Await(size_t mark, size_t n, int timeoutMs = 10000) {
        Wait_Until([&] { return Rec().Count() >= mark + n; }, timeoutMs);
        return Rec().Since(mark);
    }

    // The next n events after the mark are these messages, in this order.
    void Expect_Sent(size_t mark, const std::vector<Bytes>& want, const std::string& what) {
        const auto got = Await(mark, want.size());
        std::vector<Bytes> bytes;
        for (const auto& e : got) bytes.push_back(e.bytes);
        std::string wantText;
        for (const Bytes& b : want) wantText += "  " + Hex(b) + "\n";
        EXPECT_EQ(bytes, want) << what << "\nwanted:\n"
                               << wantText << "got:\n"
                               << Hex_List(got) << Xrun_Note();
    }

    // A JACK server without realtime rights drops events when the machine
    // is too busy for it; the failure then says so.
    // Counted from the test's start: the messages awaited went out before
    // the wait for them began.
    std::string Xrun_Note() {
        const int n = Rec().Xruns() - xruns_at_start_;
        return n ? "(JACK reported " + std::to_string(n) +
                       " cycles not finished in time: the machine was too busy)\n"
                 : std::string();
    }

    // The main window is shown and nothing else: no box, no dialog.
    void Expect_Plain_Start(Program& p) {
        ASSERT_FALSE(p.Main_Window().empty());
        EXPECT_EQ(Window_Name(p.Main_Window()), "Quorlen");
        EXPECT_TRUE(p.Other_Windows().empty()) << "a window beside the main window:\n"
                                               << Window_Name(p.Other_Windows().front());
    }

    // The dialog the menu keys open, in front; with text, that text typed
    // and Return pressed. "" when no dialog came.
    std::string Dialog(Program& p, const std::vector<std::string>& menu, const std::string& title,
                       const std::string& typed = {}) {
        p.Menu(menu);
        const std::string dialog = p.Wait_Dialog(title);
        EXPECT_FALSE(dialog.empty()) << "no dialog " << title << "\n" << p.Log();
        if (dialog.empty()) return dialog;
        Activate(dialog);
        if (!typed.empty()) {
            Type(typed);
            Keys({"Return"});
        }
        return dialog;
    }

    static void Type(const std::string& text) {
        acc::Run({"xdotool", "type", "--delay", "20", text});
    }

    void Expect_Exit(Program& p) {
        EXPECT_EQ(p.Wait_Exit(), 0) << "the program did not end well: " << p.How_Ended() << "\n"
                                    << p.Log();
    }
};

TEST_F(Acceptance, StartsWithoutMidiSystem) {
    // Also from a folder whose name is not UTF-8: its settings and font are
    // used; and with another program holding a lock on the settings, which
    // this one neither needs nor waits for.
    for (const auto& [folder, locked] : {std::pair("", false), {"d\xE9", false}, {"", true}}) {
        SCOPED_TRACE(std::string("folder ") + folder + (locked ? ", locked" : ""));
        Program p(true, folder);
        p.Write("Quorlen.INI", Ini_Midi("JX-8P", 3));
        const int lock = locked ? ::open(p.Path("Quorlen.INI").c_str(), O_RDONLY | O_CLOEXEC) : -1;
        if (locked) ASSERT_EQ(::flock(lock, LOCK_EX), 0);
        const auto unlock = qScopeGuard([lock] {
            if (lock >= 0) ::close(lock);
        });
        p.Start(No_Server());
        p.Expect_Box("Quorlen", "No MIDI output device installed. MIDI functions disabled",
                     "Return");
        p.Expect_Box("Quorlen", "No MIDI input device installed. MIDI functions disabled",
                     "Return");
        Expect_Plain_Start(p);
        // The first size is the window's outer size, its frame and title bar included.
        EXPECT_EQ(Outer_Size(p.Main_Window()), "541 x 508");
        // Nothing to save: the program ends without a question.
        p.Close();
        Expect_Exit(p);
        // Every setting is written at exit; the keys read keep their places.
        const std::string dir = p.Dir() + "/";
        const std::vector<std::string> lines = {"[MIDI]",
                                                "Output=" + Rec().In_Port(),
                                                "Input=" + Rec().Out_Port(),
                                                "Channel=3",
                                                "Synthesizer=JX-8P",
                                                "Autosend=1",
                                                "Autoplay=0",
                                                "Soundcheck=0",
                                                "Sequence Preload=0",
                                                "Soundcheck Note=24",
                                                "Soundcheck Velocity=80",
                                                "Control Channel=[Not used]",
                                                "",
                                                "[Main Window]",
                                                "Left=0",
                                                "Top=0",
                                                "Width=541",
                                                "Height=508",
                                                "State=0",
                                                "",
                                                "[Windows]",
                                                "File Dialog Left=0",
                                                "File Dialog Top=0",
                                                "Patch Left=0",
                                                "Patch Top=0",
                                                "Save Positions=0",
                                                "Sequencer Left=0",
                                                "Sequencer Top=0",
                                                "",
                                                "[Recent Files]",
                                                "Tones=" + dir,
                                                "Sequences=" + dir,
                                                "Oscillators=" + dir,
                                                "Tone1=",
                                                "Tone2=",
                                                "Tone3=",
                                                "Tone4=",
                                                "Sequence1=",
                                                "Sequence2=",
                                                "Sequence3=",
                                                "Sequence4="};
        // New lines take the line break the file already uses.
        std::string want;
        for (const std::string& line : lines) want += line + "\n";
        EXPECT_EQ(p.Read("Quorlen.INI"), want);
    }
}

// Killed while it writes a big settings file at exit, the program leaves
// the file whole and one temporary file at most, which a whole exit clears.
TEST_F(Acceptance, ExitCutShortLeavesTheSettingsWholeAndOneTemporaryFile) {
    Program p;
    std::string text = Ini_Midi("JX-8P", 1);
    std::string last;
    for (int s = 0; text.size() < (size_t{50} << 20); ++s) {
        text += "[Other " + std::to_string(s) + "]\n";
        for (int k = 0; k < 40; ++k) text += "Key " + std::to_string(k) + "=another program's\n";
        last = "[Other " + std::to_string(s) + "]";
    }
    p.Write("Quorlen.INI", text);
    // The files beside it, with their sizes: a write begun shows there.
    auto beside = [&] {
        std::map<std::string, off_t> files;
        for (const QString& name : QDir(QString::fromStdString(p.Dir())).entryList(QDir::Files)) {
            struct stat st {};
            const std::string path = p.Path(name.toStdString());
            if (name.startsWith("Quorlen.INI") && name != "Quorlen.INI" &&
                ::stat(path.c_str(), &st) == 0)
                files[path] = st.st_size;
        }
        return files;
    };
    // With a second name the file is written in place. A kill in the middle
    // of that leaves it mixed, and the next start finds the old one whole; its
    // exit then writes the new one whole, under both names.
    const std::string ini_path = p.Path("Quorlen.INI"), second = p.Path("second name.INI");
    ASSERT_EQ(::link(ini_path.c_str(), second.c_str()), 0);
    const auto stamp = [&] {
        struct stat st {};
        ::stat(ini_path.c_str(), &st);
        return std::pair(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
    };
    bool caught = false;
    for (int attempt = 0; attempt < 5 && !caught; ++attempt) {
        p.Write("Quorlen.INI", text);
        p.Start(Server());
        Expect_Plain_Start(p);
        const auto written = stamp();
        p.Close();
        // Killed as soon as the first new byte changes the file's time.
        const auto start = std::chrono::steady_clock::now();
        while (stamp() == written &&
               std::chrono::steady_clock::now() - start < std::chrono::seconds(20))
            ::usleep(200);
        ::kill(p.Pid(), SIGKILL);
        p.Wait_Exit();
        caught = beside().size() == 1 && p.Read("Quorlen.INI") != text;
    }
    ASSERT_TRUE(caught) << "no kill fell inside the write in place";
    // The user makes the file private meanwhile, then opens the folder to
    // the group, the journal too; the put-back keeps those rights, and a
    // journal that others may only read is still put back.
    ASSERT_EQ(::chmod(ini_path.c_str(), 0600), 0);
    ASSERT_EQ(std::system(("chmod -R g+rX '" + p.Dir() + "'").c_str()), 0);
    p.Start(Server());
    Expect_Plain_Start(p);
    EXPECT_TRUE(p.Read("Quorlen.INI") == text) << "the old settings were not put back whole";
    struct stat rights {};
    ASSERT_EQ(::stat(ini_path.c_str(), &rights), 0);
    EXPECT_EQ(rights.st_mode & 07777, 0640u);
    EXPECT_TRUE(beside().empty());
    p.Close();
    Expect_Exit(p);
    EXPECT_NE(p.Read("Quorlen.INI").find("[Recent Files]"), std::string::npos);
    EXPECT_TRUE(p.Read(second.substr(p.Dir().size() + 1)) == p.Read("Quorlen.INI"));
    ASSERT_EQ(::unlink(second.c_str()), 0);

    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        p.Start(Server());
        Expect_Plain_Start(p);
        const auto before = beside();
        p.Close();
        const bool begun = Wait_Until([&] { return beside() != before; });
        ::kill(p.Pid(), SIGKILL);
        p.Wait_Exit();
        ASSERT_TRUE(begun) << "the settings were never written\n" << p.Log();
        EXPECT_LE(beside().size(), 1u);
        const std::string ini = p.Read("Quorlen.INI");
        EXPECT_TRUE(ini == text || ini.find("[Recent Files]") != std::string::npos)
            << "a settings file cut short, " << ini.size() << " bytes";
        EXPECT_NE(ini.find(last), std::string::npos);
    }
    p.Start(Server());
    Expect_Plain_Start(p);
    p.Close();
    Expect_Exit(p);
    EXPECT_TRUE(beside().empty());
    const std::string ini = p.Read("Quorlen.INI");
    EXPECT_NE(ini.find("[Recent Files]"), std::string::npos);
    EXPECT_NE(ini.find(last), std::string::npos);
}

TEST_F(Acceptance, BrokenModuleIsNamedAndStartUpGoesOn) {
    Program p(false);
    p.Write("Quorlen.INI", Ini_Midi("JX-8P", 3));
    // The loader's own words for this file.
    const std::string module = p.Path("libquorlen_rtmidi.so");
    void* h = dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_EQ(h, nullptr);
    const std::string reason = dlerror();
    p.Start(Server());
    p.Expect_Box("Quorlen",
                 "The MIDI module " + module + " could not be loaded:\n" + reason +
                     "\n\nMIDI functions are not available.",
                 "Return");
    p.Expect_Box("Quorlen", "No MIDI output device installed. MIDI functions disabled", "Return");
    p.Expect_Box("Quorlen", "No MIDI input device installed. MIDI functions disabled", "Return");
    Expect_Plain_Start(p);
    p.Close();
    Expect_Exit(p);
}

TEST_F(Acceptance, UnconfiguredOutputOpensSetupWhichWritesItsKeys) {
    Program p;
    p.Write("Quorlen.INI", std::string("[MIDI]\nSynthesizer=JX-8P\n"));
    p.Start(Server());
    p.Expect_Box("Quorlen", "MIDI output device not configured - starting MIDI setup.", "Return");
    p.Expect_Box("Quorlen", "MIDI input device not configured - starting MIDI setup.", "Return");
    const std::string setup = p.Wait_Dialog("MIDI Setup");
    ASSERT_FALSE(setup.empty()) << "the MIDI setup did not open\n" << p.Log();
    Activate(setup);
    Click(setup, Setup_Ok_X, Setup_Ok_Y);
    p.Expect_Box("MIDI System Exclusive enabled?",
                 "Please don't forget to enable the MIDI System Exclusive (SysEx)\r"
                 "setting on your JX-8P:\r\r* Press MIDI button\r* Press buttons 2 and 6\r"
                 "* Move EDIT slider until the display shows 'EXCLUSIVE ON'\r"
                 "* Unprotect the memory (back side switch 'Protect' to 'OFF')\r"
                 "* Press WRITE button (display shows 'WRITTEN MIDI')\r"
                 "* Protect the memory (back side switch 'Protect' to 'ON')\r",
                 "Return");
    EXPECT_TRUE(Wait_Until([&] { return !Is_Visible(setup); })) << "the MIDI setup stayed open";
    // The dialog writes its keys when it closes, before the program ends.
    EXPECT_EQ(p.Ini_Value("MIDI", "Output"), Rec().In_Port());
    EXPECT_EQ(p.Ini_Value("MIDI", "Input"), Rec().Out_Port());
    EXPECT_EQ(p.Ini_Value("MIDI", "Channel"), "1");
    EXPECT_EQ(p.Ini_Value("MIDI", "Autosend"), "1");
    EXPECT_EQ(p.Ini_Value("MIDI", "Control Channel"), "[Not used]");
    p.Close();
    Expect_Exit(p);
}

TEST_F(Acceptance, JX8PKeysAuditionAndClosingQuestionOnChannel3) {
    Program p;
    p.Write("Quorlen.INI", Ini_Midi("JX-8P", 3));
    const size_t start = Rec().Count();
    p.Start(Server());
    Expect_Plain_Start(p);

    // DCO1 range, the control that has the focus at start, a 4-way lever.
    Activate(p.Main_Window());
    Keys({"Up", "Up", "Home", "Down", "End", "Down", "KP_Add", "KP_Subtract"});
    Expect_Sent(start,
                {Param(3, 0x21, 11, 0x20), Param(3, 0x21, 11, 0x40), Param(3, 0x21, 11, 0x7F),
                 Param(3, 0x21, 11, 0x5F), Param(3, 0x21, 11, 0x00), Param(3, 0x21, 11, 0x00),
                 Param(3, 0x21, 11, 0x20), Param(3, 0x21, 11, 0x00)},
                "lever keys");

    // The audition key with no sequence: a chord.
    size_t mark = Rec().Count();
    Click(p.Main_Window(), Keys_X, Keys_Y);
    Expect_Sent(mark, {{0x92, 60, 90}, {0x92, 64, 90}, {0x92, 67, 90}, {0x92, 72, 90}},
                "the audition chord");

    // The setup dialog, opened from the menu, writes its keys on OK.
    p.Write("Quorlen.INI", std::string("[MIDI]\nOutput=old\n"));
    const std::string setup = Dialog(p, {"alt+m", "s"}, "MIDI Setup");
    ASSERT_FALSE(setup.empty());
    Click(setup, Setup_Ok_X, Setup_Ok_Y);
    const std::string reminder = p.Wait_Dialog("MIDI System Exclusive enabled?");
    ASSERT_FALSE(reminder.empty());
    Activate(reminder);
    Keys({"Return"});
    EXPECT_TRUE(Wait_Until([&] { return !Is_Visible(setup) && !Is_Visible(reminder); }));
    EXPECT_EQ(p.Read("Quorlen.INI"), "[MIDI]\nOutput=" + Rec().In_Port() +
                                         "\nAutosend=1\nChannel=3\n"
                                         "Control Channel=[Not used]\nInput=" +
                                         Rec().Out_Port() + "\n");

    // The tone was changed: closing asks first; Cancel keeps the program.
    mark = Rec().Count();
    p.Close();
    p.Expect_Box("Quorlen", "Save actual TONE first?", "Escape");
    Expect_Sent(mark, {{0xB2, 0x7B, 0x00}}, "all notes off when closing is asked");
    EXPECT_TRUE(p.Running());
    p.Close();
    p.Expect_Box("Quorlen", "Save actual TONE first?", "n");
    Expect_Exit(p);
    EXPECT_EQ(p.Ini_Value("MIDI", "Channel"), "3");
    EXPECT_EQ(p.Ini_Value("MIDI", "Synthesizer"), "JX-8P");
    EXPECT_EQ(p.Ini_Value("MIDI", "Control Channel"), "[Not used]");
    EXPECT_EQ(p.Ini_Value("MIDI", "Sequence Preload"), "0");
    EXPECT_EQ(p.Ini_Value("Main Window", "State"), "0");
    EXPECT_EQ(p.Ini_Value("Recent Files", "Tone1"), "");
}

// The Alt of Alt+F4 reaches the patch window's fader first, whose send
// yields: the close handled there must not take the window from under it.
TEST_F(Acceptance, AltF4WithThePatchWindowOpenEndsWell) {
    for (const auto& [ppi, env] :
         {std::pair(96, std::vector<std::string>{}),
          {120, std::vector<std::string>{"QT_ENABLE_HIGHDPI_SCALING=0", "QT_FONT_DPI=120"}}}) {
        SCOPED_TRACE(std::to_string(ppi) + " ppi");
        Program p;
        p.Write("Quorlen.INI", Ini_Midi("JX-8P", 3));
        p.Start(Server(), env);
        Expect_Plain_Start(p);
        p.Menu({"alt+t", "p"});
        p.Close();
        // The fader's key counts as an edit once its handler is done, which
        // may be before or after the close: a question, if asked, gets No.
        if (!p.Wait_Dialog("Quorlen").empty())
            p.Expect_Box("Quorlen", "Save actual TONE first?", "n");
        Expect_Exit(p);
        EXPECT_NE(p.Read("Quorlen.INI").find("[Recent Files]"), std::string::npos)
            << "the settings were not written";
    }
}

// Once closing has begun, a close from the frame's button waits for the
// user's answer, whether the question is on screen or the Save dialog that
// its Yes opened.
TEST_F(Acceptance, FrameCloseWhileClosingWaitsForTheAnswer) {
    enum class First { Button, Exit_Menu, Yes_Then_Save };
    Program p;
    for (const First first : {First::Button, First::Exit_Menu, First::Yes_Then_Save}) {
        SCOPED_TRACE(first == First::Button      ? "closed by the frame's button"
                     : first == First::Exit_Menu ? "File > Exit"
                                                 : "Alt+F4, Yes, the Save dialog");
        p.Write("Quorlen.INI", Ini_Midi("JX-8P", 3));
        p.Start(Server());
        Expect_Plain_Start(p);
        const size_t mark = Rec().Count();
        Activate(p.Main_Window());
        Keys({"Up"});
        Expect_Sent(mark, {Param(3, 0x21, 11, 0x20)}, "the lever");

        std::string asking; // the window the second close must leave
        if (first == First::Button) {
            Click_Close_Button(p.Main_Window());
            asking = p.Wait_Dialog("Quorlen");
        } else if (first == First::Exit_Menu) {
            p.Menu({"alt+f", "x"});
            asking = p.Wait_Dialog("Quorlen");
        } else {
            p.Close();
            p.Expect_Box("Quorlen", "Save actual TONE first?", "y");
            // The tone has no file yet.
            asking = p.Wait_Dialog("Save Tone File");
        }
        ASSERT_FALSE(asking.empty()) << "closing did not ask\n" << p.Log();

        Click_Close_Button(p.Main_Window());
        if (Wait_Until([&] { return !p.Running(); }, 2000)) {
            ADD_FAILURE() << "the close from the frame ended the program unasked, " << p.How_Ended()
                          << (p.Read("Quorlen.INI").find("[Recent Files]") == std::string::npos
                                  ? ", without writing its settings"
                                  : "")
                          << "\n"
                          << p.Log();
            continue;
        }
        EXPECT_TRUE(Is_Visible(asking)) << "the question went away unanswered";

        if (first == First::Yes_Then_Save) {
            // A Yes whose save did not happen cancels the closing.
            Activate(asking);
            Keys({"Escape"});
            EXPECT_TRUE(Wait_Until([&] { return !Is_Visible(asking); }))
                << "the dialog stayed open";
            EXPECT_FALSE(Wait_Until([&] { return !p.Running(); }, 1000))
                << "the Save dialog cancelled, the program ended, " << p.How_Ended();
            p.Close();
        }
        p.Expect_Box("Quorlen", "Save actual TONE first?", "n");
        Expect_Exit(p);
        EXPECT_NE(p.Read("Quorlen.INI").find("[Recent Files]"), std::string::npos)
            << "the settings were not written";
    }
}

TEST_F(Acceptance, AlphaJunoKeysAndToneSendOnChannel16) {
    Program p;
    p.Write("Quorlen.INI", Ini_Midi("Alpha Juno", 16));
    const size_t start = Rec().Count();
    p.Start(Server());
    Expect_Plain_Start(p);

    // DCO range, a reversed lever of four positions; a message equal to the
    // last one is not sent again.
    Activate(p.Main_Window());
    Keys({"Down", "Down", "Up", "End", "End", "Home", "Down"});
    Expect_Sent(start,
                {Param(16, 0x23, 6, 1), Param(16, 0x23, 6, 2), Param(16, 0x23, 6, 1),
                 Param(16, 0x23, 6, 3), Param(16, 0x23, 6, 0), Param(16, 0x23, 6, 1)},
                "Alpha Juno lever keys");

    const size_t mark = Rec().Count();
    p.Menu({"alt+t", "d"});
    Bytes tone = Juno_New_Tone();
    tone[6] = 1;
    Expect_Sent(mark, {Juno_Image(16, tone)}, "Tone > Send");
    EXPECT_EQ(Rec().Since(mark).front().bytes.size(), 57u);

    p.Close();
    p.Expect_Box("Quorlen", "Save actual TONE first?", "n");
    Expect_Exit(p);
    EXPECT_EQ(p.Ini_Value("MIDI", "Synthesizer"), "Alpha Juno");
    EXPECT_EQ(p.Ini_Value("MIDI", "Channel"), "16");
}

TEST_F(Acceptance, TonesFromFileDialogAndRecentListAndSaved) {
    Program p;
    QDir().mkpath(QString::fromStdString(p.Path("tones")));
    const std::string a = p.Path("tones/ALPHA.SYX"), b = p.Path("tones/BRAVO.SYX");
    const Bytes toneA = Jx_File_Tone("ALPHA", 3), toneB = Jx_File_Tone("BRAVO", 11);
    const Bytes patchA = {1, 2, 3, 4, 5, 6, 7}, patchB = {10, 20, 30, 40, 50, 60, 70};
    // Saved on another channel: the channel byte is not compared on loading.
    p.Write("tones/ALPHA.SYX", Jx_Image(5, toneA, patchA));
    p.Write("tones/BRAVO.SYX", Jx_Image(5, toneB, patchB));
    p.Write("Quorlen.INI", Ini_Midi("JX-8P", 16) + "[Recent Files]\nTones=" + p.Path("tones/") +
                               "\nTone1=" + b + "\n");
    size_t mark = Rec().Count();
    p.Start(Server());
    Expect_Plain_Start(p);

    p.Menu({"alt+t", "d"});
    Expect_Sent(mark, {Jx_Image(16, Jx_New_Tone(), Jx_New_Patch())}, "Tone > Send of a new tone");

    // File > Tone > Open: the dialog lists the tones folder; the name and
    // Return open the file, which goes out twice (before and after its patch).
    mark = Rec().Count();
    const std::string dialog = Dialog(p, {"alt+f", "t", "o"}, "Open Tone File", "ALPHA.SYX");
    ASSERT_FALSE(dialog.empty());
    EXPECT_TRUE(Wait_Until([&] { return !Is_Visible(dialog); })) << "the dialog stayed open";
    // The dialog silences the instrument when it closes.
    Expect_Sent(
        mark,
        {Jx_Image(16, toneA, Jx_New_Patch()), Jx_Image(16, toneA, patchA), {0xBF, 0x7B, 0x00}},
        "a tone opened in the file dialog");
    EXPECT_TRUE(Wait_Until([&] { return Window_Name(p.Main_Window()) == "Quorlen - " + a; }))
        << Window_Name(p.Main_Window());

    // The recent list now reads ALPHA, BRAVO.
    mark = Rec().Count();
    p.Menu({"alt+f", "t", "2"});
    Expect_Sent(mark, {Jx_Image(16, toneB, patchA), Jx_Image(16, toneB, patchB)},
                "a tone opened from the recent list");
    EXPECT_TRUE(Wait_Until([&] { return Window_Name(p.Main_Window()) == "Quorlen - " + b; }))
        << Window_Name(p.Main_Window());

    // Save As into a pipe cannot write: the dialog stays with the name
    // selected, so the name typed again fails again; the tone keeps its file.
    ASSERT_EQ(::mkfifo(p.Path("tones/PIPE.syx").c_str(), 0644), 0);
    mark = Rec().Count();
    const std::string save = Dialog(p, {"alt+f", "t", "a"}, "Save Tone File");
    ASSERT_FALSE(save.empty());
    for (int i = 0; i < 2; ++i) {
        Activate(save);
        Type("PIPE");
        Keys({"Return"});
        p.Expect_Box("Quorlen", "Error 75: Path/File access error", "Return");
    }
    // Nor through a folder link another user planted in a shared folder:
    // refused, and nothing is made in the folder it leads to.
    const std::string shared = p.Path("shared"), hidden = p.Path("hidden");
    ASSERT_EQ(::mkdir(shared.c_str(), 0777), 0);
    ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
    ASSERT_EQ(::mkdir(hidden.c_str(), 0700), 0);
    ASSERT_EQ(::symlink(hidden.c_str(), (shared + "/banks").c_str()), 0);
    ASSERT_EQ(::lchown((shared + "/banks").c_str(), 1235, 1235), 0);
    Activate(save);
    Type(shared + "/banks/PLANTED");
    Keys({"Return"});
    p.Expect_Box("Quorlen", "Error 70: Permission denied", "Return");
    EXPECT_TRUE(QDir(QString::fromStdString(hidden))
                    .isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    Activate(save);
    Keys({"Escape"});
    EXPECT_TRUE(Wait_Until([&] { return !Is_Visible(save); })) << "the dialog stayed open";
    // Each attempt puts the tone back and sends it; closing silences.
    Expect_Sent(mark,
                {Jx_Image(16, toneB, patchB),
                 Jx_Image(16, toneB, patchB),
                 Jx_Image(16, toneB, patchB),
                 {0xBF, 0x7B, 0x00}},
                "a failed Save As");
    EXPECT_EQ(Window_Name(p.Main_Window()), "Quorlen - " + b);

    // A change, then File > Tone > Save writes the file in place, keeping
    // what the user set on it: its owner and its second name.
    ASSERT_EQ(::mkdir(p.Path("other").c_str(), 0755), 0);
    ASSERT_EQ(::link(b.c_str(), p.Path("other/BRAVO.SYX").c_str()), 0);
    ASSERT_EQ(::chown(b.c_str(), 1234, 1235), 0);
    mark = Rec().Count();
    Activate(p.Main_Window());
    Keys({"Up"});
    Expect_Sent(mark, {Param(16, 0x21, 11, 0x20)}, "the lever after loading");
    p.Menu({"alt+f", "t", "s"});
    Bytes saved = toneB;
    saved[11] = 0x20;
    const Bytes image = Jx_Image(16, saved, patchB);
    const std::string imageText(image.begin(), image.end());
    EXPECT_TRUE(Wait_Until([&] { return p.Read("tones/BRAVO.SYX") == imageText; }))
        << "the saved file:\n"
        << Hex(Bytes(p.Read("tones/BRAVO.SYX").begin(), p.Read("tones/BRAVO.SYX").end()));
    EXPECT_EQ(p.Read("other/BRAVO.SYX"), imageText) << "the file's second name";
    struct stat st {};
    ASSERT_EQ(::stat(b.c_str(), &st), 0);
    EXPECT_EQ(st.st_nlink, 2u);
    EXPECT_EQ(st.st_uid, 1234u);
    EXPECT_EQ(st.st_gid, 1235u);

    // Another change. A file made read-only is not written, whoever runs
    // the program; closing asks, and Yes saves once the file may be written.
    ASSERT_EQ(::chmod(b.c_str(), 0444), 0);
    mark = Rec().Count();
    Activate(p.Main_Window());
    Keys({"Up"});
    Expect_Sent(mark, {Param(16, 0x21, 11, 0x40)}, "the lever again");
    p.Menu({"alt+f", "t", "s"});
    p.Expect_Box("Quorlen", "Error 70: Permission denied", "Return");
    EXPECT_EQ(p.Read("tones/BRAVO.SYX"), imageText);
    ASSERT_EQ(::stat(b.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
    ASSERT_EQ(::chmod(b.c_str(), 0644), 0);
    p.Close();
    p.Expect_Box("Quorlen", "Save actual TONE first?", "y");
    Expect_Exit(p);
    saved[11] = 0x40;
    const Bytes last = Jx_Image(16, saved, patchB);
    const std::string file = p.Read("tones/BRAVO.SYX");
    EXPECT_EQ(Bytes(file.begin(), file.end()), last) << Hex(Bytes(file.begin(), file.end()));
    EXPECT_EQ(p.Ini_Value("Recent Files", "Tone1"), b);
    EXPECT_EQ(p.Ini_Value("Recent Files", "Tone2"), a);
    EXPECT_EQ(p.Ini_Value("Recent Files", "Tones"), p.Path("tones/"));
    EXPECT_EQ(p.Ini_Value("MIDI", "Channel"), "16");
}
// A name byte from 128 up, as a file may hold it, goes to the instrument
// cleared to seven bits, with the tone and with its name; the file keeps it.
TEST_F(Acceptance, ToneByteAbove127GoesOutAsSevenBitsAndStaysInTheFile) {
    Program p;
    Bytes tone = Jx_File_Tone("CAFE", 5);
    tone[3] = 0xE9;
    const Bytes patch = {1, 2, 3, 4, 5, 6, 7};
    // Saved on channel 5: the save back on channel 1 shows in the header only.
    p.Write("CAFE.SYX", Jx_Image(5, tone, patch));
    const Bytes image = Jx_Image(1, tone, patch);
    p.Write("Quorlen.INI",
            Ini_Midi("JX-8P", 1) + "[Recent Files]\nTone1=" + p.Path("CAFE.SYX") + "\n");
    const size_t start = Rec().Count();
    size_t mark = start;
    p.Start(Server());
    Expect_Plain_Start(p);

    p.Menu({"alt+f", "t", "1"});
    Bytes sent = tone;
    sent[3] = 0x69;
    Expect_Sent(mark, {Jx_Image(1, sent, Jx_New_Patch()), Jx_Image(1, sent, patch)},
                "a tone with a byte above 127");

    mark = Rec().Count();
    ASSERT_FALSE(Dialog(p, {"alt+t", "n"}, "Tone Name").empty());
    Keys({"Return"});
    Bytes name = {0xF0, 0x41, 0x36, 0x00, 0x21, 0x20, 0x01};
    for (int i = 0; i < 10; ++i) name.insert(name.end(), {B(i), sent[static_cast<size_t>(i)]});
    name.push_back(0xF7);
    Expect_Sent(mark, {name}, "Tone > Name");

    p.Menu({"alt+f", "t", "s"});
    EXPECT_TRUE(Wait_Until([&] {
        return p.Read("CAFE.SYX") == std::string(image.begin(), image.end());
    })) << "the saved file:\n"
        << Hex(Bytes(p.Read("CAFE.SYX").begin(), p.Read("CAFE.SYX").end()));
    // Every message: F0, bytes below 128, F7.
    for (const Midi_Event& e : Rec().Since(start)) {
        bool inside = false, seven = true;
        for (unsigned char b : e.bytes) {
            if (b == 0xF0 && !inside)
                inside = true;
            else if (b == 0xF7 && inside)
                inside = false;
            else if (b >= 0x80 && e.bytes.front() == 0xF0)
                seven = false;
        }
        EXPECT_TRUE(seven) << Hex(e.bytes);
    }
    // A settings file made read-only is reported at exit and left as it was.
    const std::string ini = p.Read("Quorlen.INI");
    ASSERT_EQ(::chmod(p.Path("Quorlen.INI").c_str(), 0444), 0);
    p.Close();
    p.Expect_Box("Quorlen", "The settings could not be saved to " + p.Path("Quorlen.INI") + ".",
                 "Return");
    Expect_Exit(p);
    EXPECT_EQ(p.Read("Quorlen.INI"), ini);
    const std::string file = p.Read("CAFE.SYX");
    EXPECT_EQ(Bytes(file.begin(), file.end()), image) << Hex(Bytes(file.begin(), file.end()));
}

TEST_F(Acceptance, FileDialogUsesTheFileClickedWhateverItsName) {
    Program p;
    QDir().mkpath(QString::fromStdString(p.Path("tones/sub")));
    const Bytes toneA = Jx_File_Tone("ALPHA", 3), toneS = Jx_File_Tone("SUB", 21),
                toneF = Jx_File_Tone("FOREIGN", 40);
    const Bytes patch = {1, 2, 3, 4, 5, 6, 7};
    // A tone of the same name in the start folder, and one of a name that is not UTF-8.
    p.Write("tones/ALPHA.SYX", Jx_Image(16, toneA, patch));
    p.Write("tones/sub/ALPHA.SYX", Jx_Image(16, toneS, patch));
    p.Write("tones/\xC4LTER.SYX", Jx_Image(16, toneF, patch));
    // Listed first, beside a file whose name lacks only the blank.
    const Bytes toneBlank = Jx_File_Tone("BLANK", 50);
    p.Write("tones/ B.SYX", Jx_Image(16, toneBlank, patch));
    p.Write("tones/B.SYX", Jx_Image(16, Jx_File_Tone("PLAIN", 60), patch));
    p.Write("Quorlen.INI",
            Ini_Midi("JX-8P", 16) + "[Recent Files]\nTones=" + p.Path("tones/") + "\n");
    p.Start(Server());
    Expect_Plain_Start(p);
    auto sent_since = [&](size_t mark, const Bytes& want) {
        return Wait_Until([&] {
            for (const Midi_Event& e : Rec().Since(mark))
                if (e.bytes == want) return true;
            return false;
        });
    };
    // The first file of the list, clicked, then opened with the name box's Return.
    auto click_and_open = [&](const std::string& dialog, const Bytes& image, const char* what) {
        size_t mark = Rec().Count();
        Click(dialog, 40, 60);
        EXPECT_TRUE(sent_since(mark, image)) << what << ": the preview sent\n"
                                             << Hex_List(Rec().Since(mark));
        mark = Rec().Count();
        Keys({"alt+n", "Return"});
        EXPECT_TRUE(Wait_Until([&] { return !Is_Visible(dialog); })) << what << ": still open";
        EXPECT_TRUE(sent_since(mark, image)) << what << ": opening sent\n"
                                             << Hex_List(Rec().Since(mark));
    };

    // A typed folder moves both lists: the file clicked there is the one used.
    std::string dialog = Dialog(p, {"alt+f", "t", "o"}, "Open Tone File", "sub/");
    ASSERT_FALSE(dialog.empty());
    click_and_open(dialog, Jx_Image(16, toneS, patch), "sub/ALPHA.SYX");
    EXPECT_TRUE(Wait_Until([&] {
        return Window_Name(p.Main_Window()) == "Quorlen - " + p.Path("tones/sub/ALPHA.SYX");
    })) << Window_Name(p.Main_Window());

    // A name that is not UTF-8 is listed, shown with a replacement character and opened.
    dialog = Dialog(p, {"alt+f", "t", "o"}, "Open Tone File", "../*LTER.SYX");
    ASSERT_FALSE(dialog.empty());
    click_and_open(dialog, Jx_Image(16, toneF, patch), "a name that is not UTF-8");
    EXPECT_TRUE(Wait_Until([&] {
        return Window_Name(p.Main_Window()) == "Quorlen - " + p.Path("tones/\xEF\xBF\xBDLTER.SYX");
    })) << Window_Name(p.Main_Window());

    // A name with a blank in front is its own file, not the one without it.
    dialog = Dialog(p, {"alt+f", "t", "o"}, "Open Tone File");
    ASSERT_FALSE(dialog.empty());
    click_and_open(dialog, Jx_Image(16, toneBlank, patch), "a name with a blank in front");
    EXPECT_TRUE(Wait_Until([&] {
        return Window_Name(p.Main_Window()) == "Quorlen - " + p.Path("tones/ B.SYX");
    })) << Window_Name(p.Main_Window());

    p.Close();
    Expect_Exit(p);
    // The recent list keeps the file's own bytes.
    EXPECT_EQ(p.Ini_Value("Recent Files", "Tone1"), p.Path("tones/ B.SYX"));
    EXPECT_EQ(p.Ini_Value("Recent Files", "Tone2"), p.Path("tones/\xC4LTER.SYX"));
    EXPECT_EQ(p.Ini_Value("Recent Files", "Tone3"), p.Path("tones/sub/ALPHA.SYX"));
}

// The process id of the JACK server of this name, or -1.
pid_t Jack_Server_Pid(const std::string& name) {
    for (const QString& entry : QDir("/proc").entryList(QDir::Dirs)) {
        bool number = false;
        const pid_t pid = entry.toInt(&number);
        if (!number) continue;
        QFile f("/proc/" + entry + "/cmdline");
        if (!f.open(QIODevice::ReadOnly)) continue;
        const QList<QByteArray> argv = f.readAll().split('\0');
        if (argv.isEmpty() || !(argv[0] == "jackd" || argv[0].endsWith("/jackd"))) continue;
        for (qsizetype i = 1; i + 1 < argv.size(); ++i)
            if (argv[i] == "-n" || argv[i] == "--name") {
                if (argv[i + 1].toStdString() == name) return pid;
                break;
            }
    }
    return -1;
}

// A click on a tone in the file dialog sends it. An Escape that comes
// while that send waits for a busy port closes the dialog, and the program
// goes on as after any Escape.
TEST_F(Acceptance, EscapeWhileThePreviewWaitsForABusyPort) {
    Program p;
    QDir().mkpath(QString::fromStdString(p.Path("tones")));
    p.Write("tones/ALPHA.SYX", Jx_Image(16, Jx_File_Tone("ALPHA", 3), {1, 2, 3, 4, 5, 6, 7}));
    p.Write("Quorlen.INI",
            Ini_Midi("JX-8P", 16) + "[Recent Files]\nTones=" + p.Path("tones/") + "\n");
    p.Start(Server());
    Expect_Plain_Start(p);
    const pid_t jackd = Jack_Server_Pid(Server());
    ASSERT_GT(jackd, 0) << "no jackd serving " << Server();
    std::string dialog = Dialog(p, {"alt+f", "t", "o"}, "Open Tone File");
    ASSERT_FALSE(dialog.empty());
    {
        // Nothing was sent yet, so the preview opens the port, and that waits
        // for a held server until it runs again; the Escape is queued meanwhile.
        ASSERT_EQ(::kill(jackd, SIGSTOP), 0);
        const auto resume = qScopeGuard([jackd] { ::kill(jackd, SIGCONT); });
        Click(dialog, 40, 60);
        Keys({"Escape"});
        ::usleep(500 * 1000);
    }
    EXPECT_TRUE(Wait_Until([&] { return !Is_Visible(dialog) || !p.Running(); }))
        << "the dialog stayed open";
    ASSERT_FALSE(Wait_Until([&] { return !p.Running(); }, 1000))
        << "the program ended, " << p.How_Ended() << "\n"
        << p.Log();

    // The dialog opens again, and closing it silences the instrument: the
    // port works once it is free.
    dialog = Dialog(p, {"alt+f", "t", "o"}, "Open Tone File");
    ASSERT_FALSE(dialog.empty());
    const size_t mark = Rec().Count();
    Keys({"Escape"});
    EXPECT_TRUE(Wait_Until([&] { return !Is_Visible(dialog); })) << "the dialog stayed open";
    EXPECT_TRUE(Wait_Until([&] {
        for (const Midi_Event& e : Rec().Since(mark))
            if (e.bytes == Bytes{0xBF, 0x7B, 0x00}) return true;
        return false;
    })) << "no all-notes-off on closing the dialog\n"
        << Hex_List(Rec().Since(mark)) << Xrun_Note();
    // A preview is no change of the tone: closing asks nothing.
    p.Close();
    Expect_Exit(p);
    EXPECT_NE(p.Read("Quorlen.INI").find("[Recent Files]"), std::string::npos)
        << "the settings were not written";
}

// Checks the steps played since a start: 13 notes a tick, steps 0, 1, ...
// in order; gives the mean time between ticks in milliseconds.
double Check_Ticks(const std::vector<Midi_Event>& all, size_t ticks, int status, int base,
                   double framesPerMs) {
    std::vector<Midi_Event> ev;
    for (const Midi_Event& e : all)
        if (!(ev.empty() && e.bytes.size() == 3 && (e.bytes[0] & 0xF0) == 0xB0))
            ev.push_back(e); // an all-notes-off of the stop before may come first
    EXPECT_GE(ev.size(), ticks * 13) << Hex_List(ev);
    if (ev.size() < ticks * 13) return 0;
    const Bytes cells = Seq_Cells();
    for (size_t t = 0; t < ticks; ++t)
        for (size_t k = 0; k < 13; ++k) {
            const Bytes want = {B(status), B(base + 12 - int(k)), cells[(t % 8) * 13 + k]};
            EXPECT_EQ(Hex(ev[t * 13 + k].bytes), Hex(want)) << "tick " << t << " row " << k;
        }
    return double(ev[(ticks - 1) * 13].frame - ev[0].frame) / double(ticks - 1) / framesPerMs;
}

// Waits for n events of the given length after the mark; gives those.
std::vector<Midi_Event> Of_Size(size_t mark, size_t n, size_t size) {
    std::vector<Midi_Event> out;
    Wait_Until([&] {
        out.clear();
        for (const Midi_Event& e : g_recorder->Since(mark))
            if (e.bytes.size() == size) out.push_back(e);
        return out.size() >= n;
    });
    return out;
}

TEST_F(Acceptance, PreloadedSequenceAuditionPlaybackAndOscillator) {
    Program p;
    QDir().mkpath(QString::fromStdString(p.Path("seqs")));
    const std::string fast = p.Path("seqs/FAST.SEQ"), slow = p.Path("seqs/SLOW.SEQ");
    p.Write("seqs/FAST.SEQ", Seq_File(120, 48));
    p.Write("seqs/SLOW.SEQ", Seq_File(40, 48));
    p.Write("Quorlen.INI", Ini_Midi("JX-8P", 5) +
                               "Sequence Preload=1\n[Recent Files]\nSequences=" + p.Path("seqs/") +
                               "\nSequence1=" + fast + "\nSequence2=" + slow + "\n");
    size_t mark = Rec().Count();
    p.Start(Server());
    Expect_Plain_Start(p);

    // The audition key plays the first step of the preloaded sequence, with
    // the note-on status of the channel.
    Activate(p.Main_Window());
    Click(p.Main_Window(), Keys_X, Keys_Y);
    const Bytes cells = Seq_Cells();
    std::vector<Bytes> step0;
    for (size_t k = 0; k < 13; ++k) step0.push_back({0x94, B(60 - int(k)), cells[k]});
    Expect_Sent(mark, step0, "the audition of the first step, on the channel before any start");

    // The sequencer window plays the sequence at its tempo: 120, one step
    // every 62 ms.
    p.Menu({"alt+m", "u"});
    mark = Rec().Count();
    Click(p.Main_Window(), Seq_Start_X, Seq_Start_Y);
    const size_t ticks = 12;
    Of_Size(mark, ticks * 13, 3);
    Click(p.Main_Window(), Seq_Stop_X, Seq_Stop_Y);
    const double fastMs = Check_Ticks(Rec().Since(mark), ticks, 0x94, 48, Rec().Frames_Per_Ms());
    EXPECT_NEAR(fastMs, 62, 62 * 0.3) << "the time between steps at tempo 120";

    // The second recent sequence, tempo 40: one step every 188 ms.
    p.Menu({"alt+f", "q", "2"});
    mark = Rec().Count();
    Click(p.Main_Window(), Seq_Start_X, Seq_Start_Y);
    const size_t slowTicks = 6;
    Of_Size(mark, slowTicks * 13 + 3, 3);
    Click(p.Main_Window(), Seq_Stop_X, Seq_Stop_Y);
    const double slowMs =
        Check_Ticks(Rec().Since(mark), slowTicks, 0x94, 48, Rec().Frames_Per_Ms());
    EXPECT_NEAR(slowMs, 188, 188 * 0.3) << "the time between steps at tempo 40";

    // A sequence opened in the file dialog: the sequencer stays in front, so
    // its start button is where it was, and plays the new tempo.
    const std::string dialog = Dialog(p, {"alt+f", "q", "o"}, "Open Sequencer File", "FAST.SEQ");
    ASSERT_FALSE(dialog.empty());
    EXPECT_TRUE(Wait_Until([&] { return !Is_Visible(dialog); })) << "the dialog stayed open";
    mark = Rec().Count();
    Click(p.Main_Window(), Seq_Start_X, Seq_Start_Y);
    Of_Size(mark, ticks * 13 + 3, 3);
    Click(p.Main_Window(), Seq_Stop_X, Seq_Stop_Y);
    EXPECT_NEAR(Check_Ticks(Rec().Since(mark), ticks, 0x94, 48, Rec().Frames_Per_Ms()), 62,
                62 * 0.3)
        << "the sequence opened in the dialog, started from the sequencer";

    // The oscillator as it opens: the sawtooth on DCO1 LFO depth, values
    // 32, 39, 46 ... one step every 500 ms, the first at once.
    p.Menu({"alt+m", "i"});
    mark = Rec().Count();
    Click(p.Main_Window(), Osc_Start_X, Osc_Start_Y);
    Of_Size(mark, 3, 10);
    Click(p.Main_Window(), Osc_Stop_X, Osc_Stop_Y);
    const auto osc = Of_Size(mark, 3, 10);
    ASSERT_GE(osc.size(), 3u) << Hex_List(Rec().Since(mark));
    for (size_t i = 0; i < osc.size(); ++i)
        EXPECT_EQ(Hex(osc[i].bytes), Hex(Param(5, 0x21, 14, int(32 + 7 * (i % 9)))))
            << "oscillator step " << i;

    p.Close();
    Expect_Exit(p);
    EXPECT_EQ(p.Ini_Value("MIDI", "Sequence Preload"), "1");
    EXPECT_EQ(p.Ini_Value("Recent Files", "Sequence1"), fast);
    EXPECT_EQ(p.Ini_Value("Recent Files", "Sequence2"), slow);
}
} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    std::string why;
    if (!g_desktop.Start_X(why)) {
        g_noDisplay = "no X server for the acceptance tests: " + why;
    } else if (!g_desktop.Start_Window_Manager(why)) {
        g_broken = why;
    }
    Recorder recorder;
    if (g_noDisplay.empty()) {
        if (recorder.Open(g_recorderError)) g_recorder = &recorder;
    }
    const int rc = RUN_ALL_TESTS();
    g_desktop.Stop_All();
    return rc;
}
