// The capture tool's dealings with the operating system: the encoder's process and standard output.
#pragma once
#include <sys/types.h>

#include <cstddef>
#include <string>
#include <vector>

// Where the encoder's feed sends its bytes: the encoder's pipe, or a stand-in in tests.
class FrameWriter {
  public:
    virtual ~FrameWriter() = default;
    // Writes all bytes; false once the reader has stopped taking them.
    virtual bool write(const void* data, size_t bytes) = 0;
};

// A program started without a shell, its standard input a pipe from this process.
class EncoderProcess : public FrameWriter {
  public:
    EncoderProcess() = default;
    EncoderProcess(const EncoderProcess&) = delete;
    EncoderProcess& operator=(const EncoderProcess&) = delete;
    ~EncoderProcess() override;  // closes the pipe and waits for the program

    // Starts args[0], looked up on PATH, with args as its argument vector. Returns false with
    // *error set when it cannot be started (e.g. not installed).
    bool start(const std::vector<std::string>& args, std::string* error);
    bool running() const { return pid_ > 0; }
    // Writes all bytes to the program's standard input; false once it has stopped reading.
    bool write(const void* data, size_t bytes) override;
    // Closes the pipe and waits for the program. Returns true when it exited with code 0;
    // otherwise *error says how it ended ("exited with code 1", "was killed by signal 9").
    bool finish(std::string* error);

  private:
    pid_t pid_ = -1;
    int fd_ = -1;
};

// Keeps writes to standard output away from it until end() (or destruction): they go to
// /dev/null. Writes to standard error are untouched.
class StdoutSilencer {
  public:
    StdoutSilencer() = default;
    StdoutSilencer(const StdoutSilencer&) = delete;
    StdoutSilencer& operator=(const StdoutSilencer&) = delete;
    ~StdoutSilencer() { end(); }
    void begin();
    void end();

  private:
    int saved_ = -1;
};

// Makes a write to a reader that has gone fail with an error instead of ending the process.
void ignoreBrokenPipes();
// Catches SIGINT and SIGTERM so that an interrupted capture can end its files cleanly: the first
// one is only noted, for stopSignalled() to report; a second one kills the running encoder, runs
// `cleanup` (which may only make async-signal-safe calls) and ends the process by that signal.
// Installed before the platform starts, which then leaves these signals alone.
void watchStopSignals(void (*cleanup)() = nullptr);
// The first stop signal caught, or 0.
int stopSignalled();
// The encoder a second stop signal kills (0: none). EncoderProcess keeps it up to date.
void setEncoderToStop(pid_t pid);
// A write past the file size limit (RLIMIT_FSIZE) then fails with EFBIG, which is reported
// naming the file, instead of killing the process by SIGXFSZ with nothing said.
void ignoreFileSizeLimit();
