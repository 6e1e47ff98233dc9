#include "support/fixture.h"
#include "app/dlg.h"
#include "app/quorlen.h"
#include "dialogs/file_dlg.h"
#include "platform/host.h"
#include <QFile>
#include <cstdio>
#include <ftw.h>

MsgBoxRecorder::MsgBoxRecorder() {
    Set_MsgBox_Handler([this](const MsgBoxCall& call) {
        calls.push_back(call);
        if (!answers.empty()) {
            const int a = answers.front();
            answers.pop_front();
            return a;
        }
        if ((call.style & 0x0F) == Mb::OkOnly) return static_cast<int>(Mb::Ok);
        ADD_FAILURE() << "unanswered box: " << call.text.toStdString();
        return static_cast<int>(Mb::Cancel);
    });
}

MsgBoxRecorder::~MsgBoxRecorder() {
    Set_MsgBox_Handler({});
}

QStringList MsgBoxRecorder::texts() const {
    QStringList out;
    for (const MsgBoxCall& c : calls) out << c.text;
    return out;
}

std::string Bytes(const char* hex) {
    std::string out;
    for (const QString& t : QString(hex).split(' ', Qt::SkipEmptyParts))
        out.push_back(static_cast<char>(t.toUInt(nullptr, 16)));
    return out;
}

std::string Hex_Of(const std::string& bytes) {
    std::string out;
    static const char d[] = "0123456789ABCDEF";
    for (unsigned char c : bytes) {
        if (!out.empty()) out += ' ';
        out += d[c >> 4];
        out += d[c & 15];
    }
    return out;
}

void Remove_Tree(const QString& path) {
    ::nftw(
        QFile::encodeName(path).constData(),
        [](const char* name, const struct stat*, int, FTW*) { return std::remove(name), 0; }, 16,
        FTW_DEPTH | FTW_PHYS);
}

ProgramTest::ProgramTest() : midi(Install_Fake_Midi()) {
    Reset_Program();
    // Nobody is there to answer a dialog someone waits on: it is cancelled,
    // unless the test works it itself.
    Set_Dlg_Wait_Hook([] {
        if (File_Dlg::loaded() && Dlg_Open == "File_Dlg") File_Dlg::get().Form_Unload();
    });
    Set_Program_Folder(folder.path());
    Set_Sound_Hook([this](const QString& s) { sounds << s; });
}

ProgramTest::~ProgramTest() {
    Set_Dlg_Wait_Hook({});
    Reset_Program();
    Set_Sound_Hook({});
    Set_Program_Folder(QString());
    Remove_Tree(folder.path());
}

void ProgramTest::Start_Program() {
    Quorlen::get();
}

void ProgramTest::Write_Settings(const QString& text) {
    QFile f(folder.filePath("Quorlen.INI"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text.toUtf8());
}

QString ProgramTest::Settings_Text() const {
    QFile f(folder.filePath("Quorlen.INI"));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll());
}

void ProgramTest::Provide_Display_Font() {
    const QString built = QStringLiteral(QUORLEN_DISPLAY_FONT);
    if (QFile::exists(built)) QFile::copy(built, folder.filePath("JX8P.FNT"));
}
