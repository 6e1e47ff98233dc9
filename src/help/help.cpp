#include "help/help.h"
#include "app/app_style.h"
#include "app/dlg.h"
#include "app/main_module.h"
#include "app/quorlen.h"
#include "editors/editor.h"
#include "editors/panel_paint.h"
#include "platform/host.h"
#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <algorithm>

std::array<Help_Row, 101> Help_Table;
std::array<Help_Row, 16> Credits_Table;
QString Help_Topic;
std::array<std::uint8_t, 9> Help_Demo_Bytes{};
std::uint8_t Help_LED_SW_State = 0;

void Help_Reset() {
    Help_Table.fill(Help_Row{});
    Credits_Table.fill(Help_Row{});
    Help_Topic.clear();
    Help_Demo_Bytes.fill(0);
    Help_LED_SW_State = 0;
}

const QString Howto_Info_Text =
    "Select a control element on the left and read the corresponding description here. With "
    "the keyboard, use TAB/SHIFT+TAB to jump to the next/previous control.";

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

// The demonstration controls: value index, tag, plain picture, place, and its explanation.
struct Demo_Spec {
    const char* name;
    int index;
    const char* tag;
    int left, top, width, height;
    const char* info;
};
const QString Lever_Info = "Click and hold down a mouse button, move up or down.\n"
                           "Keyboard: up/down, page up/down, home/end, +/-";
const QString Fader_Info = "Click and hold down a mouse button, move up or down.\n"
                           "Keyboard: cursor up/down, page up/down, home/end, +/-";
const QString Knob_Info = "Click and hold down a mouse button and move left or right.\n"
                          "Keyboard: left/right, page up/down, home/end, +/-";
const QString Button_Info = "Click to change. Applies to:\n"
                            " Editor: VCA Mode, Portamento Switch\n"
                            " Patch: After Touch, Key Mode\n"
                            "Keyboard: cursor up/down, page up/down, home/end, +/-";

QString info_of(int index) {
    switch (index) {
    case 0:
        return Lever_Info;
    case 1:
        return Knob_Info;
    case 2:
        return Fader_Info;
    default:
        return Button_Info;
    }
}

QLabel* label(QWidget* parent, const QString& text, int x, int y, int w, int h = 18) {
    auto* l = new QLabel(text, parent);
    l->setGeometry(x, y, w, h);
    return l;
}

QFrame* page(QWidget* parent, const char* name) {
    auto* f = new QFrame(parent);
    f->setObjectName(name);
    f->setFrameShape(QFrame::StyledPanel);
    f->setGeometry(8, 8, 464, 282);
    return f;
}
} // namespace

// ---- Window -------------------------------------------------------------------------------

