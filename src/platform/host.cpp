#include "platform/host.h"
#include "platform/file_io.h"
#include <QApplication>
#include <QFontDatabase>
#include <QHash>
#include <QKeyEvent>
#include <QScreen>
#include <QSysInfo>
#include <cmath>
#include <fontconfig/fontconfig.h>
#include <pthread.h>
#include <sched.h>
#include <unistd.h>

namespace {
QString g_folder;
int g_ppiOverride = 0;
std::function<void(const QString&)> g_soundHook;
QHash<QString, int> g_fonts; // path -> font id
int g_lastError = 0;
constexpr qint64 Font_Max_Size = 64 << 20;
} // namespace

QString Executable_Folder() {
    // Qt gives no path for a folder whose name is not UTF-8.
    QByteArray exe(4096, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", exe.data(), static_cast<size_t>(exe.size()));
    const qsizetype slash = n > 0 && n < exe.size() ? exe.left(n).lastIndexOf('/') : -1;
    if (slash < 0) return QCoreApplication::applicationDirPath();
    return slash == 0 ? QStringLiteral("/") : Name_From_Bytes(exe.left(slash));
}

QString Program_Folder() {
    return g_folder.isEmpty() ? Executable_Folder() : g_folder;
}
void Set_Program_Folder(const QString& folder) {
    g_folder = folder;
}

int Host_Screen_PPI() {
    if (g_ppiOverride) return g_ppiOverride;
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? static_cast<int>(std::lround(s->logicalDotsPerInchY())) : 96;
}
void Set_Screen_PPI_Override(int ppi) {
    g_ppiOverride = ppi;
}
double Twips_Per_Pixel_X() {
    return 1440.0 / Host_Screen_PPI();
}
double Twips_Per_Pixel_Y() {
    return 1440.0 / Host_Screen_PPI();
}
int Host_Screen_Height() {
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->geometry().height() : 768;
}

int Host_Play_Sound(const QString& name, int) {
    // No sound scheme on this host: nothing is played, and callers beep instead.
    if (g_soundHook) g_soundHook(name);
    return 0;
}
void Host_Beep() {
    if (g_soundHook) g_soundHook("beep");
    QApplication::beep();
}
void Set_Sound_Hook(std::function<void(const QString&)> hook) {
    g_soundHook = std::move(hook);
}

namespace {
void* read_font_configuration(void*) {
    FcInit();
    return nullptr;
}

// Joined at exit too, should nothing have waited for it.
struct Fonts_Thread {
    pthread_t id{};
    bool running = false;
    void join() {
        if (running) pthread_join(id, nullptr);
        running = false;
    }
    ~Fonts_Thread() { join(); }
} g_fontsThread;
} // namespace

void Host_Fonts_Prepare() {
    if (g_fontsThread.running) return;
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    // The scheduler queues a new thread behind its maker on the maker's
    // processor, and start-up does not sleep: the thread would wait for the
    // very work it is meant to run beside. It is sent to another processor.
    cpu_set_t cpus;
    const int here = sched_getcpu();
    if (here >= 0 && sched_getaffinity(0, sizeof cpus, &cpus) == 0 && CPU_COUNT(&cpus) > 1) {
        CPU_CLR(here, &cpus);
        pthread_attr_setaffinity_np(&attr, sizeof cpus, &cpus);
    }
    g_fontsThread.running =
        pthread_create(&g_fontsThread.id, &attr, read_font_configuration, nullptr) == 0;
    pthread_attr_destroy(&attr);
}

void Host_Fonts_Wait() {
    g_fontsThread.join();
}

int Host_Add_Font(const QString& path) {
    Host_Fonts_Wait();
    // Only a regular file is handed over: reading a pipe would wait for a writer.
    QByteArray data;
    if (Path_Kind(path) != Path_Type::File || Read_File(path, Font_Max_Size, data) != 0) {
        g_lastError = 2; // file not found
        return 0;
    }
    // Read here: Qt cannot open a file whose name is not UTF-8.
    const int id = QFontDatabase::addApplicationFontFromData(data);
    if (id < 0) {
        g_lastError = 11; // bad format
        return 0;
    }
    g_fonts.insert(path, id);
    return static_cast<int>(QFontDatabase::applicationFontFamilies(id).size());
}

int Host_Remove_Font(const QString& path) {
    const auto it = g_fonts.find(path);
    if (it == g_fonts.end() || !QFontDatabase::removeApplicationFont(*it)) {
        g_lastError = 2;
        return 0;
    }
    g_fonts.erase(it);
    return 1;
}
int Host_Last_Error() {
    return g_lastError;
}

namespace {
std::uint32_t g_versionOverride = 0;
}

// The folder, the sound hook and the wait hooks belong to whoever embeds the
// program (the tests set them around it), and the fonts stay registered with Qt.
void Host_Reset() {
    g_ppiOverride = 0;
    g_lastError = 0;
    g_versionOverride = 0;
}

void Set_Host_Version_Override(std::uint32_t version) {
    g_versionOverride = version;
}

std::uint32_t Host_Get_Version() {
    if (g_versionOverride != 0) return g_versionOverride;
    const QStringList parts = QSysInfo::kernelVersion().split('.');
    const unsigned major = parts.value(0).toUInt();
    const unsigned minor = parts.size() > 1 ? QString(parts[1]).section('-', 0, 0).toUInt() : 0;
    return (major & 0xFF) | ((minor & 0xFF) << 8);
}

int Mouse_Button(Qt::MouseButtons b) {
    int v = 0;
    if (b & Qt::LeftButton) v |= 1;
    if (b & Qt::RightButton) v |= 2;
    if (b & Qt::MiddleButton) v |= 4;
    return v;
}

int Shift_State(Qt::KeyboardModifiers m) {
    int v = 0;
    if (m & Qt::ShiftModifier) v |= 1;
    if (m & Qt::ControlModifier) v |= 2;
    if (m & Qt::AltModifier) v |= 4;
    return v;
}

int Virtual_Key(const QKeyEvent& e) {
    const int k = e.key();
    const bool pad = e.modifiers() & Qt::KeypadModifier;
    if (pad) {
        if (k >= Qt::Key_0 && k <= Qt::Key_9) return Vk::Numpad0 + (k - Qt::Key_0);
        switch (k) {
        case Qt::Key_Plus:
            return Vk::Add;
        case Qt::Key_Minus:
            return Vk::Subtract;
        case Qt::Key_Asterisk:
            return Vk::Multiply;
        case Qt::Key_Slash:
            return Vk::Divide;
        case Qt::Key_Period:
        case Qt::Key_Comma:
            return Vk::Decimal;
        default:
            break; // keypad arrows, Home, End... as the main ones
        }
    }
    if (k >= Qt::Key_0 && k <= Qt::Key_9) return Vk::Key0 + (k - Qt::Key_0);
    if (k >= Qt::Key_A && k <= Qt::Key_Z) return Vk::KeyA + (k - Qt::Key_A);
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24) return Vk::F1 + (k - Qt::Key_F1);
    switch (k) {
    case Qt::Key_Backspace:
        return Vk::Back;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return Vk::Tab;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return Vk::Return;
    case Qt::Key_Shift:
        return Vk::Shift;
    case Qt::Key_Control:
        return Vk::Control;
    case Qt::Key_Alt:
        return Vk::Menu;
    case Qt::Key_Escape:
        return Vk::Escape;
    case Qt::Key_Space:
        return Vk::Space;
    case Qt::Key_PageUp:
        return Vk::Prior;
    case Qt::Key_PageDown:
        return Vk::Next;
    case Qt::Key_End:
        return Vk::End;
    case Qt::Key_Home:
        return Vk::Home;
    case Qt::Key_Left:
        return Vk::Left;
    case Qt::Key_Up:
        return Vk::Up;
    case Qt::Key_Right:
        return Vk::Right;
    case Qt::Key_Down:
        return Vk::Down;
    case Qt::Key_Insert:
        return Vk::Insert;
    case Qt::Key_Delete:
        return Vk::Delete;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        return Vk::OemPlus;
    case Qt::Key_Minus:
    case Qt::Key_Underscore:
        return Vk::OemMinus;
    case Qt::Key_Comma:
        return Vk::OemComma;
    case Qt::Key_Period:
        return Vk::OemPeriod;
    default:
        return 0;
    }
}
