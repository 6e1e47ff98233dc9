#pragma once
// A private JACK server with the dummy backend, for code that must send
// real MIDI without touching anyone else's server.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <jack/jack.h>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

class JackServer {
  public:
    explicit JackServer(std::string name) : name_(std::move(name)) {}
    ~JackServer() { stop(); }
    JackServer(const JackServer&) = delete;
    JackServer& operator=(const JackServer&) = delete;

    const std::string& name() const { return name_; }
    pid_t pid() const { return pid_; }

    // Starts jackd and waits until a client can connect; false when it cannot.
    bool start() {
        const pid_t parent = getpid();
        pid_ = fork();
        if (pid_ < 0) return false;
        if (pid_ == 0) {
            // The server must not outlive a test program that crashed.
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (getppid() != parent) _exit(1);
            const int null = open("/dev/null", O_RDWR);
            dup2(null, 0);
            dup2(null, 1);
            dup2(null, 2);
            execlp("jackd", "jackd", "-n", name_.c_str(), "-r", "-d", "dummy", "-r", "48000", "-p",
                   "256", static_cast<char*>(nullptr));
            _exit(127);
        }
        jack_set_error_function([](const char*) {});
        jack_set_info_function([](const char*) {});
        for (int i = 0; i < 200; ++i) {
            jack_status_t status;
            const auto options = static_cast<jack_options_t>(JackNoStartServer | JackServerName);
            if (jack_client_t* c = jack_client_open("probe", options, &status, name_.c_str())) {
                jack_client_close(c);
                restore_messages();
                return true;
            }
            if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
                pid_ = -1;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        restore_messages();
        stop();
        return false;
    }

    // Stops the server as a user would (TERM) and waits for it to end.
    void stop() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        for (int i = 0; i < 200; ++i) {
            if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
                pid_ = -1;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

  private:
    static void restore_messages() {
        jack_set_error_function([](const char* m) { fprintf(stderr, "%s\n", m); });
        jack_set_info_function([](const char*) {});
    }
    std::string name_;
    pid_t pid_ = -1;
};
