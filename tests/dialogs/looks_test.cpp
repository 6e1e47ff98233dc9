#include "app/app_style.h"
#include "app/picture_store.h"
#include "app/quorlen.h"
#include "dialogs/file_dlg.h"
#include "dialogs/input_dlg.h"
#include "editors/editor.h"
#include "editors/editor_juno.h"
#include "editors/patch.h"
#include "editors/patch_mks70.h"
#include "editors/tname.h"
#include "help/help.h"
#include "midi/midi_port.h"
#include "midi/midi_setup.h"
#include "midi/sysex.h"
#include "platform/host.h"
#include "sequencer/oscillator.h"
#include "sequencer/sequencer.h"
#include "support/fixture.h"
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionTitleBar>
#include <QTest>
#include <algorithm>
#include <functional>
#include <optional>

// Every caption, label, button text, list entry and painted text of the
// windows fits its room whole, inside its window, where nothing covers it.
// The suite runs at the density of its screen: once at 96 ppi and once, with
// the font density forced, at 120 ppi.
class LooksTest : public ProgramTest {
  protected:
    // One line per text that does not fit: where, what, how wide, how much room.
    QStringList misfits;

    // The window that holds w, by its caption.
    static QString Window_Of(const QWidget* w) {
        for (; w; w = w->parentWidget())
            if (w->isWindow() || qobject_cast<const QMdiSubWindow*>(w)) return w->windowTitle();
        return "?";
    }

    void Misfit(const QWidget* w, const QString& text, const QString& why) {
        misfits << QString("%1/%2 \"%3\": %4").arg(Window_Of(w), w->objectName(), text, why);
    }

    void Need(const QWidget* w, const QString& text, QSize need, QSize room) {
        if (need.width() <= room.width() && need.height() <= room.height()) return;
        Misfit(w, text,
               QString("%1x%2 in %3x%4")
                   .arg(need.width())
                   .arg(need.height())
                   .arg(room.width())
                   .arg(room.height()));
    }

    // The text at place (w's pixels) lies inside its window, and no control
    // stacked above w covers it.
    void Seen(const QWidget* w, const QString& text, const QRect& place) {
        const QWidget* top = w;
        while (!top->isWindow() && !qobject_cast<const QMdiSubWindow*>(top->parentWidget()))
            top = top->parentWidget();
        if (!w->isVisibleTo(top) || place.isEmpty()) return;
        QRect r = place;
        for (const QWidget* up = w; up != top; up = up->parentWidget()) {
            if (!up->rect().contains(r)) return Misfit(w, text, "cut by " + up->objectName());
            r.translate(up->pos());
        }
        if (!top->rect().contains(r)) return Misfit(w, text, "outside its window");
        for (const QWidget* other : top->findChildren<QWidget*>()) {
            if (other == w || other->isAncestorOf(w) || !other->isVisibleTo(top) ||
                !Above(other, w))
                continue;
            const QRect o(other->mapTo(top, QPoint(0, 0)), other->size());
            if (o.intersects(r)) return Misfit(w, text, "covered by " + other->objectName());
        }
    }

    // a is drawn over b: a lies in b, or after b's branch among their common parent's children.
    static bool Above(const QWidget* a, const QWidget* b) {
        if (b->isAncestorOf(a)) return true;
        const QWidget* pa = a;
        while (pa->parentWidget() && !pa->parentWidget()->isAncestorOf(b)) pa = pa->parentWidget();
        const QWidget* parent = pa->parentWidget();
        if (!parent) return false;
        const QWidget* pb = b;
        while (pb->parentWidget() != parent) pb = pb->parentWidget();
        const QObjectList& kids = parent->children();
        return kids.indexOf(pa) > kids.indexOf(pb);
    }

    // A text painted by the program's code, on w at w's pixels.
    void Check_Caption(const QWidget* w, const Painted_Caption& c) {
        const QString where = c.text.simplified();
        if (c.shown != c.ink)
            Misfit(w, where,
                   QString("painted %1x%2, shows %3x%4")
                       .arg(c.ink.width())
                       .arg(c.ink.height())
                       .arg(c.shown.width())
                       .arg(c.shown.height()));
        Seen(w, where, c.ink);
    }

