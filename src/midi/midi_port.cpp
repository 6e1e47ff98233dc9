#include "midi/midi_port.h"
#include "app/settings.h"
#include "midi/routines.h"
#include "midi/sysex.h"
#include "platform/handlers.h"
#include "platform/msgbox.h"
#include <cmath>

MIDI_Port MIDI_Out_Port, MIDI_In_Port;
std::vector<MIDI_Caps> MIDI_Out_Caps, MIDI_In_Caps;
MIDI_Hdr MIDI_Out_Hdr;
std::uint8_t MIDI_Enabled = 0;
std::uint8_t MIDI_Channel = 1;
std::uint8_t AutoSend_On = 1;
std::uint8_t AutoPlay_On = 1;
int MIDI_Setup_Needed = 0;
int MIDI_Receiving = 0;
int Seq_Status = 0x90;
QString Synth_Type = "JX-8P";

namespace {
// Set while an error closes the port: a failure inside that close has been
// reported already and must not close (and report) again.
bool g_errorClosing = false;
} // namespace

void Midi_Port_Reset() {
    MIDI_Out_Port = MIDI_Port{};
    MIDI_In_Port = MIDI_Port{};
    MIDI_Out_Caps.clear();
    MIDI_In_Caps.clear();
    MIDI_Out_Hdr = MIDI_Hdr{};
    MIDI_Enabled = 0;
    MIDI_Channel = 1;
    AutoSend_On = 1;
    AutoPlay_On = 1;
    MIDI_Setup_Needed = 0;
    MIDI_Receiving = 0;
    Seq_Status = 0x90;
    Synth_Type = "JX-8P";
    g_errorClosing = false;
}

namespace {

// A port that keeps answering "still playing" is given up after this many turns.
constexpr int Close_Retries = 500;

std::uint32_t pack(int status, int d1, int d2) {
    return static_cast<std::uint32_t>((status & 0xFF) | ((d1 & 0xFF) << 8) | ((d2 & 0xFF) << 16));
}

int channel_bits() {
    return (MIDI_Channel - 1) & 0x0F;
}

QString error_text(int r) {
    QString text = "Unknown error";
    Midi_Host().errorText(r, text);
    return text;
}

void fill_caps(std::vector<MIDI_Caps>& caps, int n, QString (MidiHost::*name)(int)) {
    caps.assign(static_cast<size_t>(n), {});
    for (int i = 0; i < n; ++i) caps[i].szPname = StripNull((Midi_Host().*name)(i));
}

int find_device(const std::vector<MIDI_Caps>& caps, const QString& name) {
    const QString wanted = name.trimmed();
    for (size_t i = 0; i < caps.size(); ++i)
        if (caps[i].szPname.trimmed() == wanted) return static_cast<int>(i);
    return -1;
}

bool config_port(MIDI_Port& port, const std::vector<MIDI_Caps>& caps, const char* key,
                 const char* kind) {
    const QString v = StripNull(INI_Read("MIDI", key, "Not configured"));
    if (v == "Not configured") {
        Msg_Box(QString("MIDI %1 device not configured - starting MIDI setup.").arg(kind));
        MIDI_Setup_Needed = 1;
        return true;
    }
    port.Dev_Index = static_cast<std::int16_t>(find_device(caps, v));
    if (port.Dev_Index >= 0) {
        port.Dev_Name = v.trimmed();
    } else {
        Msg_Box(QString("MIDI %1 device (%2) not available - starting MIDI setup.").arg(kind, v));
        MIDI_Setup_Needed = 1;
    }
    return true;
}
} // namespace

QString StripNull(const QString& s) {
    const qsizetype nul = s.indexOf(QChar(0));
    return (nul < 0 ? s : s.left(nul)).trimmed();
}

bool MIDI_Init() {
    const bool devices = MIDI_GetDevices();
    const bool config = MIDI_ReadConfig();
    MIDI_Receiving = 0;
    return devices && config;
}

