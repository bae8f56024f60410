#pragma once
// Test support: starting the kit's programs (and standard tools) as real
// child processes, reading their output with time limits, and cleaning up.
// Header-only, shared by the scenario tests of every folder.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace lumora::testing {

struct ChildOptions {
    std::vector<std::string> argv;
    std::string line_device;       // when set: standard input and output are this device (sx, rx)
    std::string workdir;           // when set: the child starts there
    std::vector<std::string> env;  // extra NAME=VALUE
    bool capture_stdout = true;    // else inherited (or the device)
    bool capture_stderr = false;   // else inherited
};

class Child {
  public:
    static std::optional<Child> start(const ChildOptions& launch) {
        int out[2] = {-1, -1}, err[2] = {-1, -1};
        const bool cap_out = launch.capture_stdout && launch.line_device.empty();
        if (cap_out && ::pipe(out) != 0) return std::nullopt;
        if (launch.capture_stderr && ::pipe(err) != 0) return std::nullopt;
        pid_t pid = ::fork();
        if (pid < 0) return std::nullopt;
        if (pid == 0) {
            if (!launch.workdir.empty() && ::chdir(launch.workdir.c_str()) != 0) ::_exit(126);
            if (!launch.line_device.empty()) {
                int fd = ::open(launch.line_device.c_str(), O_RDWR | O_NOCTTY);
                if (fd < 0) ::_exit(126);
                ::dup2(fd, 0);
                ::dup2(fd, 1);
                if (fd > 1) ::close(fd);
            }
            if (cap_out) ::dup2(out[1], 1);
            if (launch.capture_stderr) ::dup2(err[1], 2);
            for (const auto& e : launch.env) ::putenv(const_cast<char*>(e.c_str()));
            std::vector<char*> args;
            for (const auto& a : launch.argv) args.push_back(const_cast<char*>(a.c_str()));
            args.push_back(nullptr);
            ::execvp(args[0], args.data());
            ::_exit(127);
        }
        Child c;
        c.pid_ = pid;
        if (cap_out) {
            ::close(out[1]);
            c.out_ = out[0];
        }
        if (launch.capture_stderr) {
            ::close(err[1]);
            c.err_ = err[0];
        }
        return c;
    }

    Child(Child&& o) noexcept { *this = std::move(o); }
    Child& operator=(Child&& o) noexcept {
        std::swap(pid_, o.pid_);
        std::swap(out_, o.out_);
        std::swap(err_, o.err_);
        std::swap(status_, o.status_);
        std::swap(stdout_, o.stdout_);
        std::swap(stderr_, o.stderr_);
        return *this;
    }
    ~Child() {
        if (pid_ > 0 && !status_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0) ::close(out_);
        if (err_ >= 0) ::close(err_);
    }

    pid_t pid() const { return pid_; }

    // Reads standard output until a whole line starting with `prefix` is
    // there; returns that line (without its LF) or nullopt on time-out/EOF.
    std::optional<std::string> wait_for_line(const std::string& prefix, int timeout_ms) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
        size_t scanned = 0;
        for (;;) {
            size_t nl;
            while ((nl = stdout_.find('\n', scanned)) != std::string::npos) {
                std::string line = stdout_.substr(scanned, nl - scanned);
                scanned = nl + 1;
                if (line.compare(0, prefix.size(), prefix) == 0) return line;
            }
            auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            if (left.count() <= 0 || !pump(out_, stdout_, static_cast<int>(left.count())))
                return std::nullopt;
        }
    }

    // Waits for the exit; the exit status, 128+signal, or nullopt after the time-out.
    std::optional<int> wait(int timeout_ms) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
        while (!status_) {
            int st = 0;
            pid_t r = ::waitpid(pid_, &st, WNOHANG);
            if (r == pid_) {
                status_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
                break;
            }
            if (std::chrono::steady_clock::now() >= end) return std::nullopt;
            // Keep the pipes drained so a chatty child cannot block on them.
            if (out_ >= 0) pump(out_, stdout_, 0);
            if (err_ >= 0) pump(err_, stderr_, 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (out_ >= 0)
            while (pump(out_, stdout_, 100)) {
            }
        if (err_ >= 0)
            while (pump(err_, stderr_, 100)) {
            }
        return status_;
    }

    void signal(int sig) {
        if (pid_ > 0 && !status_) ::kill(pid_, sig);
    }
    const std::string& out() const { return stdout_; }
    const std::string& err() const { return stderr_; }

  private:
    Child() = default;
    // Appends what arrives within timeout_ms; false at EOF, on error or time-out.
    static bool pump(int fd, std::string& into, int timeout_ms) {
        if (fd < 0) return false;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, timeout_ms) <= 0) return false;
        char buf[4096];
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0) return false;
        into.append(buf, static_cast<size_t>(n));
        return true;
    }

    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
    std::optional<int> status_;
    std::string stdout_, stderr_;
};

// A fresh folder under the system's temporary folder, removed with its contents.
class TempDir {
  public:
    TempDir() {
        std::string tmpl =
            (std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + std::string("/lumora-XXXXXX");
        std::vector<char> buf(tmpl.begin(), tmpl.end());
        buf.push_back(0);
        if (::mkdtemp(buf.data())) path_ = buf.data();
    }
    ~TempDir() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

}  // namespace lumora::testing
