// Formats and draws the development overlay; nothing here allocates once the show runs.
#include "app/overlay.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/assets.h"
#include "app/devstate.h"
#include "app/music.h"
#include "app/scenetable.h"

namespace {

// The font grid the data generator writes: 16 x 8 cells, code c at column c % 16, row c / 16.
constexpr int kGridColumns = 16;
constexpr int kGridRows = 8;
// One character on screen, in -1..1 screen units: 8 x 16 pixels at 640 x 480.
constexpr float kCharWidth = 0.025f;
constexpr float kCharHeight = 0.0667f;
constexpr float kLeft = -0.98f;
constexpr float kTop = 0.98f;

char message[kOverlayColumns + 1] = "";
bool timingRestarts = false;

double steadySeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void fillCorner(MeshVertex& v, float sx, float sy, float u, float t, float grey, float alpha) {
    v = MeshVertex{};
    v.sx = sx;
    v.sy = sy;
    v.z = 1.0f;
    v.u0 = v.u1 = u;
    v.v0 = v.v1 = t;
    v.r = v.g = v.b = grey;
    v.a = alpha;
}

// A screen rectangle, top edge y0, with texture coordinates (u0, v0) at its top left.
void drawRect(Renderer& r, float x0, float y0, float x1, float y1, float u0, float v0, float u1,
              float v1, float grey, float alpha) {
    MeshVertex q[4];
    fillCorner(q[0], x0, y0, u0, v0, grey, alpha);
    fillCorner(q[1], x1, y0, u1, v0, grey, alpha);
    fillCorner(q[2], x1, y1, u1, v1, grey, alpha);
    fillCorner(q[3], x0, y1, u0, v1, grey, alpha);
    r.drawQuad(&q[0], &q[1], &q[2], &q[3]);
}

void drawOverlay(Renderer& r, const OverlayText& text) {
    int lines = 0, widest = 0;
    for (int i = 0; i < kOverlayLines; ++i) {
        const int n = static_cast<int>(std::strlen(text[i]));
        if (n > 0) lines = i + 1;
        if (n > widest) widest = n;
    }
    if (lines == 0) return;
    r.saveState();
    r.setState(GLS_DEPTH_TEST, GLS_OFF);
    r.setState(GLS_TEXTURE_UNITS, GLS_UNIT0);
    // GLS_BLEND_ALPHA weighs the incoming colour by one minus its alpha: a dark panel at alpha
    // 0.4 keeps 40 % of the picture under it; the font's inverted alpha makes its ink opaque.
    r.setBlendMode(GLS_BLEND_ALPHA);
    r.bindTexture0(0);
    const float pad = 0.01f;
    drawRect(r, kLeft - pad, kTop + pad, kLeft + widest * kCharWidth + pad,
             kTop - lines * kCharHeight - pad, 0, 0, 0, 0, 0.0f, 0.4f);
    r.bindTexture0(texFont);
    for (int i = 0; i < lines; ++i) {
        const float y0 = kTop - i * kCharHeight;
        for (int k = 0; text[i][k] != '\0'; ++k) {
            const int c = static_cast<unsigned char>(text[i][k]);
            if (c <= 32 || c >= 127) continue;
            const float u0 = float(c % kGridColumns) / kGridColumns;
            const float v0 = float(c / kGridColumns) / kGridRows;
            const float x0 = kLeft + k * kCharWidth;
            drawRect(r, x0, y0, x0 + kCharWidth, y0 - kCharHeight, u0, v0, u0 + 1.0f / kGridColumns,
                     v0 + 1.0f / kGridRows, 1.0f, 1.0f);
        }
    }
    r.restoreState();
}

}  // namespace

void formatOverlay(int order, int row, double frameMs, const char* note, OverlayText& text) {
    const double fps = frameMs > 0.0 ? 1000.0 / frameMs : 0.0;
    std::snprintf(text[0], sizeof text[0], "order %d  row %d", order, row);
    std::snprintf(text[1], sizeof text[1], "scene %s", sceneNameAt(order));
    std::snprintf(text[2], sizeof text[2], "frame %.1f ms  %.0f fps", frameMs, fps);
    std::snprintf(text[3], sizeof text[3], "%s", note ? note : "");
    text[4][0] = '\0';
}

void setOverlayMessage(const char* text) {
    // One line: the first line of the text, cut to the overlay's width.
    size_t n = std::strcspn(text, "\n");
    if (n > kOverlayColumns) n = kOverlayColumns;
    std::memcpy(message, text, n);
    message[n] = '\0';
}

const char* overlayMessage() {
    return message;
}

void restartOverlayTiming() {
    timingRestarts = true;
}

void OverlayRenderer::present() {
    const double t = steadySeconds();
    if (timingRestarts) {
        timingRestarts = false;
    } else if (lastPresent_ >= 0.0) {
        const double ms = (t - lastPresent_) * 1000.0;
        // Smoothed over about ten frames, so the figures can be read.
        frameMs_ = frameMs_ == 0.0 ? ms : frameMs_ + (ms - frameMs_) * 0.1;
    }
    lastPresent_ = t;
    if (gDevMode.overlay && texFont != 0) {
        static OverlayText text;
        const MusicPosition at = musicPosition();
        formatOverlay(at.order, at.row, frameMs_, message, text);
        drawOverlay(*target(), text);
    }
    target()->present();
}

void startOverlay() {
    const std::string error = loadDevAssets();
    if (!error.empty()) std::fprintf(stderr, "dev: the overlay has no text: %s", error.c_str());
}