bool MIDI_GetDevices() {
    bool result = false;
    const int n = Midi_Host().outCount();
    if (n == 0) {
        Msg_Box("No MIDI output device installed. MIDI functions disabled");
        AutoSend_On = 0;
        MIDI_Enabled = 0;
        MIDI_Out_Caps.clear();
    } else {
        fill_caps(MIDI_Out_Caps, n, &MidiHost::outName);
        MIDI_Receiving = 0;
        MIDI_Enabled = 1;
        result = true;
    }
    MIDI_Out_Port.Handle = -1;

    const int m = Midi_Host().inCount();
    if (m == 0) {
        Msg_Box("No MIDI input device installed. MIDI functions disabled");
        MIDI_In_Caps.clear();
    } else {
        fill_caps(MIDI_In_Caps, m, &MidiHost::inName);
        result = true;
    }
    MIDI_In_Port.Handle = -1;
    return result;
}

bool MIDI_ReadConfig() {
    bool ok = false;
    const double v = std::fabs(INI_Read("MIDI", "Channel", "1").toDouble(&ok));
    const double ch = std::nearbyint(v); // halves to even, as everywhere
    MIDI_Channel = (ok && ch >= 1 && ch <= 16) ? static_cast<std::uint8_t>(ch) : 1;
    // The audition key plays step notes before any start has set the status.
    Seq_Status = 0x90 + channel_bits();
    if (MIDI_Enabled != 1) return false;
    const bool out = MIDI_Out_Config();
    const bool in = MIDI_In_Config();
    return out && in;
}

bool MIDI_Out_Config() {
    return config_port(MIDI_Out_Port, MIDI_Out_Caps, "OUTPUT", "output");
}
bool MIDI_In_Config() {
    return config_port(MIDI_In_Port, MIDI_In_Caps, "INPUT", "input");
}
int MIDI_Out_FindDevice(const QString& name) {
    return find_device(MIDI_Out_Caps, name);
}
int MIDI_In_FindDevice(const QString& name) {
    return find_device(MIDI_In_Caps, name);
}

// A handler whose window has gone meanwhile sends nothing more; closing the
// port is still allowed.
void MIDI_Out_Open() {
    if (MIDI_Enabled != 1 || MIDI_Out_Port.Handle != -1 || Handler_Stopped()) return;
    MidiHandle h = -1;
    const int r = Midi_Host().outOpen(MIDI_Out_Port.Dev_Index, h);
    if (r == MidiResult::Ok) {
        MIDI_Out_Port.Handle = h;
        return;
    }
    MIDI_Out_ShowError(r, "MIDI_Out_Open");
    MIDI_Out_Port.Handle = -1;
    MIDI_Enabled = 0;
}

void MIDI_Out_Close() {
    // An open port is closed even with MIDI disabled, so that a caller looping
    // until the handle is -1 always comes to an end.
    if (MIDI_Out_Port.Handle == -1) return;
    MIDI_AllNotesOff();
    if (MIDI_Out_Port.Handle == -1) return; // the all-notes-off failed and closed the port
    int r = MidiResult::Ok;
    for (int tries = 0; tries < Close_Retries; ++tries) {
        Do_Events();
        if (MIDI_Out_Port.Handle == -1) return; // closed by a handler that ran meanwhile
        r = Midi_Host().outClose(MIDI_Out_Port.Handle);
        if (r != MidiResult::StillPlaying) break;
    }
    MIDI_Out_Port.Handle = -1;
    MIDI_Out_ShowError(r, "MIDI_Out_Close");
}

void MIDI_Out_Close_All() {
    while (MIDI_Out_Port.Handle != -1) MIDI_Out_Close();
}

int MIDI_Put(const std::string& s) {
    if (Handler_Stopped()) return MidiResult::Ok;
    if (MIDI_Out_Port.Handle == -1) MIDI_Out_Open();
    auto byte = [&](size_t i) { return i < s.size() ? static_cast<std::uint8_t>(s[i]) : 0; };
    const int r = Midi_Host().outShortMsg(MIDI_Out_Port.Handle, pack(byte(0), byte(1), byte(2)));
    if (r != 0) MIDI_Out_ShowError(r, "MIDI_Put");
    return r;
}

