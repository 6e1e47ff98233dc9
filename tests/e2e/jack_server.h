#pragma once
// A private JACK server with the dummy backend, for code that must send
// real MIDI without touching anyone else's server. jack_server.sh runs it:
// it clears what an earlier server of the name left behind, and stops the
// server cleanly when told to or when this process ends in any way.
#include <QTemporaryDir>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

class JackServer {
  public:
    // Realtime where the system grants it (see jack_server.sh).
    explicit JackServer(std::string name, int period = 256, bool realtime = true)
        : name_(std::move(name)), period_(std::to_string(period)), realtime_(realtime) {}
    ~JackServer() { stop(); }
    JackServer(const JackServer&) = delete;
    JackServer& operator=(const JackServer&) = delete;

    const std::string& name() const { return name_; }
    // The jackd process itself, for tests that freeze it.
    pid_t pid() const { return server_; }

    // Starts jackd and waits until a client can connect; false when it cannot
    // (the script tells why on stderr).
    bool start() {
        stop();
        if (!state_.isValid()) return false;
        const std::string dir = state_.path().toStdString();
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0) return false;
        const pid_t parent = getpid();
        runner_ = fork();
        if (runner_ < 0) return false;
        if (runner_ == 0) {
            // The script stops the server when this process ends, however.
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (getppid() != parent) _exit(1);
            dup2(out[1], 1);
            execlp("bash", "bash", QUORLEN_JACK_SCRIPT, "run", name_.c_str(), dir.c_str(),
                   period_.c_str(), realtime_ ? "realtime" : "plain", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(out[1]);
        // The script prints the server's pid once clients can connect.
        std::string line;
        pollfd p{out[0], POLLIN, 0};
        char c;
        while (poll(&p, 1, 120000) == 1 && read(out[0], &c, 1) == 1 && c != '\n') line += c;
        close(out[0]);
        server_ = static_cast<pid_t>(std::strtol(line.c_str(), nullptr, 10));
        if (server_ > 0) return true;
        stop();
        return false;
    }

    // Stops the server as a user would (CONT and TERM) and waits for it to end.
    void stop() {
        if (runner_ <= 0) return;
        kill(runner_, SIGTERM);
        // A guard against a hang, far above the second or two it takes.
        for (int i = 0; i < 1200 && waitpid(runner_, nullptr, WNOHANG) == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (waitpid(runner_, nullptr, WNOHANG) == 0) {
            if (server_ > 0) kill(server_, SIGKILL);
            kill(runner_, SIGKILL);
            waitpid(runner_, nullptr, 0);
        }
        runner_ = server_ = -1;
    }

  private:
    std::string name_, period_;
    bool realtime_;
    QTemporaryDir state_; // the server's log
    pid_t runner_ = -1;   // the script that runs the server
    pid_t server_ = -1;
};
