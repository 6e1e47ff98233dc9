#include "app/quorlen.h"
#include "dialogs/file_dlg.h"
#include "dialogs/input_dlg.h"
#include "editors/patch.h"
#include "editors/patch_mks70.h"
#include "editors/tname.h"
#include "help/help.h"
#include "midi/midi_setup.h"
#include "platform/host.h"
#include "sequencer/oscillator.h"
#include "sequencer/sequencer.h"
#include "support/fixture.h"
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>

// Every caption, label, button text and list entry of the windows fits its
// control whole. The suite runs at the density of its screen: once at 96 ppi
// and once, with the font density forced, at 120 ppi.
class LooksTest : public ProgramTest {
  protected:
    // One line per text that does not fit: where, what, how wide, how much room.
    QStringList misfits;

    void Need(const QWidget* w, const QString& text, QSize need, QSize room) {
        if (need.width() <= room.width() && need.height() <= room.height()) return;
        misfits << QString("%1/%2 \"%3\": %4x%5 in %6x%7")
                       .arg(w->window()->windowTitle(), w->objectName(), text)
                       .arg(need.width())
                       .arg(need.height())
                       .arg(room.width())
                       .arg(room.height());
    }

    static QString Shown(QString text) { return text.remove(QRegularExpression("&(?=[^&])")); }

    void Check_Label(QLabel* l) {
        if (l->text().isEmpty() || l->objectName() == "FD_Dir_Label") return; // the path is elided
        QRect room =
            l->contentsRect().adjusted(l->margin(), l->margin(), -l->margin(), -l->margin());
        const QFontMetrics& m = l->fontMetrics();
        int indent = l->indent();
        if (indent < 0 && l->frameWidth() > 0) indent = m.horizontalAdvance('x') / 2;
        if (indent > 0 && (l->alignment() & (Qt::AlignLeft | Qt::AlignRight)))
            room.setWidth(room.width() - indent);
        const QString text = Shown(l->text());
        if (l->wordWrap()) {
            const QRect need = m.boundingRect(room, int(l->alignment()) | Qt::TextWordWrap, text);
            Need(l, text, need.size(), room.size());
            return;
        }
        // What shows is the ink: a centred text may lend its side bearings.
        const QRect ink = m.tightBoundingRect(text);
        const int need = l->alignment() & Qt::AlignHCenter ? ink.width()
                         : l->alignment() & Qt::AlignRight ? m.horizontalAdvance(text) - ink.left()
                                                           : ink.right() + 1;
        Need(l, text, {need, m.height()}, room.size());
    }

    void Check_Button(QAbstractButton* b) {
        if (b->text().isEmpty()) return;
        QStyleOptionButton o;
        o.initFrom(b);
        o.text = b->text();
        const bool check = qobject_cast<QCheckBox*>(b);
        const QRect room = b->style()->subElementRect(
            check ? QStyle::SE_CheckBoxContents : QStyle::SE_PushButtonContents, &o, b);
        const QFontMetrics& m = b->fontMetrics();
        Need(b, o.text, {m.horizontalAdvance(Shown(o.text)), m.height()}, room.size());
    }

    void Check_Combo(QComboBox* c) {
        if (c->objectName() == "FD_List_Drives") return; // the user's mount points
        QStyleOptionComboBox o;
        o.initFrom(c);
        o.frame = true;
        // The label is drawn a pixel inside the edit field on either side.
        const QRect room =
            c->style()
                ->subControlRect(QStyle::CC_ComboBox, &o, QStyle::SC_ComboBoxEditField, c)
                .adjusted(1, 0, -1, 0);
        const QFontMetrics& m = c->fontMetrics();
        for (int i = 0; i < c->count(); ++i)
            Need(c, c->itemText(i), {m.horizontalAdvance(c->itemText(i)), m.height()}, room.size());
    }

    void Check_List(QListWidget* l) {
        l->doItemsLayout();
        if (l->horizontalScrollBar()->maximum() > 0)
            Need(l, "(scrolls sideways)",
                 {l->viewport()->width() + l->horizontalScrollBar()->maximum(), 0},
                 {l->viewport()->width(), 0});
    }

    void Check_Window(QWidget* window) {
        for (QLabel* l : window->findChildren<QLabel*>()) Check_Label(l);
        for (QAbstractButton* b : window->findChildren<QAbstractButton*>()) Check_Button(b);
        for (QComboBox* c : window->findChildren<QComboBox*>()) Check_Combo(c);
        // The file and folder lists show the user's names; the help lists the program's.
        for (QListWidget* l : window->findChildren<QListWidget*>())
            if (l->objectName() == "Help_KeyList" || l->objectName() == "Credits") Check_List(l);
    }
};

TEST_F(LooksTest, TextsFitTheirControls) {
    Write_Settings("[MIDI]\nOutput=Synth Out\nInput=Synth In\n");
    const int ppi = qRound(QGuiApplication::primaryScreen()->logicalDotsPerInchY());
    if (qEnvironmentVariableIsSet("QT_FONT_DPI"))
        ASSERT_EQ(ppi, qEnvironmentVariableIntValue("QT_FONT_DPI"));
    Set_Screen_PPI_Override(ppi);
    Start_Program();

    // The file dialog in each mode: each shows its own file types.
    for (const char* mode : {"Open_SYX", "Open_SEQ", "Open_OSC", "SaveAs_SYX"}) {
        FD_Mode = mode;
        File_Dlg& f = File_Dlg::get();
        f.Form_Show();
        Check_Window(&f);
        f.Form_Unload();
    }

    MIDI_Setup& m = MIDI_Setup::get();
    m.Form_Show();
    Check_Window(&m);
    m.Form_Unload();

    // All three pages of the help window, with the texts each page puts up.
    Help& h = Help::get();
    h.Form_Show();
    h.Cmd_Howto_Click();
    Check_Window(&h);
    h.Cmd_Search_Click();
    Check_Window(&h);
    h.Cmd_About_Click();
    Check_Window(&h);
    h.close();

    // The oscillator's numbers at their widest: offset, amplitude, step time, value.
    Oscillator& o = Oscillator::get();
    o.Form_Show();
    o.Label3->setText("-64");
    o.Label4->setText("127");
    o.Label1->setText("999");
    o.Label2->setText("127");
    Check_Window(&o);
    Sequencer& s = Sequencer::get();
    s.Form_Show();
    Check_Window(&s);
    Patch_MKS70& mks = Patch_MKS70::get();
    mks.Form_Show();
    Check_Window(&mks);
    Check_Window(&TName::get());

    Set_Input_Box_Hook([&](Input_Dlg& d) {
        Check_Window(&d);
        d.Input_OK_Click();
    });
    Input_Box("Please enter a name for the new folder in:\r/home/user/tones", "Create new folder",
              "folder");
    Set_Input_Box_Hook({});

    EXPECT_TRUE(misfits.empty()) << misfits.join('\n').toStdString();
}
