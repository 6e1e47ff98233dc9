#pragma once
// A desktop for driving the delivered program as a user does: an X server
// (Xvfb) with a window manager, real key and mouse events through xdotool,
// and the program's windows and message boxes read from outside.
#include <chrono>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace acc {

// Runs a program, waits for it (killing it after timeoutMs) and returns what
// it printed on standard output; rc is its exit code, -1 when it did not end.
struct Output {
    int rc = -1;
    std::string out;
};
Output Run(const std::vector<std::string>& argv, int timeoutMs = 10000);

// Polls until the condition holds; false when the time ran out. The times
// only guard against hangs.
bool Wait_Until(const std::function<bool()>& condition, int timeoutMs = 15000);

// Starts a child process with extra environment and its output in a file.
pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env,
            const std::string& cwd, const std::string& log);
// TERM, then KILL when it does not end in time; returns the wait status.
int Stop(pid_t pid, int timeoutMs = 10000);

// Xvfb and openbox, once for the whole run.
class Desktop {
  public:
    // Both set DISPLAY for this process and its children; on false, why
    // tells what went wrong.
    bool Start_X(std::string& why);
    bool Start_Window_Manager(std::string& why);
    void Stop_All();
    const std::string& Display() const { return display_; }

  private:
    pid_t xvfb_ = -1, wm_ = -1;
    std::string display_;
};

std::vector<std::string> Visible_Windows(pid_t pid);
std::string Window_Name(const std::string& id);
bool Is_Dialog(const std::string& id);
bool Is_Visible(const std::string& id);
// The window's size with the window manager's frame, "W x H".
std::string Outer_Size(const std::string& id);
void Activate(const std::string& id);
void Keys(const std::vector<std::string>& keys);
// A left click at a point of the window's inside (pixels from its top left).
void Click(const std::string& id, int x, int y);
// A click on the close button of the window manager's frame around the window.
void Click_Close_Button(const std::string& id);

// Reads the text of a box: a click on the text and Ctrl+A select it (the
// boxes' text is selectable with the mouse), and the X primary selection
// holds it then.
std::string Box_Text(const std::string& id);

std::string Hex(const std::vector<unsigned char>& bytes);

} // namespace acc
