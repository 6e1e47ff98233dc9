#pragma once
// The delivered program in a folder of its own: the executable, its MIDI
// module and its font as the build made them, and a settings file of the
// test's making.
#include "desktop.h"
#include "recorder.h"
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace acc {

using Bytes = std::vector<unsigned char>;

class Program {
  public:
    // With module false a file of that name that is no module stands there.
    // A folder name puts the program in a folder of that name (any bytes).
    explicit Program(bool module = true, const std::string& folder = {});
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    const std::string& Dir() const { return dir_; }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    void Write(const std::string& name, const std::string& bytes) const;
    void Write(const std::string& name, const Bytes& bytes) const;
    std::string Read(const std::string& name) const;
    // The value of a key of the settings file as the program wrote it.
    std::string Ini_Value(const std::string& section, const std::string& key) const;

    // May be called again once the program has ended; env adds entries
    // ("NAME=value") to the program's environment.
    void Start(const std::string& jackServer, const std::vector<std::string>& env = {});
    pid_t Pid() const { return pid_; }
    bool Running();
    // Waits for the program to end; its exit code, or -1.
    int Wait_Exit(int timeoutMs = 20000);
    // How it ended, for a failure message: its exit code or the signal.
    std::string How_Ended() const;
    std::string Log() const;

    // The main window, once it is shown.
    std::string Main_Window(int timeoutMs = 20000);
    // A box or dialog of the program with this caption, once it is shown.
    std::string Wait_Dialog(const std::string& title, int timeoutMs = 20000);
    // The windows other than the main window that are shown.
    std::vector<std::string> Other_Windows();

    // Expects a message box of this title and text, and answers it.
    void Expect_Box(const std::string& title, const std::string& text, const std::string& key);
    // Opens a menu of the main window by its keys, one popup at a time.
    void Menu(const std::vector<std::string>& keys);
    // Closes the main window as a user does (Alt+F4 through the window manager).
    void Close();

  private:
    size_t Popups();

    QTemporaryDir temp_;
    std::string dir_;
    std::string main_;
    pid_t pid_ = -1;
    bool ended_ = false;
    int status_ = 0; // the wait status once ended_
};

} // namespace acc
