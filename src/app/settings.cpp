#include "app/settings.h"
#include "app/main_module.h"
#include "app/quorlen.h"
#include "app/recent.h"
#include "midi/midi_port.h"
#include "midi/routines.h"
#include "platform/file_io.h"
#include "platform/host.h"
#include "platform/msgbox.h"
#include "platform/profile.h"
#include <QAction>
#include <QGuiApplication>
#include <QScreen>
#include <cmath>
#include <limits>
#include <optional>

QString INI_File;
bool Settings_Loaded = false;

namespace {
// While the settings are read or saved, every key goes through this copy of
// the file: it is read once and written once.
Profile* g_profile = nullptr;
} // namespace

void Settings_Reset() {
    INI_File.clear();
    Settings_Loaded = false;
    g_profile = nullptr;
}

namespace {

const char* const Main_Section = "Main Window";
const char* const Windows_Section = "Windows";
const char* const Midi_Section = "MIDI";
const char* const Recent_Section = "Recent Files";

// The numeric value of a setting's text; nothing when it is not a number.
std::optional<double> number_of(const QString& text) {
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v)) return std::nullopt;
    return v;
}

// A whole number in [lo, hi], halves to the even neighbour; nothing when out of range.
std::optional<int> whole_in(const QString& text, double scale, int lo, int hi) {
    const auto v = number_of(text);
    if (!v) return std::nullopt;
    const double r = std::nearbyint(*v * scale);
    if (r < lo || r > hi) return std::nullopt;
    return static_cast<int>(r);
}

// A number as decimal text without a leading blank, as precise as a single.
QString number_text(double v) {
    if (v == std::floor(v) && std::fabs(v) < 1e9) return QString::number(static_cast<qint64>(v));
    return QString::number(static_cast<float>(v), 'g', 7);
}

QString read(const char* section, const char* key, const QString& def) {
    return INI_Read(section, key, def);
}

// Positions in twips are 16-bit values.
void read_position(const char* key, int& twips, double tpp) {
    if (const auto v = whole_in(read(Windows_Section, key, "0"), tpp, -32768, 32767)) twips = *v;
}

void read_byte(const char* key, const char* def, std::uint8_t& target) {
    if (const auto v = whole_in(read(Midi_Section, key, def), 1.0, 0, 255))
        target = static_cast<std::uint8_t>(*v);
}

// The folder, with a trailing separator, when it lists a normal file; else the current directory.
QString read_folder(const char* key) {
    const QString current = Current_Folder();
    QString folder = read(Recent_Section, key, current);
    if (folder.isEmpty()) folder = current;
    Add_Backslash(folder);
    if (!Folder_Entries(folder, false).isEmpty()) return folder;
    QString fallback = current;
    return Add_Backslash(fallback);
}

// Main window geometry in pixels: the file holds pixels, so a twip value
// divided by twips per pixel is what is kept here.
void load_main_window() {
    Quorlen& m = Quorlen::get();
    const bool old = Win_Version() < 3.95;
    int left = m.x(), top = m.y(), width = m.Outer_Size().width(), height = m.Outer_Size().height();
    constexpr int far = 100000;
    if (const auto v = whole_in(read(Main_Section, "Left", "0"), 1.0, -far, far)) left = *v;
    if (const auto v = whole_in(read(Main_Section, "Top", "0"), 1.0, -far, far)) top = *v;
    // A window too small to use is refused like a value that does not fit.
    if (const auto v = whole_in(read(Main_Section, "Width", old ? "536" : "541"), 1.0, 100, far))
        width = *v;
    if (const auto v = whole_in(read(Main_Section, "Height", old ? "502" : "508"), 1.0, 100, far))
        height = *v;
    const auto state = number_of(read(Main_Section, "State", "0"));
    if (left < 0) left = 0;
    if (top < 0) top = 0;
    // A window placed beyond the screen comes back to its corner.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        if (left > area.right() - 40) left = area.left();
        if (top > area.bottom() - 40) top = area.top();
    }
    m.move(left, top);
    m.Set_Outer_Size(width, height);
    if (state) {
        const double s = std::trunc(*state);
        if (s == 1)
            m.setWindowState(Qt::WindowMinimized);
        else if (s == 2)
            m.setWindowState(Qt::WindowMaximized);
        else if (s == 0)
            m.setWindowState(Qt::WindowNoState);
    }
}

void write(const char* section, const char* key, const QString& value) {
    INI_Write(section, key, value);
}
void write(const char* section, const char* key, double value) {
    INI_Write(section, key, number_text(value));
}