    // Paints the picture, and checks every text painted on it: where it lies,
    // and that its glyphs land where its room and alignment put them. place()
    // gives the control a caption shows on and where its device lies in the
    // picture; none for a caption that is not part of it.
    template <class Render, class Place>
    std::vector<Painted_Caption> Check_Drawn(Render render, Place place) {
        Caption_Log log;
        (void)render(); // what is painted once and kept is not painted again
        log.captions.clear();
        const QImage all = render();
        const std::vector<Painted_Caption> captions = log.captions;
        for (std::size_t i = 0; i < captions.size(); ++i) {
            const Painted_Caption& c = captions[i];
            const std::optional<std::pair<const QWidget*, QPoint>> at = place(c);
            if (!at) continue;
            const auto [w, offset] = *at;
            Check_Caption(w, c);
            // Its pixels: those that differ from the picture painted without it.
            log.captions.clear();
            log.leave_out = static_cast<int>(i);
            const QImage without = render();
            log.leave_out = -1;
            if (log.captions.size() != captions.size()) {
                Misfit(w, c.text, "painted otherwise the second time");
                continue;
            }
            const QRect look = (c.room | c.shown).adjusted(-2, -2, 2, 2).translated(offset);
            QRect drawn;
            for (int y = std::max(look.top(), 0); y <= std::min(look.bottom(), all.height() - 1);
                 ++y)
                for (int x = std::max(look.left(), 0); x <= std::min(look.right(), all.width() - 1);
                     ++x)
                    if (all.pixel(x, y) != without.pixel(x, y)) drawn |= QRect(x, y, 1, 1);
            drawn.translate(-offset);
            // A glyph's faintest edge may vanish in the colours below it.
            const auto near = [](int a, int b) { return std::abs(a - b) <= 1; };
            if (!near(drawn.left(), c.shown.left()) || !near(drawn.right(), c.shown.right()) ||
                !near(drawn.top(), c.shown.top()) || !near(drawn.bottom(), c.shown.bottom()))
                Misfit(w, c.text.simplified(),
                       QString("drawn at %1,%2 %3x%4, its room and alignment say %5,%6 %7x%8")
                           .arg(drawn.x())
                           .arg(drawn.y())
                           .arg(drawn.width())
                           .arg(drawn.height())
                           .arg(c.shown.x())
                           .arg(c.shown.y())
                           .arg(c.shown.width())
                           .arg(c.shown.height()));
        }
        return captions;
    }

    // Paints the window and checks every text painted on it.
    void Check_Painted(QWidget* window) {
        Check_Drawn(
            [window] { return window->grab().toImage(); },
            [window](const Painted_Caption& c) -> std::optional<std::pair<const QWidget*, QPoint>> {
                const auto* w = dynamic_cast<const QWidget*>(c.device);
                if (!w || (w != window && !window->isAncestorOf(w))) return std::nullopt;
                return std::pair{w, w->mapTo(window, QPoint(0, 0))};
            });
    }

