#include "help/help.h"
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <algorithm>

namespace {
const QString Use_Howto = "Please press the 'How to use Quorlen' button for details.";

struct Topic {
    int row;
    const char* keyword;
    const char* description; // null: the description of row 80
};

const Topic topics[] = {
    {78, "Transpose (Sequencer)",
     "Selection of the base note of the Matrix and the MIDI Keyboard."},
    {79, "Preview setting",
     "Selecting a file in the File Dialog will display it in the Editor or Sequencer. If "
     "'AutoPlay' is checked, a note or the actual Sequencer file will start playing."},
    {80, "using mouse, keyboard", nullptr},
    {81, "MIDI keyboard (Sequencer)",
     "Click with the left button to play notes. Click with the right mouse button to stop playing "
     "the notes."},
    {82, "Sequencer",
     "In this window, you can edit basic sequences in the matrix or play notes with the MIDI "
     "keyboard (mouse only). The direction of the Sequence cycle can be changed or randomized (R1 "
     ": during a cycle, R2 : after a cycle). A Sequence can be transposed with the Range and "
     "Transpose parameters."},
    {83, "File Dialog",
     "Allows to browse Tone or Sequencer files. If you click on a file name (or select one with "
     "the cursors and press the blank), the file is being displayed and you will hear it, "
     "depending of the Preview setting in the 'Click on File Name' area."},
    {84, "Range (Sequencer)", "Selection of the base octave of the Matrix and the MIDI keyboard."},
    {85, "Matrix",
     "Simply click with the left or right mouse button onto the matrix to set notes."},
    {86, "Patch",
     "The Patch window contains all the additional parameters the JX-8P stores in the Patch Chain "
     "(the JX-8P does not store this values with a tone). Thanks to the sysex format, Quorlen is "
     "capable to make each tones has its own patch parameters."},
    {87, "Editor",
     "This is the main window of Quorlen. Here you can edit all the parameters of a tone and play "
     "notes or sequences."},
    {88, "MIDI setup",
     "Select the MIDI output where your JX-8P is connected, it's MIDI channel, if MIDI is enabled "
     "and if Quorlen should automatically send the data to the JX-8P"},
    {89, "Preload Sequence", "If checked, loads the last used Sequencer file when Quorlen starts."},
    {90, "MIDI System Exclusive (Sysex)",
     "Against the standard MIDI events like notes or controllers, Sysex permits to send specific "
     "data like tones and patches to the connected device. Quorlen makes use of Sysex messages. "
     "The trick with the Patch parameters consists in saving both Tone and Patch parameters "
     "together in a single Sysex file."},
    {91, "MIDI keyboard (Editor)",
     "Click with the left button to play some notes. If the Sequencer matrix is filled, then the "
     "notes of the first column in the Sequencer matrix will be played. Click with the right mouse "
     "button to stop the notes playing."},
    {92, "Keyboard", nullptr},
    {93, "Mouse", nullptr},
    {94, "Receive",
     "(Tone menu) Quorlen will wait for you to press a Tone button on your JX-8P to transmit this "
     "Tone into Quorlen. 'Receive' terminates automatically after transmission, but also can be "
     "cancelled by pressing the stop button in the Editor window. See 'JX-8P and Sysex' for "
     "additional information."},
    {95, "Save Positions",
     "(Windows menu) If checked, Quorlen saves size and postition settings of File Dialog, "
     "Quorlen (main window), Patch and Sequencer Windows."},
    {96, "MIDI Autoplay",
     "Quorlen plays automatically a note or the actual Sequencer file in the File Dialogs when "
     "clicking on a filename. See Preview settings."},
    {97, "MIDI Autosend",
     "Quorlen sends the Tone information of the selected file to the JX-8P automatically, in "
     "other case you have to select 'Tone Send' menu."},
    {98, "Random Tone",
     "The editor parameters are set by chance to give a completely new and unpredictable sound, "
     "but you still have to change some settings to make am interesting one."},
    {99, "INI file",
     "Quorlen saves its settings into the Quorlen.INI file located in the same directory. The INI "
     "file contains informations about Quorlen Window settings, MIDI setup and recently used "
     "files."},
    {100, "JX-8P and Sysex",
     "The JX-8P must be set in Sysex mode to send and recognize Sysex messages. Press the buttons "
     "'MIDI' and then '2' and '6' on the JX-8P, then change to 'EXCLUSIVE ON', unprotect memory "
     "and press 'WRITE' to save this setting. Now the JX-8P automatically sends Sysex data when "
     "pressing a Tone button."},
};

// Acknowledgements: what the program is built on, and what it copies.
const Help_Row credits[16] = {
    {"Qt", "Windows, controls, drawing, timers and the event loop of the whole program."},
    {"Qt Test", "Simulated mouse and key input that drives the program's own tests."},
    {"RtMidi", "One MIDI interface over the system's MIDI services: it carries every message to "
               "the instrument."},
    {"JACK Audio Connection Kit",
     "Routes the MIDI output to synthesizers and other programs with exact timing."},
    {"ALSA", "The Linux sound system, whose MIDI sequencer reaches the hardware MIDI ports."},
    {"GoogleTest", "The test framework that checks every part of the program."},
    {"", ""},
    {"Roland JX-8P", "The synthesizer whose tone and patch messages the editor speaks."},
    {"Roland PG-800", "The programmer whose panel the tone editor follows."},
    {"DejaVu Fonts", "The typeface of the panels' lettering."},
    {"GNU Compiler Collection", "Compiles the program."},
    {"CMake", "Builds the program and runs its tests."},
    {"", ""},
    {"", ""},
    {"", ""},
    {"", ""},
};

const QStringList thanks = {
    " \u00B0 The Qt Project",
    "   for the toolkit every window is made of",
    "",
    " \u00B0 The RtMidi and JACK developers",
    "   for MIDI on every system",
    "",
    " \u00B0 The ALSA project",
    "   for the sound system under it all",
    "",
};
} // namespace

void Help_Topics_Init() {
    for (const Topic& t : topics) {
        Help_Table[t.row][0] = t.keyword;
        Help_Table[t.row][1] = t.description ? QString(t.description) : Use_Howto;
    }
    QStringList keys;
    for (const Help_Row& r : Help_Table)
        if (!r[0].isEmpty()) keys << r[0];
    std::stable_sort(keys.begin(), keys.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    Help& h = Help::get();
    const QSignalBlocker quiet(h.Help_KeyList);
    h.Help_KeyList->clear();
    h.Help_KeyList->addItems(keys);
}

void Credits_Fill() {
    for (int i = 0; i < 16; ++i) Credits_Table[i] = credits[i];
    Help& h = Help::get();
    {
        const QSignalBlocker quiet(h.Credits);
        h.Credits->clear();
        for (int i = 0; i < 16; ++i)
            if (!Credits_Table[i][0].isEmpty()) {
                auto* item = new QListWidgetItem(Credits_Table[i][0], h.Credits);
                item->setData(Qt::UserRole, i);
            }
    }
    QStringList lines = {
        "Quorlen is an interactive editor for the Roland JX-8P synthesizer based on the design of "
        "the Roland Programmer PG-800. ",
        "Quorlen has additional features:",
        "\u00B0 TONE and PATCH parameters",
        "\u00B0 MIDI Sysex messages & files",
        "\u00B0 Random sound generation",
        "\u00B0 Built-in Sequencer",
        "",
        "",
        "Very special thanks to:",
        "",
    };
    lines << thanks << " \u00B0 All Quorlen users";
    h.About->setPlainText(lines.join("\n") + "\n");
}