void write_all() {
    Quorlen& m = Quorlen::get();
    const double tx = Twips_Per_Pixel_X(), ty = Twips_Per_Pixel_Y();
    const Qt::WindowStates ws = m.windowState();
    const int state = (ws & Qt::WindowMinimized)                            ? 1
                      : (ws & (Qt::WindowMaximized | Qt::WindowFullScreen)) ? 2
                                                                            : 0;
    write(Main_Section, "Left", m.x());
    write(Main_Section, "Top", m.y());
    if (state == 0) {
        write(Main_Section, "Width", m.Outer_Size().width());
        write(Main_Section, "Height", m.Outer_Size().height());
    }
    write(Main_Section, "State", state);

    write(Midi_Section, "Autoplay", AutoPlay_On);
    write(Midi_Section, "Autosend", AutoSend_On);
    write(Midi_Section, "Sequence Preload", m.Menu_MIDI_Seq_Load->isChecked() ? "1" : "0");
    write(Midi_Section, "Soundcheck", Soundcheck_Mode);
    write(Midi_Section, "Soundcheck Note", Soundcheck_Note);
    write(Midi_Section, "Soundcheck Velocity", Soundcheck_Velocity);
    write(Midi_Section, "Channel", MIDI_Channel);
    write(Midi_Section, "Control Channel", "[Not used]");
    write(Midi_Section, "Synthesizer", Synth_Type);

    write(Windows_Section, "File Dialog Left", FD_Left / tx);
    write(Windows_Section, "File Dialog Top", FD_Top / ty);
    write(Windows_Section, "Patch Left", Patch_Left / tx);
    write(Windows_Section, "Patch Top", Patch_Top / ty);
    write(Windows_Section, "Save Positions", m.Menu_Windows_SavePos->isChecked() ? "1" : "0");
    write(Windows_Section, "Sequencer Left", Seq_Left / tx);
    write(Windows_Section, "Sequencer Top", Seq_Top / ty);

    for (auto [key, dir] : {std::pair{"Tones", Dir_Tones}, std::pair{"Sequences", Dir_Sequences},
                            std::pair{"Oscillators", Dir_Oscillators}}) {
        QString folder = dir;
        if (!folder.isEmpty()) Add_Backslash(folder);
        write(Recent_Section, key, folder);
    }
    for (int k = 0; k < 4; ++k)
        write(Recent_Section, qPrintable("Tone" + QString::number(k + 1)), Recent_Tone[k]);
    for (int k = 0; k < 4; ++k)
        write(Recent_Section, qPrintable("Sequence" + QString::number(k + 1)), Recent_Seq[k]);
}
} // namespace

QString INI_Read(const QString& section, const QString& key, const QString& def) {
    if (INI_File.isEmpty()) return StripNull(def);
    if (g_profile) return StripNull(g_profile->Read(section, key, def));
    return StripNull(Profile_Read(section, key, def, INI_File));
}

void INI_Write(const QString& section, const QString& key, QString value) {
    value = value.trimmed();
    if (INI_File.isEmpty()) return;
    if (g_profile)
        g_profile->Write(section, key, value);
    else
        Profile_Write(section, key, value, INI_File);
}

void Load_Settings() {
    Profile file(INI_File);
    g_profile = &file;
    load_main_window();

    Quorlen& m = Quorlen::get();
    const double tx = Twips_Per_Pixel_X(), ty = Twips_Per_Pixel_Y();
    m.Menu_Windows_SavePos->setChecked(
        read(Windows_Section, "Save Positions", "0").compare("1", Qt::CaseInsensitive) == 0);
    if (m.Menu_Windows_SavePos->isChecked()) {
        read_position("File Dialog Left", FD_Left, tx);
        read_position("File Dialog Top", FD_Top, ty);
        read_position("Patch Left", Patch_Left, tx);
        read_position("Patch Top", Patch_Top, ty);
        read_position("Sequencer Left", Seq_Left, tx);
        read_position("Sequencer Top", Seq_Top, ty);
    }

    Synth_Type = read(Midi_Section, "Synthesizer", "JX-8P");
    AutoPlay_On = read(Midi_Section, "Autoplay", "1") == "1" ? 1 : 0;
    AutoSend_On = read(Midi_Section, "Autosend", "1") == "1" ? 1 : 0;
    m.Menu_MIDI_Seq_Load->setChecked(read(Midi_Section, "Sequence Preload", "0") == "1");
    Soundcheck_Mode = read(Midi_Section, "Soundcheck", "0") == "0" ? 0 : 1;
    read_byte("Soundcheck Note", "24", Soundcheck_Note);
    read_byte("Soundcheck Velocity", "80", Soundcheck_Velocity);

    for (int k = 0; k < 4; ++k)
        Recent_Tone[k] = read(Recent_Section, qPrintable("Tone" + QString::number(k + 1)), "");
    for (int k = 0; k < 4; ++k)
        Recent_Seq[k] = read(Recent_Section, qPrintable("Sequence" + QString::number(k + 1)), "");

    Dir_Tones = read_folder("Tones");
    Dir_Sequences = read_folder("Sequences");
    Dir_Oscillators = read_folder("Oscillators");
    g_profile = nullptr;

    Recent_Tone_Add("");
    Recent_Seq_Add("");
    Settings_Loaded = true;
}

void Save_Settings() {
    // A start-up refused before the settings were read must not overwrite
    // the stored file with values it never read.
    if (!Settings_Loaded || INI_File.isEmpty()) return;

    {
        INI_Batch batch;
        write_all();
    }
    Do_Events();
}

// The file is read once and replaced in one step: an exit cut short leaves
// the old file whole, and a file that cannot be replaced, or was not read, is
// reported, never lost or emptied.
INI_Batch::INI_Batch() {
    if (g_profile || INI_File.isEmpty()) return; // inside another batch: that one writes
    file_ = new Profile(INI_File);
    g_profile = file_;
}

INI_Batch::~INI_Batch() {
    if (!file_) return;
    g_profile = nullptr;
    const int error = file_->Save();
    delete file_;
    if (error != 0)
        Msg_Box("The settings could not be saved to " + Name_Shown(INI_File) + ".",
                Mb::OkOnly | Mb::Exclamation);
}
