// posix_spawn with stdout and stderr redirected to files, so that neither
// pipe can fill up and block the child while the test waits for it.
#include "tests/cli/CProcessRunner.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The child's status once it has ended, or -1 when it is still running.
pid_t TryReap(pid_t pid, int& status, rusage& usage) {
    pid_t reaped = 0;
    do {
        reaped = ::wait4(pid, &status, WNOHANG, &usage);
    } while (reaped < 0 && errno == EINTR);
    return reaped;
}

class SpawnActions {
public:
    SpawnActions() { ::posix_spawn_file_actions_init(&m_actions); }
    ~SpawnActions() { ::posix_spawn_file_actions_destroy(&m_actions); }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;

    void Open(int fd, const std::string& path, int flags) {
        if (::posix_spawn_file_actions_addopen(&m_actions, fd, path.c_str(), flags, 0600) != 0) {
            throw std::runtime_error("cannot prepare redirection to " + path);
        }
    }
    void ChangeDir(const std::string& folder) {
        if (!folder.empty() &&
            ::posix_spawn_file_actions_addchdir_np(&m_actions, folder.c_str()) != 0) {
            throw std::runtime_error("cannot run in " + folder);
        }
    }
    const posix_spawn_file_actions_t* Get() const { return &m_actions; }

private:
    posix_spawn_file_actions_t m_actions{};
};

} // namespace

CProcessRunner::CProcessRunner(std::string program, std::string scratchDir)
    : m_strProgram(std::move(program)), m_strScratchDir(std::move(scratchDir)) {}

CProcessRunner::Result CProcessRunner::Run(const std::vector<std::string>& args,
                                           const std::string& stdoutTarget,
                                           std::chrono::seconds hangGuard) const {
    const std::string outPath = stdoutTarget.empty() ? m_strScratchDir + "/stdout" : stdoutTarget;
    const std::string errPath = m_strScratchDir + "/stderr";
    SpawnActions actions;
    actions.Open(STDIN_FILENO, "/dev/null", O_RDONLY);
    actions.Open(STDOUT_FILENO, outPath,
                 stdoutTarget.empty() ? O_WRONLY | O_CREAT | O_TRUNC : O_WRONLY);
    actions.Open(STDERR_FILENO, errPath, O_WRONLY | O_CREAT | O_TRUNC);
    actions.ChangeDir(m_strWorkingDir);

    std::vector<std::string> argStore{m_strProgram};
    argStore.insert(argStore.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : argStore) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    pid_t pid = 0;
    const int spawnError =
        ::posix_spawn(&pid, m_strProgram.c_str(), actions.Get(), nullptr, argv.data(), environ);
    if (spawnError != 0) {
        throw std::runtime_error("cannot start " + m_strProgram);
    }

    Result result;
    int status = 0;
    rusage usage{};
    const auto deadline = std::chrono::steady_clock::now() + hangGuard;
    while (TryReap(pid, status, usage) == 0) {
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            result.timedOut = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (!result.timedOut && WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
        result.peakRssKiB = usage.ru_maxrss;
    }
    if (stdoutTarget.empty()) {
        result.out = ReadFile(outPath);
    }
    result.err = ReadFile(errPath);
    return result;
}
