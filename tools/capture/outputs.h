// The capture's output paths: checked before the show starts, and temporary files beside them.
#pragma once
#include <string>

#include "tools/capture/options.h"

// Checks the options' combinations and every path the capture will write, and makes the --frames
// folder. Returns "" when all is well, else what is wrong, naming the option or path.
std::string checkCapturePlan(const CaptureOptions& options, bool writeVideo);

// A file of a unique name, made empty and removed when this goes out of scope, on every way out
// of the program (a second stop signal included, through removeTemporariesNow), unless it was
// moved into place.
class TemporaryFile {
  public:
    TemporaryFile() = default;
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() { remove(); }

    // Makes "<beside>.XXXXXX<suffix>" with a fresh name that no file had, readable by others as
    // the umask allows when `shared`. Returns "" or why it could not be made.
    std::string create(const std::string& beside, const std::string& suffix, bool shared);
    const std::string& path() const { return path_; }
    // Renames the file to `target` (replacing it) and forgets it. Returns "" or why not.
    std::string moveTo(const std::string& target);
    void remove();

  private:
    std::string path_;
    int slot_ = -1;  // its entry in the table removeTemporariesNow() reads
};

// Removes every temporary file still in place, using only async-signal-safe calls: for a signal
// handler that ends the process without running destructors.
void removeTemporariesNow();
