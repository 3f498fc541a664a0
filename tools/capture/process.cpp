// POSIX process handling for the capture tool: spawning the encoder, silencing standard output.
#include "tools/capture/process.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

extern char** environ;

bool EncoderProcess::start(const std::vector<std::string>& args, std::string* error) {
    int fds[2];
    if (args.empty() || pipe(fds) != 0) {
        *error = std::string("cannot make a pipe: ") + std::strerror(errno);
        return false;
    }
    // Only the child's copy of the read end stays open; the write end must not reach the child,
    // or it would never see the end of its input.
    fcntl(fds[1], F_SETFD, FD_CLOEXEC);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (fds[0] != STDIN_FILENO) {
        posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
    }
    // This process ignores SIGPIPE; the program gets the default back, as if started by a shell.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    // A group of its own: a terminal's Ctrl-C (or `timeout`) signals the whole foreground group,
    // and an encoder that died of it would take the video with it. The capture, which alone gets
    // the signal, closes the pipe instead and lets the encoder finish the file.
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    int failed = posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    close(fds[0]);
    if (failed != 0) {
        close(fds[1]);
        *error = "cannot start " + args[0] + ": " +
                 (failed == ENOENT ? std::string("it is not installed (not found on PATH)")
                                   : std::string(std::strerror(failed)));
        return false;
    }
    pid_ = pid;
    fd_ = fds[1];
    setEncoderToStop(pid);
    // A pipe that holds most of a frame lets the writer hand over a frame in a few large writes
    // instead of waking the encoder 64 KiB at a time; where the system refuses, the default stays.
#ifdef F_SETPIPE_SZ
    fcntl(fd_, F_SETPIPE_SZ, 1 << 20);
#endif
    return true;
}

bool EncoderProcess::write(const void* data, size_t bytes) {
    const char* p = static_cast<const char*>(data);
    while (bytes > 0 && fd_ >= 0) {
        ssize_t n = ::write(fd_, p, bytes);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        bytes -= static_cast<size_t>(n);
    }
    return bytes == 0;
}

bool EncoderProcess::finish(std::string* error) {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    if (pid_ <= 0) return true;
    int status = 0;
    pid_t got;
    do got = waitpid(pid_, &status, 0);
    while (got < 0 && errno == EINTR);
    pid_ = -1;
    setEncoderToStop(0);
    if (got < 0) {
        *error = std::string("could not be waited for: ") + std::strerror(errno);
        return false;
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
    *error = WIFEXITED(status) ? "exited with code " + std::to_string(WEXITSTATUS(status))
                               : "was killed by signal " + std::to_string(WTERMSIG(status));
    return false;
}

EncoderProcess::~EncoderProcess() {
    std::string ignored;
    finish(&ignored);
}

void StdoutSilencer::begin() {
    if (saved_ >= 0) return;
    std::fflush(stdout);
    int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null < 0) return;
    saved_ = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
    if (saved_ >= 0) dup2(null, STDOUT_FILENO);
    close(null);
}

void StdoutSilencer::end() {
    if (saved_ < 0) return;
    std::fflush(stdout);
    dup2(saved_, STDOUT_FILENO);
    close(saved_);
    saved_ = -1;
}

void ignoreBrokenPipes() {
    signal(SIGPIPE, SIG_IGN);
}

namespace {

volatile sig_atomic_t stopSignal = 0;
volatile sig_atomic_t encoderToStop = 0;  // the running encoder's pid, for a second signal
void (*secondSignalCleanup)() = nullptr;

void onStopSignal(int signalNumber) {
    if (!stopSignal) {
        stopSignal = signalNumber;
        return;
    }
    // The second signal: the user will not wait for the encoder. It is in a group of its own and
    // did not get the signal, so it is ended here with the capture, and the temporaries go.
    if (encoderToStop > 0) kill(static_cast<pid_t>(encoderToStop), SIGKILL);
    if (secondSignalCleanup) secondSignalCleanup();
    signal(signalNumber, SIG_DFL);
    raise(signalNumber);
}

}  // namespace

void setEncoderToStop(pid_t pid) {
    encoderToStop = pid;
}

void watchStopSignals(void (*cleanup)()) {
    secondSignalCleanup = cleanup;
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    // Either signal is blocked while the handler runs, so one handler does the second's work.
    sigaddset(&action.sa_mask, SIGINT);
    sigaddset(&action.sa_mask, SIGTERM);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int stopSignalled() {
    return stopSignal;
}

void ignoreFileSizeLimit() {
    signal(SIGXFSZ, SIG_IGN);
}
