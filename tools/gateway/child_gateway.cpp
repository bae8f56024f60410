#include "child_gateway.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace lumora::gateway::testing {

std::string read_whole_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

ChildGateway::ChildGateway(std::vector<std::string> extra_args) {
    pty_ = platform::PtyPair::create();
    char tmpl[] = "/tmp/gateway-child-XXXXXX";
    if (!pty_ || !::mkdtemp(tmpl)) return;
    dir_ = tmpl;

    std::vector<std::string> args{LUMORA_BIN_DIR "/VantaGatewayServer", "--headless"};
    args.insert(args.end(), extra_args.begin(), extra_args.end());
    std::vector<std::string> env{"LUMORA_COM1=" + pty_->device_path()};
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "LUMORA_COM1=", 12) != 0) env.emplace_back(*e);
    std::vector<char*> argv, envp;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    const std::string out = dir_ + "/stdout", err = dir_ + "/stderr";

    pid_ = ::fork();
    if (pid_ == 0) {
        const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(o, 1);
        ::dup2(e, 2);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
}

ChildGateway::~ChildGateway() {
    if (pid_ > 0) stop(SIGKILL);
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
}

bool ChildGateway::wait_ready(int timeout_ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (std::chrono::steady_clock::now() < end) {
        if (err().find(" open at ") != std::string::npos) return true;
        if (pid_ > 0 && ::waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

std::optional<int> ChildGateway::stop(int signal_number, int timeout_ms) {
    if (pid_ <= 0) return std::nullopt;
    ::kill(pid_, signal_number);
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    int status = 0;
    while (::waitpid(pid_, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > end) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status, 0);
            pid_ = -1;
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    pid_ = -1;
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    return 128 + WTERMSIG(status);
}

std::string ChildGateway::out() const {
    return read_whole_file(dir_ + "/stdout");
}
std::string ChildGateway::err() const {
    return read_whole_file(dir_ + "/stderr");
}

}  // namespace lumora::gateway::testing
