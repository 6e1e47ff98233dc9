#include "help/help.h"
#include "app/app_style.h"
#include "app/dlg.h"
#include "app/main_module.h"
#include "app/quorlen.h"
#include "editors/editor.h"
#include "platform/host.h"
#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
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
    Unload_Form(&Help::Form_QueryUnload);
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

void Help::Credits_Click() {
    const QListWidgetItem* item = Credits->currentItem();
    if (!item) return;
    const int row = item->data(Qt::UserRole).toInt();
    Credits_Why->setText(" " + Credits_Table[row][1]);
}
