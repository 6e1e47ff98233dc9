#include "app/recent.h"
#include "app/quorlen.h"
#include "app/save_as.h"
#include "midi/routines.h"
#include "midi/tone_files.h"
#include "platform/file_io.h"
#include "platform/profile.h"
#include "sequencer/sequence.h"
#include <QAction>

std::array<QString, 4> Recent_Tone;
std::array<QString, 4> Recent_Seq;

void Recent_Reset() {
    Recent_Tone.fill(QString());
    Recent_Seq.fill(QString());
}

namespace {
// Only names the settings give back as they are: a line break would write
// lines of its own there, and one may come from the file itself, a lone CR
// inside a line; blanks at a name's ends are trimmed on the way, and a file's
// name may end in one: the trimmed name would be another file.
bool kept(const QString& name) {
    return Profile_Keeps(name) && name == name.trimmed();
}

// Names keep their letter case and compare exactly: on this file system
// names that differ in case are different files.
void recent_add(std::array<QString, 4>& e, QString name, QAction* separator,
                const std::array<QAction*, 4>& items) {
    if (!kept(name)) name.clear();
    for (QString& entry : e)
        if (!kept(entry) || !File_Exists(entry)) entry.clear();
    File_Err = 0;
    if (!name.isEmpty()) {
        if (name == e[2]) {
            e[2] = e[1];
            e[1] = e[0];
            e[0] = name;
        } else if (name == e[1]) {
            e[1] = e[0];
            e[0] = name;
        } else if (name != e[0]) {
            e[3] = e[2];
            e[2] = e[1];
            e[1] = e[0];
            e[0] = name;
        }
    }
    bool any = false;
    for (const QString& entry : e) any = any || !entry.isEmpty();
    separator->setVisible(any);
    for (int k = 0; k < 4; ++k) {
        if (e[k].isEmpty()) {
            items[k]->setVisible(false);
            continue;
        }
        // An "&" in a path is text, not an access key.
        QString shown = Name_Shown(e[k]);
        shown.replace("&", "&&");
        items[k]->setText("&" + QString::number(k + 1) + " " + shown);
        items[k]->setVisible(true);
    }
}
} // namespace

void Recent_Tone_Add(QString name) {
    Quorlen& m = Quorlen::get();
    recent_add(Recent_Tone, std::move(name), m.Menu_File_SYX_Trenn_1, m.Menu_File_SYX_N);
}

void Recent_Seq_Add(QString name) {
    Quorlen& m = Quorlen::get();
    recent_add(Recent_Seq, std::move(name), m.Menu_File_Seq_Trenn_1, m.Menu_File_Seq_N);
}

void Menu_File_SYX_N_Click(int k) {
    if (k < 1 || k > 4) return;
    const QString entry = Recent_Tone[k - 1];
    if (!entry.isEmpty() && Tone_Save_Prompt(true)) Load_SYX(entry, "Open");
}

void Menu_File_Seq_N_Click(int k) {
    if (k < 1 || k > 4) return;
    const QString entry = Recent_Seq[k - 1];
    if (!entry.isEmpty()) Load_SEQ(entry, "Open");
}
