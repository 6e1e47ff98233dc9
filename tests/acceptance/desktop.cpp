#include "desktop.h"
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sstream>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace acc {
namespace {
using Clock = std::chrono::steady_clock;

int Ms_Since(Clock::time_point start) {
    return static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

std::vector<char*> Argv(const std::vector<std::string>& argv) {
    std::vector<char*> out;
    for (const std::string& a : argv) out.push_back(const_cast<char*>(a.c_str()));
    out.push_back(nullptr);
    return out;
}

void Pause(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Waits for a child within the time; true with its status when it ended.
bool Reap(pid_t pid, int timeoutMs, int& status) {
    const auto start = Clock::now();
    for (;;) {
        const pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid) return true;
        if (r < 0 && errno != EINTR) {
            status = -1;
            return true;
        }
        if (Ms_Since(start) > timeoutMs) return false;
        Pause(10);
    }
}
} // namespace

Output Run(const std::vector<std::string>& argv, int timeoutMs) {
    Output result;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return result;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], 1);
        const int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 2);
        auto args = Argv(argv);
        execvp(args[0], args.data());
        _exit(127);
    }
    close(fds[1]);
    if (pid < 0) {
        close(fds[0]);
        return result;
    }
    const auto start = Clock::now();
    char buf[4096];
    for (;;) {
        pollfd p{fds[0], POLLIN, 0};
        const int left = timeoutMs - Ms_Since(start);
        if (left <= 0) break;
        const int r = poll(&p, 1, left);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        const ssize_t n = read(fds[0], buf, sizeof buf);
        if (n <= 0) break;
        result.out.append(buf, static_cast<size_t>(n));
    }
    close(fds[0]);
    int status = 0;
    if (!Reap(pid, std::max(0, timeoutMs - Ms_Since(start)), status)) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return result;
    }
    result.rc = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

bool Wait_Until(const std::function<bool()>& condition, int timeoutMs) {
    const auto start = Clock::now();
    for (;;) {
        if (condition()) return true;
        if (Ms_Since(start) > timeoutMs) return false;
        Pause(20);
    }
}

pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env,
            const std::string& cwd, const std::string& log) {
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid != 0) return pid;
    // Nothing of ours may outlive a test program that crashed.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) _exit(1);
    setpgid(0, 0);
    if (!cwd.empty() && chdir(cwd.c_str()) != 0) _exit(126);
    for (const std::string& e : env) putenv(strdup(e.c_str()));
    const int null = open("/dev/null", O_RDWR);
    const int out = log.empty() ? null : open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    dup2(null, 0);
    dup2(out, 1);
    dup2(out, 2);
    auto args = Argv(argv);
    execvp(args[0], args.data());
    _exit(127);
}

int Stop(pid_t pid, int timeoutMs) {
    if (pid <= 0) return -1;
    int status = 0;
    if (Reap(pid, 0, status)) return status;
    kill(pid, SIGTERM);
    if (Reap(pid, timeoutMs, status)) return status;
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return status;
}

