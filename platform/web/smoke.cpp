// A check of the browser chain: WebGL 1 through SDL, a module heard through SDL's Web Audio
// output and libopenmpt, a PNG through libpng and zlib, the data package, and the page's hooks.
// It draws one of the data set's images on a square turned by the music position, so stills at
// different start positions differ; Escape ends it, and the page offers to play it again.
#include <GLES2/gl2.h>
#include <SDL.h>
#include <emscripten.h>
#include <libopenmpt/libopenmpt.h>
#include <png.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/web/page.h"

namespace {

constexpr char kModulePath[] = "data/qua#v3n.it";
constexpr char kImagePath[] = "data/envmap1.png";
constexpr int kRate = 44100;

struct Player {
    openmpt_module* module = nullptr;
    bool ended = false;
};
Player player;

void renderAudio(void*, Uint8* stream, int bytes) {
    auto* out = reinterpret_cast<int16_t*>(stream);
    const int frames = bytes / 4;
    int done = 0;
    if (!player.ended)
        done = static_cast<int>(openmpt_module_read_interleaved_stereo(player.module, kRate, frames, out));
    if (done < frames) player.ended = true;
    std::memset(out + 2 * done, 0, (frames - done) * 4);
}

bool readFile(const char* path, std::vector<char>& bytes) {
    FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    char chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(f);
    return !bytes.empty();
}

GLuint compile(GLenum kind, const char* source) {
    GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[512] = "";
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "smoke: a shader does not compile: %s\n", log);
    }
    return shader;
}

const char* kVertexShader = R"(
attribute vec2 corner;
uniform float turn;
varying vec2 uv;
void main() {
    float c = cos(turn), s = sin(turn);
    gl_Position = vec4(0.6 * (c * corner.x - s * corner.y), 0.8 * (s * corner.x + c * corner.y), 0.0, 1.0);
    uv = corner * 0.5 + 0.5;
})";
const char* kFragmentShader = R"(
precision mediump float;
uniform sampler2D image;
uniform vec3 tint;
varying vec2 uv;
void main() { gl_FragColor = texture2D(image, uv) * vec4(tint, 1.0); })";

// ORDER:ROW as --start takes it; false when malformed.
bool parsePosition(const char* text, int& order, int& row) {
    char tail = 0;
    return std::sscanf(text, "%d:%d%c", &order, &row, &tail) == 2 && order >= 0 && row >= 0;
}

}  // namespace

int main(int argc, char** argv) {
    int startOrder = 0, startRow = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--start") != 0) {
            std::fprintf(stderr, "smoke: unknown option '%s' (takes --start ORDER:ROW)\n", argv[i]);
            return 2;
        }
        const char* value = ++i < argc ? argv[i] : "";
        if (!parsePosition(value, startOrder, startRow)) {
            std::fprintf(stderr, "smoke: --start takes ORDER:ROW, not '%s'\n", value);
            return 2;
        }
    }

    std::vector<char> song;
    if (!readFile(kModulePath, song)) {
        std::fprintf(stderr, "smoke: cannot read the music file %s\n", kModulePath);
        return 1;
    }
    player.module = openmpt_module_create_from_memory2(song.data(), song.size(), openmpt_log_func_silent, nullptr,
                                                       nullptr, nullptr, nullptr, nullptr, nullptr);
    if (!player.module) {
        std::fprintf(stderr, "smoke: %s is not a module libopenmpt can play\n", kModulePath);
        return 1;
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    std::vector<unsigned char> pixels;
    if (png_image_begin_read_from_file(&image, kImagePath)) {
        image.format = PNG_FORMAT_RGBA;
        pixels.resize(PNG_IMAGE_SIZE(image));
        png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr);
    }
    if (pixels.empty()) {
        std::fprintf(stderr, "smoke: cannot read the image %s: %s\n", kImagePath, image.message);
        return 1;
    }

    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_AUDIO | SDL_INIT_TIMER) != 0) {
        std::fprintf(stderr, "smoke: SDL does not start: %s\n", SDL_GetError());
        return 1;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_Window* window = SDL_CreateWindow("smoke", 0, 0, 640, 480, SDL_WINDOW_OPENGL);
    SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
    if (!context) {
        std::fprintf(stderr, "smoke: cannot create a WebGL context: %s\n", SDL_GetError());
        return 1;
    }
    SDL_AudioSpec want{}, have{};
    want.freq = kRate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = renderAudio;
    // SDL converts to the browser's own rate and float samples.
    SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (!device) std::fprintf(stderr, "smoke: no sound: %s\n", SDL_GetError());

    GLuint program = glCreateProgram();
    glAttachShader(program, compile(GL_VERTEX_SHADER, kVertexShader));
    glAttachShader(program, compile(GL_FRAGMENT_SHADER, kFragmentShader));
    glBindAttribLocation(program, 0, "corner");
    glLinkProgram(program);
    glUseProgram(program);
    const GLint turn = glGetUniformLocation(program, "turn");
    const GLint tint = glGetUniformLocation(program, "tint");
    const float corners[] = {-1, -1, 1, -1, -1, 1, 1, 1};
    GLuint buffer;
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof corners, corners, GL_STATIC_DRAW);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
    glEnableVertexAttribArray(0);
    GLuint texture;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, image.width, image.height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());

    for (bool again = false;; again = true) {
        openmpt_module_set_position_order_row(player.module, startOrder, startRow);
        player.ended = false;
        bool first = true;
        for (bool playing = true; playing;) {
            const double begin = emscripten_get_now();
            SDL_Event event;
            while (SDL_PollEvent(&event))
                if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE) playing = false;
            // The audio callback runs between frames on this same thread: no lock is needed.
            const int order = openmpt_module_get_current_order(player.module);
            const int row = openmpt_module_get_current_row(player.module);
            const float phase = static_cast<float>(order * 64 + row);
            glClearColor(0.1f, 0.1f, 0.2f, 1);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            glUniform1f(turn, phase * 0.05f);
            glUniform3f(tint, 0.6f + 0.4f * std::sin(phase * 0.3f), 0.8f, 0.6f + 0.4f * std::cos(order * 0.7f));
            glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
            webReportFrame(emscripten_get_now() - begin, order, row);
            webWaitForNextFrame();
            if (first) {
                // The first frame stays on the page until the person starts the show.
                webWaitForStart(again);
                SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);  // keys pressed while waiting
                if (device) SDL_PauseAudioDevice(device, 0);
                first = false;
            }
            if (player.ended) playing = false;
        }
        if (device) SDL_PauseAudioDevice(device, 1);
        webReportEnded();
    }
}
