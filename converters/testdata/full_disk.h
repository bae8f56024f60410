#pragma once
// A disk that fills while a converter writes: the work runs in a child
// process whose files may not grow beyond `limit` bytes, so a write past it
// fails as it would on a full file system.

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstddef>

namespace lumora::testdata {

// The child's exit status (what `work` returned), or -1 when it did not exit.
template <typename Work>
int run_with_full_disk(size_t limit, Work work) {
    const pid_t pid = ::fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        ::signal(SIGXFSZ, SIG_IGN);  // a failed write, not a killed process
        struct rlimit rl {};
        rl.rlim_cur = rl.rlim_max = limit;
        ::setrlimit(RLIMIT_FSIZE, &rl);
        ::_exit(work());
    }
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

}  // namespace lumora::testdata
