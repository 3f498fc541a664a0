// FreeType glyph layout and rasterisation into coverage masks, scaled freely on each axis.
#include "tools/datagen/image_text.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_BBOX_H

#include <algorithm>
#include <cmath>
#include <vector>

struct Font::State {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

namespace {

// Loads the unscaled, unhinted outline of a glyph: exact shapes that scale the same on any size.
bool loadOutline(FT_Face face, FT_UInt glyph) {
    return FT_Load_Glyph(face, glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) ==
               0 &&
           face->glyph->format == FT_GLYPH_FORMAT_OUTLINE;
}

// Calls visit(glyph, penX) for each character of text, with kerning, in font units.
template <class Visit>
void layout(FT_Face face, const std::string& text, Visit visit) {
    FT_Pos pen = 0;
    FT_UInt previous = 0;
    for (unsigned char ch : text) {
        FT_UInt glyph = FT_Get_Char_Index(face, ch);
        if (previous && glyph && FT_HAS_KERNING(face)) {
            FT_Vector kern;
            if (FT_Get_Kerning(face, previous, glyph, FT_KERNING_UNSCALED, &kern) == 0)
                pen += kern.x;
        }
        if (!loadOutline(face, glyph)) continue;
        visit(glyph, pen);
        pen += face->glyph->advance.x;
        previous = glyph;
    }
}

}  // namespace

Font::~Font() {
    if (!state_) return;
    if (state_->face) FT_Done_Face(state_->face);
    if (state_->library) FT_Done_FreeType(state_->library);
    delete state_;
}

bool Font::open(const std::string& path, std::string* error) {
    if (!state_) state_ = new State;
    if (!state_->library && FT_Init_FreeType(&state_->library) != 0) {
        state_->library = nullptr;
        *error = "cannot start FreeType to read the font " + path;
        return false;
    }
    if (state_->face) FT_Done_Face(state_->face);
    FT_Error code = FT_New_Face(state_->library, path.c_str(), 0, &state_->face);
    if (code != 0) {
        *error = code == FT_Err_Cannot_Open_Resource
                     ? "cannot open the font " + path + " (install the package fonts-dejavu-core)"
                     : "cannot read the font " + path + ": not a font FreeType can use";
        state_->face = nullptr;
        return false;
    }
    return true;
}

InkBox Font::measure(const std::string& text) const {
    InkBox box;
    bool first = true;
    layout(state_->face, text, [&](FT_UInt, FT_Pos pen) {
        FT_BBox b;
        FT_Outline_Get_BBox(&state_->face->glyph->outline, &b);
        if (b.xMin == b.xMax) return;  // a space has no ink
        double x0 = double(pen + b.xMin), x1 = double(pen + b.xMax);
        if (first) box = InkBox{x0, double(b.yMin), x1, double(b.yMax)};
        box.xMin = std::min(box.xMin, x0), box.xMax = std::max(box.xMax, x1);
        box.yMin = std::min(box.yMin, double(b.yMin)),
        box.yMax = std::max(box.yMax, double(b.yMax));
        first = false;
    });
    return box;
}

void Font::draw(const std::string& text, double x, double y, double sx, double sy,
                Mask* mask) const {
    const int h = mask->height();
    std::vector<unsigned char> scratch;
    layout(state_->face, text, [&](FT_UInt, FT_Pos pen) {
        FT_Outline& outline = state_->face->glyph->outline;
        if (outline.n_points == 0) return;
        // Into 26.6 pixels with y up from the bottom of the mask, as the rasteriser counts rows.
        for (int i = 0; i < outline.n_points; ++i) {
            FT_Vector& p = outline.points[i];
            double px = x + (pen + p.x) * sx, py = (h - y) + p.y * sy;
            p.x = static_cast<FT_Pos>(std::lround(px * 64));
            p.y = static_cast<FT_Pos>(std::lround(py * 64));
        }
        FT_BBox cbox;
        FT_Outline_Get_CBox(&outline, &cbox);
        FT_Pos left = cbox.xMin >> 6, bottom = cbox.yMin >> 6;  // floor, whole pixels
        int cols = static_cast<int>(((cbox.xMax + 63) >> 6) - left);
        int rows = static_cast<int>(((cbox.yMax + 63) >> 6) - bottom);
        if (cols <= 0 || rows <= 0) return;
        FT_Outline_Translate(&outline, -left * 64, -bottom * 64);
        scratch.assign(size_t(cols) * rows, 0);
        FT_Bitmap bitmap{};
        bitmap.rows = rows;
        bitmap.width = cols;
        bitmap.pitch = cols;
        bitmap.buffer = scratch.data();
        bitmap.num_grays = 256;
        bitmap.pixel_mode = FT_PIXEL_MODE_GRAY;
        FT_Outline_Get_Bitmap(state_->library, &outline, &bitmap);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c) {
                int mx = static_cast<int>(left) + c, my = h - static_cast<int>(bottom) - rows + r;
                float k = scratch[size_t(r) * cols + c] / 255.0f;
                if (k <= 0 || mx < 0 || my < 0 || mx >= mask->width() || my >= h) continue;
                float& m = mask->at(mx, my);
                m = m + k - m * k;
            }
    });
}

void Font::fill(const std::string& text, double x0, double y0, double x1, double y1,
                Mask* mask) const {
    InkBox ink = measure(text);
    double sx = (x1 - x0) / ink.width(), sy = (y1 - y0) / ink.height();
    draw(text, x0 - ink.xMin * sx, y1 + ink.yMin * sy, sx, sy, mask);
}

void Font::centre(const std::string& text, double cx, double cy, double h, double squeeze,
                  Mask* mask) const {
    InkBox ink = measure(text);
    double sy = h / ink.height(), sx = sy * squeeze;
    double w = ink.width() * sx;
    fill(text, cx - w / 2, cy - h / 2, cx + w / 2, cy + h / 2, mask);
}