    // The texts of a picture that w shows at its top left.
    template <class Draw> std::vector<Painted_Caption> Check_Picture(const QWidget* w, Draw draw) {
        return Check_Drawn(
            [&] { return draw().toImage(); },
            [w](const Painted_Caption&) {
                return std::optional<std::pair<const QWidget*, QPoint>>{std::pair{w, QPoint(0, 0)}};
            });
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
            Seen(l, text, need & room);
            return;
        }
        // What shows is the ink: a centred text may lend its side bearings.
        const QRect ink = m.tightBoundingRect(text);
        const int need = l->alignment() & Qt::AlignHCenter ? ink.width()
                         : l->alignment() & Qt::AlignRight ? m.horizontalAdvance(text) - ink.left()
                                                           : ink.right() + 1;
        Need(l, text, {need, m.height()}, room.size());
        Seen(l, text,
             QStyle::alignedRect(l->layoutDirection(), l->alignment(),
                                 QSize(need, m.height()).boundedTo(room.size()), room));
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
        const QSize need(m.horizontalAdvance(Shown(o.text)), m.height());
        Need(b, o.text, need, room.size());
        Seen(b, o.text,
             QStyle::alignedRect(b->layoutDirection(),
                                 check ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter,
                                 need.boundedTo(room.size()), room));
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
        Seen(c, c->currentText(), room);
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
        Check_Painted(window);
    }

    // The small type, 8 points as drawn at 96 ppi (10.67 pixels), is drawn at
    // the whole pixel size nearest to it on either screen.
    void Check_Small_Type(const QWidget* window, std::initializer_list<const char*> names) {
        for (const char* name : names) {
            const auto* w = window->findChild<const QWidget*>(name);
            if (!w) {
                misfits << QString("%1/%2: missing").arg(window->windowTitle(), name);
                continue;
            }
            const int px = QFontInfo(w->font()).pixelSize();
            if (px != 11) Misfit(w, name, QString("small type drawn at %1 pixels, not 11").arg(px));
        }
    }

    // A box, as the program shows it, is at least as wide as its title.
    void Check_Box(const MsgBoxCall& call) {
        const std::unique_ptr<QMessageBox> box = Msg_Box_Window(call);
        box->show();
        QStyleOptionTitleBar o;
        o.initFrom(box.get());
        o.text = call.title;
        o.titleBarFlags = Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint;
        o.rect = QRect(0, 0, box->width(), 24);
        const QRect label = box->style()->subControlRect(QStyle::CC_TitleBar, &o,
                                                         QStyle::SC_TitleBarLabel, box.get());
        QFont bold = box->font();
        bold.setBold(true);
        Need(box.get(), call.title, {QFontMetrics(bold).horizontalAdvance(call.title), 0},
             {label.width(), 0});
        Check_Window(box.get());
        box->hide();
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
        Check_Small_Type(&f, {"FD_List_Filter"});
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
    Check_Small_Type(&o, {"Combo1", "Label1", "Label2", "Label3", "Label4"});
    Sequencer& s = Sequencer::get();
    s.Form_Show();
    Check_Window(&s);
    Patch_MKS70& mks = Patch_MKS70::get();
    mks.Form_Show();
    Check_Window(&mks);
    Check_Small_Type(&mks, {"Patch_Name", "Tone_Number", "Split_Point"});
    const std::vector<Painted_Caption> panel =
        Check_Picture(&mks, [] { return Draw_Picture(Pic::MKS70_Panel); });
    // Each control's printed name stands beside it, on its side: the panel
    // lists them in its own order.
    auto caption = panel.begin();
    for (const MKS70_Panel_Spec& s : MKS70_Panel_Controls) {
        caption = std::find_if(caption, panel.end(),
                               [&](const Painted_Caption& c) { return c.text == s.label; });
        ASSERT_NE(caption, panel.end()) << s.name;
        const QRect control(s.left, s.top, s.width, s.height), ink = caption->ink;
        // Twice the centres, to stay in whole pixels.
        const int across = (ink.left() + ink.right()) - (control.left() + control.right());
        const int up_down = (ink.top() + ink.bottom()) - (control.top() + control.bottom());
        const int gap = s.side == 'l'   ? control.left() - ink.right() - 1
                        : s.side == 'r' ? ink.left() - control.right() - 1
                        : s.side == 'a' ? control.top() - ink.bottom() - 1
                                        : ink.top() - control.bottom() - 1;
        const bool beside = s.side == 'l' || s.side == 'r';
        if (gap < 1 || (beside && gap > 6) || std::abs(beside ? up_down : across) > 2)
            Misfit(&mks, s.label,
                   QString("drawn at %1,%2 %3x%4 for its control %5 at %6,%7 %8x%9 (side %10)")
                       .arg(ink.x())
                       .arg(ink.y())
                       .arg(ink.width())
                       .arg(ink.height())
                       .arg(s.name)
                       .arg(s.left)
                       .arg(s.top)
                       .arg(s.width)
                       .arg(s.height)
                       .arg(s.side));
        ++caption;
    }
    Patch& patch = Patch::get();
    patch.Form_Show();
    Check_Window(&patch);
    Check_Picture(&patch, [] { return Draw_Picture(Pic::Patch_Panel); });
    Check_Picture(h.Pic_Howto_Bk, Howto_Background_Picture);
    Check_Window(&TName::get());

    // The boxes of the commands that only answer with one, and of the closing.
    boxes.clear();
    Quorlen& main = Quorlen::get();
    main.Menu_File_Osc_SaveAs_Click();
    Synth_Type = "MKS-70";
    main.Menu_Tone_Patch_Click();
    Tone_Saved = false;
    boxes.answers = {Mb::Cancel};
    main.MDIForm_QueryUnload();
    ASSERT_GE(boxes.calls.size(), 3u);
    for (const MsgBoxCall& call : boxes.calls) Check_Box(call);

    Set_Input_Box_Hook([&](Input_Dlg& d) {
        Check_Window(&d);
        d.Input_OK_Click();
    });
    Input_Box("Please enter a name for the new folder in:\r/home/user/tones", "Create new folder",
              "folder");
    Set_Input_Box_Hook({});

    EXPECT_TRUE(misfits.empty()) << misfits.join('\n').toStdString();
}