Help::Help() : QWidget(&Quorlen::get(), Qt::Window) {
    setObjectName("Help");
    setWindowTitle("Quorlen Help");
    setFixedSize(480, 330);
    Keep_Text_Pixels(this);

    Frame_Howto = page(this, "Frame_Howto");
    Frame_Search = page(this, "Frame_Search");
    Frame_Credits = page(this, "Frame_Credits");
    Cmd_Howto = new QPushButton("How to use Quorlen", this);
    Cmd_Search = new QPushButton("Search", this);
    Cmd_About = new QPushButton("About", this);
    Cmd_Howto->setGeometry(8, 298, 160, 24);
    Cmd_Search->setGeometry(176, 298, 100, 24);
    Cmd_About->setGeometry(284, 298, 100, 24);
    connect(Cmd_Howto, &QPushButton::clicked, this, &Help::Cmd_Howto_Click);
    connect(Cmd_Search, &QPushButton::clicked, this, &Help::Cmd_Search_Click);
    connect(Cmd_About, &QPushButton::clicked, this, &Help::Cmd_About_Click);

    // How-to page.
    Label4 = label(Frame_Howto,
                   "Quorlen has different control elements to change parameters. A selected "
                   "element blinks. Select a control element below and read the corresponding "
                   "description on the right side:",
                   8, 6, 448, 48);
    Label4->setWordWrap(true);
    Pic_Howto_Bk = new Pic_Control(Frame_Howto, nullptr, "Pic_Howto_Bk");
    Pic_Howto_Bk->setGeometry(8, 62, 160, 112);
    HName = new QLabel(Frame_Howto);
    HName->setObjectName("HName");
    HName->setGeometry(184, 62, 120, 22);
    HName->setAlignment(Qt::AlignCenter);
    HName->setAutoFillBackground(true);
    HName->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    QPalette pal = HName->palette();
    pal.setColor(QPalette::Window, QColor(0x10, 0x18, 0x12));
    pal.setColor(QPalette::WindowText, QColor(0x7C, 0xFF, 0x9A));
    HName->setPalette(pal);
    HName->setText("Waiting for action...");
    Info = label(Frame_Howto, {}, 184, 92, 272, 120);
    Info->setObjectName("Info");
    Info->setWordWrap(true);
    Info->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Pos_Sw = new Pic_Control(Pic_Howto_Bk, this, "Pos_Sw", "bl", 0);
    Tune = new Pic_Control(Pic_Howto_Bk, this, "Tune", "knh", 1);
    Tune_Knopf = new Pic_Control(Tune, nullptr, "Tune_Knopf", "knh", 1);
    // The pointer lies on the body; the body takes its mouse and keys.
    Tune_Knopf->setAttribute(Qt::WA_TransparentForMouseEvents);
    Tune->Knob_Pointer = Tune_Knopf;
    Tune_Knopf->Knob_Body = Tune;
    Slider = new Pic_Control(Pic_Howto_Bk, this, "Slider", "bm", 2);
    Switch = new Pic_Control(Pic_Howto_Bk, this, "Switch", "br", 3);
    for (int k = 0; k < 4; ++k)
        LED_SW[k] = new Pic_Control(Pic_Howto_Bk, this, QString("LED_SW(%1)").arg(k), "led", 4);
    setTabOrder(Pos_Sw, Tune);
    setTabOrder(Tune, Slider);
    setTabOrder(Slider, Switch);
    setTabOrder(Switch, LED_SW[0]);

    // Search page.
    Help_Keyword = new QLineEdit(Frame_Search);
    Help_Keyword->setObjectName("Help_Keyword");
    Help_Keyword->setGeometry(8, 26, 210, 22);
    Help_KeyList = new QListWidget(Frame_Search);
    Help_KeyList->setObjectName("Help_KeyList");
    Help_KeyList->setGeometry(8, 76, 210, 196);
    label(Frame_Search, "&Enter a keyword:", 8, 6, 210)->setBuddy(Help_Keyword);
    label(Frame_Search, "&Select a topic:", 8, 56, 210)->setBuddy(Help_KeyList);
    label(Frame_Search, "Description:", 230, 6, 220);
    Help_Description = label(Frame_Search, {}, 230, 26, 224, 246);
    Help_Description->setObjectName("Help_Description");
    Help_Description->setWordWrap(true);
    Help_Description->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    connect(Help_Keyword, &QLineEdit::textChanged, this, &Help::Help_Keyword_Change);
    connect(Help_KeyList, &QListWidget::itemSelectionChanged, this, &Help::Help_KeyList_Click);

    // About page.
    Pic_Quorlen = new Pic_Control(Frame_Credits, nullptr, "Pic_Quorlen");
    Pic_Quorlen->setGeometry(8, 26, 110, 50);
    Pic_Orvel = new Pic_Control(Frame_Credits, nullptr, "Pic_Orvel");
    Pic_Orvel->setGeometry(23, 84, 79, 14);
    label(Frame_Credits, "Informations:", 130, 6, 200);
    About = new QPlainTextEdit(Frame_Credits);
    About->setObjectName("About");
    About->setReadOnly(true);
    About->setGeometry(130, 26, 326, 128);
    About->installEventFilter(this);
    label(Frame_Credits, "Credits:", 8, 160, 200);
    Credits = new QListWidget(Frame_Credits);
    Credits->setObjectName("Credits");
    Credits->setGeometry(8, 180, 200, 92);
    Credits_Why = label(Frame_Credits, {}, 216, 180, 240, 92);
    Credits_Why->setObjectName("Credits_Why");
    Credits_Why->setWordWrap(true);
    Credits_Why->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    connect(Credits, &QListWidget::itemClicked, this, &Help::Credits_Click);
    connect(Credits, &QListWidget::currentRowChanged, this, &Help::Credits_Click);

    // The window sees Escape and the LED buttons' Tab keys before its controls do.
    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
}

void Help::Form_Load() {
    Help_Open();
}

void Help::Form_Show() {
    show();
    raise();
    activateWindow();
}

void Help::Show_Page(QFrame* shown) {
    for (QFrame* f : {Frame_Howto, Frame_Search, Frame_Credits}) f->setVisible(f == shown);
}

void Help::Show_Howto() {
    Show_Page(Frame_Howto);
    Info->setText(Howto_Info_Text);
    Focus_Control = Pos_Sw;
    Editor::get().Timer1->start();
}

