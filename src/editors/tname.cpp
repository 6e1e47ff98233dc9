#include "editors/tname.h"
#include "app/dlg.h"
#include "app/main_module.h"
#include "app/quorlen.h"
#include "dialogs/picture_buttons.h"
#include "editors/editor.h"
#include "editors/editor_juno.h"
#include "instrument/instrument.h"
#include "midi/midi_port.h"
#include "midi/routines.h"
#include "midi/sysex.h"
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpressionValidator>

namespace {
// The background: a raised panel in the window colour.
QPixmap background(const QSize& size, const QPalette& pal) {
    QPixmap pm(size);
    pm.fill(pal.color(QPalette::Window));
    QPainter p(&pm);
    const QRect r = pm.rect();
    p.setPen(pal.color(QPalette::Light));
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(pal.color(QPalette::Dark));
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
    return pm;
}
} // namespace

TName::TName() : QDialog(&Quorlen::get()) {
    setObjectName("TName");
    setWindowTitle("Tone Name");
    setFixedSize(300, 118);
    Picture1 = new Picture_Box(this, "Picture1");
    Picture1->setGeometry(rect());
    Picture1->Set_Picture(background(size(), palette()));
    Label1 = new QLabel("Please enter a name for the Tone:", this);
    Label1->setObjectName("Label1");
    Label1->setGeometry(14, 10, 272, 20);
    Tone_Name = new QLineEdit(this);
    Tone_Name->setObjectName("Tone_Name");
    Tone_Name->setGeometry(70, 36, 160, 26);
    Tone_Name->setMaxLength(10);
    Tone_Name->setAlignment(Qt::AlignCenter);
    // Every name byte goes into a system-exclusive message, where a byte
    // above 127 would end it: only the printable ASCII characters are taken.
    Tone_Name->setValidator(
        new QRegularExpressionValidator(QRegularExpression("[\\x20-\\x7E]*"), Tone_Name));
    Cmd_OK = new QPushButton("&OK", this);
    Cmd_OK->setObjectName("Cmd_OK");
    Cmd_OK->setGeometry(58, 76, 86, 28);
    Cmd_OK->setDefault(true);
    Cmd_Cancel = new QPushButton("&Cancel", this);
    Cmd_Cancel->setObjectName("Cmd_Cancel");
    Cmd_Cancel->setGeometry(156, 76, 86, 28);
    Cmd_Cancel->setAutoDefault(false);
    connect(Cmd_OK, &QPushButton::clicked, this, &TName::Cmd_OK_Click);
    connect(Cmd_Cancel, &QPushButton::clicked, this, &TName::Cmd_Cancel_Click);
    connect(Picture1, &Picture_Box::Click, this, &TName::Picture1_Click);
}

void TName::Form_Load() {
    move(150, 150); // pixels from the screen's corner
    Tone_Name->setText(Tone_Name_Text);
    Tone_Name->selectAll();
    Dlg_Begin(this, "TName");
}

void TName::Picture1_Click() {
    Tone_Name->setFocus();
}

void Tone_Name_To_Records() {
    Name_To_Tone();
    for (int i = 0; i < Juno_Name_Length; ++i) {
        const std::uint8_t c = i < Tone_Name_Text.size()
                                   ? static_cast<std::uint8_t>(Tone_Name_Text.at(i).unicode())
                                   : ' ';
        Juno_Tone[Juno_Name_First + i] = Juno_Char_To_Code(c);
    }
}

std::string Tone_Name_Msg_Text() {
    const bool juno = Synth_Is(Synth_Type, "Alpha Juno");
    std::string text = Hdr_Tone_IPR;
    for (unsigned i = 0; i <= 9; ++i) {
        const unsigned p = juno ? Juno_Name_First + i : i;
        text += Hex(p) + " " + Hex(juno ? Juno_Tone[p] : Tone_Data[p]) + " ";
    }
    return text + "F7";
}

void TName::Cmd_OK_Click() {
    Tone_Name_Text = Ascii_Upper(Blanks_Trimmed(Tone_Name->text()));
    Tone_Name_To_Records();
    Editor::get().Tone_Name->setText(Tone_Name_Text);
    Editor_Juno::get().Tone_Name->setText(Tone_Name_Text);
    if (Auto_Sending()) Edit_Msg_Send(Tone_Name_Msg_Text());
    Form_Unload();
}

void TName::Cmd_Cancel_Click() {
    Form_Unload();
}

void TName::reject() {
    Cmd_Cancel_Click();
}

void TName::closeEvent(QCloseEvent* event) {
    event->accept();
    Form_Unload();
}

void TName::Form_QueryUnload() {
    Dlg_End();
}

void TName::Form_Unload() {
    Unload_Form(&TName::Form_QueryUnload);
}

void TName_Show() {
    if (!Dlg_Open.isEmpty()) return;
    TName& d = TName::get();
    d.show();
    d.raise();
    d.activateWindow();
    d.Tone_Name->setFocus();
}