void MIDI_AllNotesOff() {
    SysEx_Str = std::string{static_cast<char>(0xB0 + channel_bits()), 0x7B, 0x00};
    if (MIDI_Enabled != 1) return;
    MIDI_Out_Open();
    MIDI_Put(SysEx_Str);
}

void MIDI_SendNote(int note, int velocity) {
    if (MIDI_Enabled != 1 || Handler_Stopped()) return;
    MIDI_Out_Open();
    const int r =
        Midi_Host().outShortMsg(MIDI_Out_Port.Handle, pack(0x90 + channel_bits(), note, velocity));
    if (r != 0) MIDI_Out_ShowError(r, "MIDI_SendNote");
}

void Seq_SendAllNotesOff() {
    if (MIDI_Enabled != 1 || Handler_Stopped()) return;
    Seq_Status = 0xB0 + channel_bits();
    MIDI_Out_Open();
    const int r =
        Midi_Host().outShortMsg(MIDI_Out_Port.Handle, pack(0xB0 + channel_bits(), 0x7B, 0));
    if (r != 0) MIDI_Out_ShowError(r, "Seq_SendAllNotesOff");
    Seq_Status = 0x90 + channel_bits();
}

void Seq_SendNote(int d1, int d2) {
    if (Handler_Stopped()) return;
    const int r = Midi_Host().outShortMsg(MIDI_Out_Port.Handle, pack(Seq_Status, d1, d2));
    if (r != 0) MIDI_Out_ShowError(r, "Seq_SendNote");
}

void MIDI_SendSysEx(const std::string& s) {
    if (MIDI_Enabled != 1 || Handler_Stopped()) return;
    MIDI_Out_Open();
    // The bytes stay in MIDI_Out_Hdr until the next long message, past the unprepare.
    MIDI_Out_Hdr.lpData = Seven_Bit_Data(s);
    MIDI_Out_Hdr.dwBufferLength = MIDI_Out_Hdr.dwBytesRecorded =
        static_cast<std::uint32_t>(s.size());
    MIDI_Out_Hdr.dwUser = MIDI_Out_Hdr.dwFlags = 0;
    MidiHost& host = Midi_Host();
    const MidiHandle h = MIDI_Out_Port.Handle;
    const int r = host.outPrepareHeader(h, MIDI_Out_Hdr.lpData);
    if (r != 0) MIDI_Out_ShowLongError(r, "OutPreparerHeader");
    host.outLongMsg(h, MIDI_Out_Hdr.lpData);
    Do_Events();
    host.outUnprepareHeader(h, MIDI_Out_Hdr.lpData);
}

std::string Seven_Bit_Data(std::string s) {
    bool inside = false;
    for (size_t i = 0; i < s.size(); ++i) {
        const auto b = static_cast<std::uint8_t>(s[i]);
        if (b < 0x80) continue;
        if (!inside && b == 0xF0) {
            inside = true;
            continue;
        }
        // An F7 ends the message only where the buffer or the next message begins.
        const bool next_starts = i + 1 == s.size() || static_cast<std::uint8_t>(s[i + 1]) == 0xF0;
        if (inside && b == 0xF7 && next_starts) {
            inside = false;
            continue;
        }
        s[i] = static_cast<char>(b & 0x7F);
    }
    return s;
}

void MIDI_Out_ShowError(int r, const QString& location) {
    if (r == 0 || g_errorClosing) return;
    Msg_Box(location + "*: (" + QString::number(r) + ") " + error_text(r));
    if (r > 0) {
        g_errorClosing = true;
        MIDI_Out_Close();
        g_errorClosing = false;
        MIDI_Enabled = 0;
    }
}

void MIDI_Out_ShowLongError(int r, const QString& location) {
    Msg_Box(location + "\r\n" + error_text(r));
}
