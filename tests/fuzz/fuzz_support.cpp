#include "fuzz_support.h"
#include "app/dlg.h"
#include "app/quorlen.h"
#include "dialogs/file_dlg.h"
#include "platform/host.h"
#include "support/fake_midi_host.h"
#include "support/reset.h"
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

namespace {
QTemporaryDir* g_folder = nullptr;
FakeMidiHost* g_midi = nullptr;
Fuzz_Box_Log g_boxes;

int answer(const MsgBoxCall& call) {
    g_boxes.calls.push_back(call);
    const bool first = g_boxes.asked < 32 && ((g_boxes.answers >> g_boxes.asked) & 1);
    switch (call.style & 0x0F) {
    case Mb::OkOnly:
        return Mb::Ok;
    case Mb::OkCancel:
        ++g_boxes.asked;
        return first ? Mb::Ok : Mb::Cancel;
    case Mb::AbortRetryIgnore:
        ++g_boxes.asked;
        return first ? Mb::Abort : Mb::Ignore;
    case Mb::YesNoCancel:
    case Mb::YesNo:
        ++g_boxes.asked;
        return first ? Mb::Yes : Mb::No;
    default:
        ++g_boxes.asked;
        return first ? Mb::Retry : Mb::Cancel;
    }
}
} // namespace

// AddressSanitizer keeps the call stack of every allocation, each distinct
// one for good. Its fast unwinder follows frame pointers, which Qt and the C
// library do not keep: past an allocation's caller it reads stale stack
// words, stacks that never repeat, and a long run grows by kilobytes an input
// until it passes the memory limit. The allocator and its caller are always
// sound; for longer stacks rerun a saved input with malloc_context_size=30.
extern "C" __attribute__((visibility("default"))) const char* __asan_default_options() {
    return "malloc_context_size=2";
}

void Fuzz_Setup() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt takes arguments it knows out of argv: it gets none of libFuzzer's.
    static int argc = 1;
    static char name[] = "quorlen-fuzz";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
    // The run's own temporary folder when it gives one, else one in memory:
    // saves sync to disk.
    const QString shm = "/dev/shm";
    const QString base = !qEnvironmentVariableIsEmpty("TMPDIR") ? QDir::tempPath()
                         : QFileInfo(shm).isWritable()          ? shm
                                                                : QDir::tempPath();
    g_folder = new QTemporaryDir(base + "/quorlen-fuzz-XXXXXX");
    if (!g_folder->isValid()) Fuzz_Fail("temporary folder", base.toStdString());
    std::atexit([] { delete g_folder; });
    // The program's own scratch files go there too.
    qputenv("TMPDIR", g_folder->path().toLocal8Bit());
    Set_MsgBox_Handler(answer);
}

void Fuzz_Start_Program(const QByteArray& more_settings) {
    Reset_Program();
    g_midi = &Install_Fake_Midi();
    // Nobody is there to work a dialog that the program waits on: it is cancelled.
    Set_Dlg_Wait_Hook([] {
        if (File_Dlg::loaded() && Dlg_Open == "File_Dlg") File_Dlg::get().Form_Unload();
    });
    Set_Sound_Hook([](const QString&) {});
    Set_Program_Folder(Fuzz_Folder());
    Fuzz_Write_File(Fuzz_Path("Quorlen.INI"),
                    "[MIDI]\r\nOutput=Synth Out\r\nInput=Synth In\r\n" + more_settings);
    Quorlen::get();
    Fuzz_Boxes_Reset();
}

FakeMidiHost& Fuzz_Midi() {
    return *g_midi;
}

void Fuzz_Input_Done() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QString Fuzz_Folder() {
    return g_folder->path();
}

QString Fuzz_Path(const QString& name) {
    return g_folder->filePath(name);
}

void Fuzz_Write_File(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        Fuzz_Fail("writing the input file", path.toStdString());
}

QByteArray Fuzz_Read_File(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

const Fuzz_Box_Log& Fuzz_Boxes() {
    return g_boxes;
}

void Fuzz_Boxes_Reset(std::uint32_t answers) {
    g_boxes.calls.clear();
    g_boxes.answers = answers;
    g_boxes.asked = 0;
}

std::string Fuzz_Box_Texts() {
    std::string out;
    for (const MsgBoxCall& c : g_boxes.calls) out += "[" + c.text.toStdString() + "] ";
    return out;
}

void Fuzz_Fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "\n*** broken property: %s\n    %s\n", what, detail.c_str());
    std::fflush(stderr);
    std::abort();
}

std::uint32_t Fuzz_Hash(const std::uint8_t* data, std::size_t size) {
    std::uint32_t h = 2166136261u; // FNV-1a
    for (std::size_t i = 0; i < size; ++i) h = (h ^ data[i]) * 16777619u;
    return h;
}

std::string Fuzz_Hex(const QByteArray& bytes) {
    return bytes.toHex(' ').toUpper().toStdString();
}