// Each window that opens inside the main window of its first size is seen
// whole there; a window built around a panel of fixed pixels is that panel in
// its frame.
TEST_F(LooksTest, WindowsOpenInSight) {
    Write_Settings("[MIDI]\nOutput=Synth Out\nInput=Synth In\n");
    Set_Screen_PPI_Override(qRound(QGuiApplication::primaryScreen()->logicalDotsPerInchY()));
    Start_Program();
    Quorlen& main = Quorlen::get();
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    // The first size is the outer size, frame and title bar included.
    EXPECT_EQ(main.frameGeometry().width(), 541);
    EXPECT_EQ(main.frameGeometry().height(), 508);
    const QRect area = main.Mdi_Area()->viewport()->rect();
    const struct {
        const char* name;
        std::function<Mdi_Form*()> open;
        QSize panel; // empty: no panel of fixed pixels
    } rows[] = {
        {"JX-8P editor", [] { return &Editor::get(); }, {528, 456}},
        {"Alpha Juno editor",
         [] {
             Synth_Type = "Alpha Juno";
             Set_Synth();
             return &Editor_Juno::get();
         },
         {528, 412}},
        {"patch",
         [&] {
             Synth_Type = "JX-8P";
             Set_Synth();
             main.Menu_Tone_Patch_Click();
             return &Patch::get();
         },
         {288, 169}},
        {"MKS-70 patch",
         [] {
             Patch_MKS70::get().Form_Show();
             return &Patch_MKS70::get();
         },
         {332, 421}},
        {"sequencer",
         [&] {
             main.Menu_MIDI_Seq_Click();
             return &Sequencer::get();
         },
         {}},
        {"oscillator",
         [&] {
             main.Menu_MIDI_Osc_Click();
             return &Oscillator::get();
         },
         {}},
    };
    for (const auto& row : rows) {
        Mdi_Form* w = row.open();
        ASSERT_TRUE(w->frame()->isVisible()) << row.name;
        EXPECT_TRUE(area.contains(w->frame()->geometry()))
            << row.name << " at " << w->frame()->x() << "," << w->frame()->y() << " "
            << w->frame()->width() << "x" << w->frame()->height() << " in " << area.width() << "x"
            << area.height();
        const auto text = [](QSize s) {
            return std::to_string(s.width()) + "x" + std::to_string(s.height());
        };
        if (!row.panel.isEmpty()) EXPECT_EQ(text(w->size()), text(row.panel)) << row.name;
    }
}
