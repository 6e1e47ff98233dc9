#include "program.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <csignal>
#include <cstring>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace acc {
namespace {
void Copy(const QString& from, const QString& to) {
    ASSERT_TRUE(QFile::copy(from, to)) << "cannot copy " << from.toStdString();
    QFile::setPermissions(to, QFile::permissions(from) | QFileDevice::WriteOwner);
}

// Line breaks as the selection gives them; a trailing one is not shown.
std::string Shown(std::string s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r') {
            out += '\n';
            if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
        } else {
            out += s[i];
        }
    }
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}
} // namespace

Program::Program(bool module, const std::string& folder) {
    dir_ = QFileInfo(temp_.path()).canonicalFilePath().toStdString();
    const QString dir = QString::fromStdString(dir_);
    Copy(QUORLEN_PROGRAM, dir + "/quorlen");
    Copy(QUORLEN_FONT, dir + "/JX8P.FNT");
    if (module)
        Copy(QUORLEN_MODULE, dir + "/libquorlen_rtmidi.so");
    else
        Write("libquorlen_rtmidi.so", std::string("This file is not a program module.\n"));
    if (folder.empty()) return;
    const std::string to = Path(folder);
    Run({"mkdir", to});
    Run({"mv", Path("quorlen"), Path("JX8P.FNT"), Path("libquorlen_rtmidi.so"), to});
    dir_ = to;
}

Program::~Program() {
    if (pid_ > 0 && !ended_) {
        Stop(pid_, 5000);
        ADD_FAILURE() << "the program was still running at the end of the test\n" << Log();
    }
    // QTemporaryDir cannot remove names that are not UTF-8.
    Run({"rm", "-rf", dir_});
}

void Program::Write(const std::string& name, const std::string& bytes) const {
    std::ofstream f(Path(name), std::ios::binary | std::ios::trunc);
    f << bytes;
}

void Program::Write(const std::string& name, const Bytes& bytes) const {
    Write(name, std::string(bytes.begin(), bytes.end()));
}

std::string Program::Read(const std::string& name) const {
    std::ifstream f(Path(name), std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

std::string Program::Ini_Value(const std::string& section, const std::string& key) const {
    std::istringstream in(Read("Quorlen.INI"));
    bool inSection = false;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line.front() == '[') {
            inSection = line == "[" + section + "]";
            continue;
        }
        if (inSection && line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
    }
    return "(missing)";
}

void Program::Start(const std::string& jackServer, const std::vector<std::string>& env) {
    // Started again in the same folder: a new process with new windows.
    main_.clear();
    ended_ = false;
    std::vector<std::string> all = {"QT_QPA_PLATFORM=xcb", "JACK_DEFAULT_SERVER=" + jackServer,
                                    "QT_ACCESSIBILITY=0"};
    all.insert(all.end(), env.begin(), env.end());
    pid_ = Spawn({Path("quorlen")}, all, dir_, Path("program.log"));
    ASSERT_GT(pid_, 0);
}

bool Program::Running() {
    if (ended_) return false;
    // The status is kept: once reaped here, the process cannot be waited for again.
    if (waitpid(pid_, &status_, WNOHANG) == pid_) {
        ended_ = true;
        return false;
    }
    return true;
}

int Program::Wait_Exit(int timeoutMs) {
    if (!Wait_Until([&] { return !Running(); }, timeoutMs)) return -1;
    return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
}

std::string Program::How_Ended() const {
    if (!ended_) return "still running";
    if (WIFSIGNALED(status_))
        return "killed by signal " + std::to_string(WTERMSIG(status_)) + " (" +
               strsignal(WTERMSIG(status_)) + ")";
    return "exit status " + std::to_string(WEXITSTATUS(status_));
}

std::string Program::Log() const {
    return "--- program output ---\n" + Read("program.log");
}

std::string Program::Main_Window(int timeoutMs) {
    if (!main_.empty()) return main_;
    Wait_Until(
        [&] {
            for (const std::string& id : Visible_Windows(pid_))
                if (Window_Name(id).rfind("Quorlen", 0) == 0 && !Is_Dialog(id)) {
                    main_ = id;
                    return true;
                }
            return !Running();
        },
        timeoutMs);
    EXPECT_FALSE(main_.empty()) << "no main window\n" << Log();
    return main_;
}

std::string Program::Wait_Dialog(const std::string& title, int timeoutMs) {
    std::string found;
    Wait_Until(
        [&] {
            for (const std::string& id : Visible_Windows(pid_))
                if (id != main_ && Is_Dialog(id) && Window_Name(id) == title) {
                    found = id;
                    return true;
                }
            return !Running();
        },
        timeoutMs);
    return found;
}

std::vector<std::string> Program::Other_Windows() {
    std::vector<std::string> ids = Visible_Windows(pid_);
    ids.erase(std::remove(ids.begin(), ids.end(), main_), ids.end());
    return ids;
}

void Program::Expect_Box(const std::string& title, const std::string& text,
                         const std::string& key) {
    const std::string id = Wait_Dialog(title);
    ASSERT_FALSE(id.empty()) << "no box \"" << title << "\" with \"" << text << "\"\n" << Log();
    EXPECT_EQ(Shown(Box_Text(id)), Shown(text)) << "box \"" << title << "\"";
    Activate(id);
    Keys({key});
    EXPECT_TRUE(Wait_Until([&] { return !Is_Visible(id); })) << "the box stayed open";
}

// The popup menus that are open: shown windows that are neither the main
// window nor a dialog.
size_t Program::Popups() {
    size_t n = 0;
    for (const std::string& id : Other_Windows())
        if (!Is_Dialog(id)) ++n;
    return n;
}

void Program::Menu(const std::vector<std::string>& keys) {
    const std::string main = Main_Window();
    ASSERT_TRUE(Wait_Until([&] { return Popups() == 0; })) << "a menu stayed open";
    Activate(main);
    // Each key but the last opens a popup; the next key waits for it.
    for (size_t i = 0; i < keys.size(); ++i) {
        Keys({keys[i]});
        if (i + 1 < keys.size())
            ASSERT_TRUE(Wait_Until([&] { return Popups() > i; }))
                << "no menu opened by " << keys[i];
    }
    // The command has run when its menu has closed.
    ASSERT_TRUE(Wait_Until([&] { return Popups() == 0; })) << "the menu stayed open";
}

void Program::Close() {
    const std::string main = Main_Window();
    Activate(main);
    Keys({"alt+F4"});
}

} // namespace acc