bool Desktop::Start_X(std::string& why) {
    // Xvfb picks a free display itself and writes its number to the pipe.
    int fds[2];
    if (pipe(fds) != 0) {
        why = "no pipe for Xvfb";
        return false;
    }
    const pid_t parent = getpid();
    xvfb_ = fork();
    if (xvfb_ == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(1);
        setpgid(0, 0);
        close(fds[0]);
        const int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        const std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24",
               "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string number;
    const auto start = Clock::now();
    while (Ms_Since(start) < 15000) {
        pollfd p{fds[0], POLLIN, 0};
        if (poll(&p, 1, 200) <= 0) {
            int status;
            if (Reap(xvfb_, 0, status)) break;
            continue;
        }
        char c;
        if (read(fds[0], &c, 1) != 1 || c == '\n') break;
        number += c;
    }
    close(fds[0]);
    if (number.empty()) {
        Stop(xvfb_, 2000);
        xvfb_ = -1;
        why = "Xvfb did not start (is the xvfb package installed?)";
        return false;
    }
    display_ = ":" + number;
    setenv("DISPLAY", display_.c_str(), 1);
    return true;
}

bool Desktop::Start_Window_Manager(std::string& why) {
    wm_ = Spawn({"openbox", "--sm-disable"}, {}, "", "");
    // A window manager that runs announces itself on the root window.
    const bool up = Wait_Until([] {
        const Output o = Run({"xprop", "-root", "_NET_SUPPORTING_WM_CHECK"}, 5000);
        return o.rc == 0 && o.out.find("window id") != std::string::npos;
    });
    if (!up) why = "openbox did not come up on " + display_;
    return up;
}

void Desktop::Stop_All() {
    Stop(wm_, 5000);
    Stop(xvfb_, 5000);
    wm_ = xvfb_ = -1;
}

std::vector<std::string> Visible_Windows(pid_t pid) {
    const Output o =
        Run({"xdotool", "search", "--onlyvisible", "--pid", std::to_string(pid)}, 5000);
    std::vector<std::string> ids;
    std::istringstream in(o.out);
    for (std::string id; in >> id;) ids.push_back(id);
    return ids;
}

std::string Window_Name(const std::string& id) {
    std::string name = Run({"xdotool", "getwindowname", id}, 5000).out;
    if (!name.empty() && name.back() == '\n') name.pop_back();
    return name;
}

bool Is_Dialog(const std::string& id) {
    return Run({"xprop", "-id", id, "_NET_WM_WINDOW_TYPE"}, 5000).out.find("_DIALOG") !=
           std::string::npos;
}

bool Is_Visible(const std::string& id) {
    return Run({"xwininfo", "-id", id}, 5000).out.find("IsViewable") != std::string::npos;
}

namespace {
struct Frame {
    int x = 0, y = 0, w = 0, h = 0;               // the window's inside, on the screen
    int left = 0, right = 0, top = 0, bottom = 0; // the frame around it
};

Frame Frame_Of(const std::string& id) {
    Frame f;
    std::istringstream info(Run({"xwininfo", "-id", id}, 5000).out);
    for (std::string line; std::getline(info, line);) {
        std::sscanf(line.c_str(), " Absolute upper-left X: %d", &f.x);
        std::sscanf(line.c_str(), " Absolute upper-left Y: %d", &f.y);
        std::sscanf(line.c_str(), " Width: %d", &f.w);
        std::sscanf(line.c_str(), " Height: %d", &f.h);
    }
    const std::string extents = Run({"xprop", "-id", id, "_NET_FRAME_EXTENTS"}, 5000).out;
    if (const size_t eq = extents.find('='); eq != std::string::npos)
        std::sscanf(extents.c_str() + eq + 1, " %d, %d, %d, %d", &f.left, &f.right, &f.top,
                    &f.bottom);
    return f;
}
} // namespace

std::string Outer_Size(const std::string& id) {
    const Frame f = Frame_Of(id);
    return std::to_string(f.w + f.left + f.right) + " x " + std::to_string(f.h + f.top + f.bottom);
}

void Click_Close_Button(const std::string& id) {
    const Frame f = Frame_Of(id);
    // openbox's button sits at the right end of the title bar; a pointer that
    // jumps onto it without moving there first may have its click dropped.
    const int x = f.x + f.w + f.right - 11, y = f.y - f.top / 2;
    Run({"xdotool", "mousemove", std::to_string(x - 60), std::to_string(y + 60)});
    Pause(100);
    Run({"xdotool", "mousemove", std::to_string(x), std::to_string(y)});
    Pause(100);
    Run({"xdotool", "click", "1"});
}

void Activate(const std::string& id) {
    // With --sync xdotool may wait for a desktop property openbox lacks.
    Run({"xdotool", "windowactivate", id});
    Wait_Until([&] { return Run({"xdotool", "getwindowfocus"}).out.find(id) == 0; }, 3000);
    Pause(150);
}

void Keys(const std::vector<std::string>& keys) {
    std::vector<std::string> argv = {"xdotool", "key", "--delay", "40"};
    argv.insert(argv.end(), keys.begin(), keys.end());
    Run(argv);
}

void Click(const std::string& id, int x, int y) {
    Run({"xdotool", "mousemove", "--window", id, std::to_string(x), std::to_string(y), "click",
         "1"});
}

std::string Box_Text(const std::string& id) {
    // Points on the text of a box, with and without an icon, further apart
    // than a double click reaches; the one that worked last is tried first.
    static std::vector<std::pair<int, int>> points = {{72, 20}, {40, 14}, {34, 18},  {90, 30},
                                                      {50, 12}, {60, 24}, {110, 20}, {30, 12}};
    Activate(id);
    for (size_t i = 0; i < points.size(); ++i) {
        // A helper of xclip owns the selection until the program takes it.
        // (It must not hold our pipe open: its output goes nowhere.)
        Run({"sh", "-c", "printf %s '(none)' | xclip -selection primary -i >/dev/null 2>&1"});
        Click(id, points[i].first, points[i].second);
        Keys({"ctrl+a"});
        std::string text;
        Wait_Until(
            [&] {
                text = Run({"xclip", "-selection", "primary", "-o"}, 5000).out;
                return text != "(none)";
            },
            400);
        if (text != "(none)" && !text.empty()) {
            if (i) std::swap(points[0], points[i]);
            return text;
        }
    }
    return "(the text of the box could not be selected)";
}

std::string Hex(const std::vector<unsigned char>& bytes) {
    std::string s;
    char b[4];
    for (unsigned char c : bytes) {
        snprintf(b, sizeof b, "%02X ", c);
        s += b;
    }
    if (!s.empty()) s.pop_back();
    return s;
}

} // namespace acc