void Help::Cmd_Howto_Click() {
    Show_Howto();
    Cmd_Howto->setFocus();
}

void Help::Cmd_Search_Click() {
    Show_Page(Frame_Search);
    Cmd_Search->setFocus();
    if (Dlg_Open == "Help") Help_Keyword->setFocus();
}

void Help::Cmd_About_Click() {
    Show_Page(Frame_Credits);
    Cmd_About->setFocus();
    Credits_Fill();
}

void Help::Form_QueryUnload() {
    Dlg_End();
}

void Help::closeEvent(QCloseEvent* e) {
    Unload_Later(&Help::Form_QueryUnload);
    e->accept();
}

void Help::keyPressEvent(QKeyEvent* e) {
    if (Virtual_Key(*e) == Vk::Escape)
        close();
    else
        QWidget::keyPressEvent(e);
}

bool Help::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn && watched == About) {
        // The about text is never edited: the focus moves on.
        QTimer::singleShot(0, Cmd_About, [this] { Cmd_About->setFocus(); });
        return false;
    }
    if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
    auto* k = static_cast<QKeyEvent*>(event);
    if (Virtual_Key(*k) == Vk::Escape) {
        close();
        return true;
    }
    // Tab leaves the row of LED buttons as a whole.
    const auto led = std::find(LED_SW.begin(), LED_SW.end(), watched);
    if (led != LED_SW.end() && (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab)) {
        Pic_Release();
        const bool back = k->key() == Qt::Key_Backtab || (k->modifiers() & Qt::ShiftModifier);
        (back ? Switch : Pos_Sw)->setFocus(back ? Qt::BacktabFocusReason : Qt::TabFocusReason);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

// ---- Opening --------------------------------------------------------------------------------

void Help_Open() {
    // The first touch loads the window, and its load runs this routine: once is enough.
    if (!Help::loaded()) {
        Help::get();
        return;
    }
    Help& h = Help::get();
    Focus_Pic_Reset();
    h.move(25, 25);
    Help_Topics_Init();
    Help_Pics();
    Help_Demo_Bytes[1] = 63;
    Help_Demo_Bytes[2] = 0;
    // The controls show the values they keep between openings.
    h.Switch_Redraw();
    h.Slider_Redraw();
    Knob_Display_Value = Knob_Val_PM12(Help_Demo_Bytes[1]);
    const QPoint d = Knob_Offset(Knob_Display_Value, 12);
    h.Tune_Knopf->Set_Pos(12 - d.x(), 10 - d.y());
    h.Switch->Set_Top(Help_Demo_Bytes[3] > 63 ? 5 : 15);
    // Registered before the page is chosen, so the editor's control is the one
    // given back on closing and the how-to page's blink is not stopped again.
    Dlg_Begin(&h, "Help");
    if (Help_Topic == "About") {
        h.Show_Page(h.Frame_Credits);
        Credits_Fill();
    } else if (Help_Topic == "Howto") {
        h.Show_Howto();
    } else if (Help_Topic == "Search") {
        h.Show_Page(h.Frame_Search);
        if (Dlg_Open == "Help") h.Help_Keyword->setFocus();
    }
    const int row = Help_Index >= 0 && Help_Index <= 100 ? Help_Index : 0;
    {
        const QSignalBlocker quiet(h.Help_Keyword);
        h.Help_Keyword->setText(Help_Table[row][0]);
    }
    h.Help_Keyword_Change();
}

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

void Help_Pics() {
    Help& h = Help::get();
    const Quorlen& m = Quorlen::get();
    h.Pic_Howto_Bk->Set_Picture(Howto_Background_Picture());
    h.Pos_Sw->Set_Picture(m.Buttons[0]);
    h.Pos_Sw->setGeometry(13, 35, 18, 18);
    h.Switch->Set_Picture(m.Buttons[2]);
    h.Switch->setGeometry(106, 15, 18, 18);
    h.Slider->Set_Picture(m.Buttons[6]);
    h.Slider->setGeometry(62, 85, 18, 18);
    h.Tune->Set_Picture(m.Buttons[8]);
    h.Tune->setGeometry(8, 68, 28, 26);
    h.Tune_Knopf->Set_Picture(m.Buttons[4]);
    h.Tune_Knopf->setGeometry(12, 6, 4, 4);
    for (int k = 0; k < 4; ++k) {
        h.LED_SW[k]->Set_Picture(m.LED[k == Help_LED_SW_State ? 1 : 0]);
        h.LED_SW[k]->setGeometry(108, 40 + 15 * k, 14, 14);
    }
    h.Pic_Quorlen->Set_Picture(Quorlen_Logo_Picture());
    h.Pic_Orvel->Set_Picture(Orvel_Logo_Picture());
}

QPixmap Howto_Background_Picture() {
    QPixmap pm(160, 112);
    pm.fill(Panel_Paint::Face);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(Panel_Paint::Slot);
    // The lever's slot (four positions, tops 5 to 35) and the switch's (two).
    p.drawRoundedRect(QRectF(13 + 9 - 3, 5 + 3, 6, 30 + 12), 3, 3);
    p.drawRoundedRect(QRectF(106 + 9 - 3, 5 + 3, 6, 10 + 12), 3, 3);
    // The fader's slot: cap tops 5 to 85.
    p.drawRoundedRect(QRectF(62 + 9 - 2, 5 + 4, 4, 80 + 10), 2, 2);
    QFont f("DejaVu Sans");
    f.setPixelSize(8);
    p.setFont(f);
    p.setPen(Panel_Paint::Ink_Dim);
    for (int i = 0; i < 4; ++i)
        p.drawText(QRect(33, 35 - 10 * i, 14, 18), Qt::AlignCenter, QString::number(4 - i));
    p.drawText(QRect(126, 5, 30, 18), Qt::AlignVCenter, "ON");
    p.drawText(QRect(126, 15, 30, 18), Qt::AlignVCenter, "OFF");
    for (int k = 0; k < 4; ++k)
        p.drawText(QRect(126, 40 + 15 * k, 20, 14), Qt::AlignVCenter, QString(QChar('A' + k)));
    for (int k = 0; k <= 10; ++k) {
        const int y = 85 + 9 - k * 8;
        p.drawLine(56, y, 58 + (k % 5 == 0 ? 2 : 0), y);
    }
    p.drawText(QRect(0, 96, 44, 14), Qt::AlignCenter, "TUNE");
    return pm;
}

// ---- Keyword search ---------------------------------------------------------------------------

void Help::Help_Keyword_Change() {
    const int n = Help_KeyList->count();
    const QString typed = Help_Keyword->text().toUpper();
    int i = 0;
    while (i < n - 1 && Help_KeyList->item(i)->text().toUpper() < typed) ++i;
    if (i < n) Help_KeyList->setCurrentRow(i);
}

void Help::Help_KeyList_Click() {
    const QListWidgetItem* item = Help_KeyList->currentItem();
    const QString text = item && item->isSelected() ? item->text() : QString();
    for (const Help_Row& r : Help_Table)
        if (r[0] == text) {
            Help_Description->setText(r[1]);
            return;
        }
}

// ---- About
// ---------------------------------------------------------------------------------------

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

void Help::Credits_Click() {
    const QListWidgetItem* item = Credits->currentItem();
    if (!item) return;
    const int row = item->data(Qt::UserRole).toInt();
    Credits_Why->setText(" " + Credits_Table[row][1]);
}

// ---- Demonstration controls
// ----------------------------------------------------------------------

QString Demo_Text(int index, int v) {
    switch (index) {
    case 0:
        return QString::number((127 - v) / 32 + 1);
    case 1:
        return QString::number(Knob_Val_PM12(v));
    case 2:
        return QString::number(v * 99 / 127);
    case 3:
        return v > 63 ? "ON" : "OFF";
    case 4:
        return v >= 0 && v <= 3 ? QString(QChar('A' + v)) : QString();
    default:
        return {};
    }
}

void Demo_Param_Set(int index, int value) {
    if (index < 0 || index > 8) return;
    Help_Demo_Bytes[index] = static_cast<std::uint8_t>(value);
    const QString text = Demo_Text(index, value);
    if (!text.isEmpty() && Help::loaded()) Help::get().HName->setText(text);
    Display_Timer_Restart();
}

void Help::Pic_Release() {
    auto* c = qobject_cast<Pic_Control*>(Focus_Control.data());
    if (!c || c->Host != this) return;
    Focus_Pic_Reset();
    // The lit LED button stays lit.
    if (c->Tag == "led" && c == LED_SW[Help_LED_SW_State]) c->Set_Picture(Quorlen::get().LED[1]);
}

void Help::Slider_KeyStep(int key) {
    Edit_Value = Help_Demo_Bytes[2];
    Fader_Key_Step(Edit_Value, key);
    // Every key shows the value, also one of no meaning.
    Demo_Param_Set(2, static_cast<int>(Edit_Value));
    Slider_Redraw();
}

void Help::Switch_KeyStep(int key) {
    int v = Help_Demo_Bytes[0];
    if (!Lever_Key_Step(v, key)) return;
    Demo_Param_Set(0, v);
    Switch_Redraw();
}

void Help::Slider_Drag(double y) {
    Edit_Value = std::clamp(Help_Demo_Bytes[2] - y, 0.0, 127.0);
    Demo_Param_Set(2, static_cast<int>(Edit_Value));
    Slider_Redraw();
}

void Help::Switch_Drag(double y) {
    const int v = static_cast<int>(std::clamp(Help_Demo_Bytes[0] - y, 0.0, 127.0));
    Demo_Param_Set(0, v);
    Switch_Redraw();
    Last_Param = 0;
    Last_Value = v;
}

void Help::Slider_Redraw() {
    Slider->Set_Top(Fader_Top(85, Help_Demo_Bytes[2]));
}

void Help::Switch_Redraw() {
    Pos_Sw->Set_Top(Quarter_Top(35, Help_Demo_Bytes[0]));
}

void Help::Toggle() {
    const bool on = Help_Demo_Bytes[3] <= 63;
    Switch->Set_Top(on ? 5 : 15);
    Demo_Param_Set(3, on ? 64 : 0);
}

void Help::LED_SW_Click(int k) {
    if (k < 0 || k > 3) return;
    LED_SW[k]->setFocus(Qt::MouseFocusReason);
    Focus_Control = LED_SW[k];
    Help_LED_SW_State = static_cast<std::uint8_t>(k);
    const Quorlen& m = Quorlen::get();
    for (int i = 0; i < 4; ++i) LED_SW[i]->Set_Picture(m.LED[i == k ? 1 : 0]);
    Demo_Param_Set(4, k);
}

namespace {
void place_tune_pointer(Pic_Control* pointer) {
    const QPoint d = Knob_Offset(Knob_Display_Value, 12);
    pointer->Set_Pos(12 - d.x(), 10 - d.y());
}
} // namespace

void Help::Control_GotFocus(Pic_Control* c) {
    Pic_Release();
    Focus_Control = c->Knob_Pointer ? c->Knob_Pointer : c;
    Info->setText(info_of(c->Index));
}

void Help::Control_LostFocus(Pic_Control*) {
    Pic_Release();
}

void Help::Control_KeyDown(Pic_Control* c, int key, int) {
    switch (c->Index) {
    case 0:
        Switch_KeyStep(key);
        break;
    case 1:
        Knob_Display_Value = Knob_Val_PM12(Help_Demo_Bytes[1]);
        Tune_Key_Step(Knob_Display_Value, key);
        place_tune_pointer(Tune_Knopf);
        Demo_Param_Set(1, Tune_Semi_To_Value(static_cast<int>(Knob_Display_Value)));
        break;
    case 2:
        Slider_KeyStep(key);
        break;
    case 3:
        if (Toggle_Key_Flips(key)) Toggle();
        break;
    case 4: {
        int k = Help_LED_SW_State;
        if (key == Vk::Down || key == Vk::Next)
            k = std::min(k + 1, 3);
        else if (key == Vk::Up || key == Vk::Prior)
            k = std::max(k - 1, 0);
        else
            break;
        LED_SW_Click(k);
        break;
    }
    default:
        break;
    }
}

void Help::Control_MouseDown(Pic_Control* c, int, int, double, double) {
    switch (c->Index) {
    case 1:
    case 2:
        Demo_Param_Set(c->Index, Help_Demo_Bytes[c->Index]);
        break;
    case 3:
        Toggle();
        break;
    case 4:
        for (int k = 0; k < 4; ++k)
            if (LED_SW[k] == c) LED_SW_Click(k);
        break;
    default:
        break;
    }
}

void Help::Control_MouseMove(Pic_Control* c, int button, int, double x, double y) {
    if (button <= 0) return;
    switch (c->Index) {
    case 0:
        Switch_Drag(y);
        break;
    case 1: {
        Knob_Display_Value = Knob_Val_PM12(Help_Demo_Bytes[1]);
        Tune_Drag_Step(Knob_Display_Value, x);
        place_tune_pointer(Tune_Knopf);
        Demo_Param_Set(1, Tune_Semi_To_Value(static_cast<int>(Knob_Display_Value)));
        break;
    }
    case 2:
        Slider_Drag(y);
        break;
    default:
        break;
    }
}
