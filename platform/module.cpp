// Module rendering over libopenmpt, with each row's first frame found exactly.
#include "platform/module.h"

#include <libopenmpt/libopenmpt.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kScratchFrames = 1024;            // largest discarded block
constexpr size_t kMaxModuleBytes = 256u << 20;  // no module comes near; a guard against mistakes

}  // namespace

std::string readMusicFile(const char* path, std::vector<uint8_t>& bytes) {
    bytes.clear();
    FILE* f = std::fopen(path, "rb");
    if (!f) return std::string("cannot open the music file ") + path + ": " + std::strerror(errno);
    uint8_t chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0 && bytes.size() <= kMaxModuleBytes)
        bytes.insert(bytes.end(), chunk, chunk + n);
    const int readError = std::ferror(f) ? errno : 0;
    std::fclose(f);
    if (readError)
        return std::string("cannot read the music file ") + path + ": " + std::strerror(readError);
    if (bytes.size() > kMaxModuleBytes)
        return std::string("the music file ") + path + " is too large to be a module";
    return "";
}

OfflineMusic::OfflineMusic() = default;

OfflineMusic::~OfflineMusic() {
    close();
}

std::string OfflineMusic::open(const char* path) {
    std::vector<uint8_t> bytes;
    const std::string error = readMusicFile(path, bytes);
    if (!error.empty()) return error;
    return openMemory(bytes.data(), bytes.size(), path);
}

std::string OfflineMusic::openMemory(const void* data, size_t size, const char* name) {
    close();
    if (size == 0) return std::string("the music file ") + name + " is empty";
    int code = 0;
    const char* message = nullptr;
    // libopenmpt plays the whole song through at load to learn its length, which the show never
    // asks for: several times the cost of the load itself, and a good part of a browser's start.
    static const openmpt_module_initial_ctl kInitialCtls[] = {{"load.skip_subsongs_init", "1"},
                                                              {nullptr, nullptr}};
    module_ = openmpt_module_create_from_memory2(data, size, openmpt_log_func_silent, nullptr,
                                                 openmpt_error_func_store, nullptr, &code, &message,
                                                 kInitialCtls);
    if (!module_) {
        const char* text = message ? message : openmpt_error_string(code);
        std::string error = std::string("cannot play the music file ") + name + ": " +
                            (text ? text : "not a module");
        if (text) openmpt_free_string(text);
        return error;
    }
    if (message) openmpt_free_string(message);
    // Without this, libopenmpt fades out for 0.1 s after the last row, rendering that tail
    // at order 0, row 0: a position that never plays.
    openmpt_module_ctl_set_text(module_, "play.at_end", "stop");
    // libopenmpt's default dither noise depends on how the song is cut into reads; without
    // it the song renders to the same samples whatever the block sizes.
    openmpt_module_ctl_set_integer(module_, "dither", 0);
    scratch_.assign(2 * kScratchFrames, 0);
    frame_ = 0;
    order_ = row_ = -1;
    nextTick_ = 0;
    ticksSinceRow_ = 0;
    ended_ = false;
    inexact_ = 0;
    return "";
}

void OfflineMusic::mixCheaply() {
    if (!module_) return;
    openmpt_module_set_render_param(module_, OPENMPT_MODULE_RENDER_INTERPOLATIONFILTER_LENGTH, 1);
    openmpt_module_set_render_param(module_, OPENMPT_MODULE_RENDER_VOLUMERAMPING_STRENGTH, 0);
}

bool OfflineMusic::seek(int32_t order, int32_t row) {
    if (!module_ || order < 0 || row < 0 || order >= openmpt_module_get_num_orders(module_))
        return false;
    openmpt_module_set_position_order_row(module_, order, row);
    if (openmpt_module_get_current_order(module_) != order ||
        openmpt_module_get_current_row(module_) != row)
        return false;
    frame_ = 0;
    order_ = row_ = -1;
    nextTick_ = 0;
    ticksSinceRow_ = 0;
    ended_ = false;
    return true;
}

int32_t OfflineMusic::orderCount() const {
    return module_ ? openmpt_module_get_num_orders(module_) : 0;
}

int32_t OfflineMusic::rowsInOrder(int32_t order) const {
    if (!module_ || order < 0 || order >= openmpt_module_get_num_orders(module_)) return 0;
    const int32_t pattern = openmpt_module_get_order_pattern(module_, order);
    if (pattern < 0 || pattern >= openmpt_module_get_num_patterns(module_)) return 0;
    return openmpt_module_get_pattern_num_rows(module_, pattern);
}

void OfflineMusic::close() {
    if (module_) openmpt_module_destroy(module_);
    module_ = nullptr;
    ended_ = true;
}

int OfflineMusic::tickFrames() const {
    // Classic tempo: a tick lasts 2.5 / tempo seconds, cut to whole frames.
    const int tempo = std::max(1, openmpt_module_get_current_tempo(module_));
    return kMusicSampleRate * 5 / (2 * tempo);
}

int OfflineMusic::render(int16_t* out, int frames, std::vector<PositionReport>& reports) {
    int done = 0;
    while (done < frames && !ended_ && reports.size() < reports.capacity()) {
        // A row can only begin on a tick, so frames near the predicted tick are rendered one
        // at a time; each read that renders a row's first frame leaves libopenmpt on that row.
        const int64_t windowStart = nextTick_ - tickMargin();
        const bool stepping = frame_ >= windowStart;
        int want = 1;
        if (!stepping) {
            want = static_cast<int>(std::min<int64_t>(frames - done, windowStart - frame_));
            if (!out) want = std::min(want, kScratchFrames);
        }
        int16_t* dst = out ? out + 2 * done : scratch_.data();
        const int got = static_cast<int>(
            openmpt_module_read_interleaved_stereo(module_, kMusicSampleRate, want, dst));
        if (got == 0) {
            ended_ = true;
            break;
        }
        const int64_t first = frame_;
        frame_ += got;
        done += got;
        const int32_t order = openmpt_module_get_current_order(module_);
        const int32_t row = openmpt_module_get_current_row(module_);
        if (order != order_ || row != row_) {
            if (got != 1) ++inexact_;  // the tick came early; its frame is somewhere in the block
            reports.push_back({first, order, row});
            order_ = order;
            row_ = row;
            nextTick_ = first + tickFrames();
            ticksSinceRow_ = 0;
        } else if (stepping && frame_ > nextTick_ + tickMargin()) {
            // The predicted tick began inside the window without a new row. The tempo read
            // now is that tick's, so it predicts the next one.
            nextTick_ += tickFrames();
            ++ticksSinceRow_;
        }
    }
    return done;
}

uint32_t audioVersion() {
    return openmpt_get_library_version();
}
