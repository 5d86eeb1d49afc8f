// Makes the program's glyph fonts from DejaVu Sans Bold: the four of a 1920 x 1080 screen
// (FontLarge, FontMedium, FontSmall, FontTiny) and the larger cell heights of bigger screens
// (Font32, Font48, Font72, Font110). Run by hand from the repository root after changing this file:
//
//   cmake -S tools -B build-tools -G Ninja && cmake --build build-tools
//   FONT=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
//   build-tools/kelvandor-make-fonts $FONT resources/fonts [PREVIEW_DIR]
//
// Output: resources/fonts/Font{Large,Medium,Small,Tiny,32,48,72,110}.glf, and with PREVIEW_DIR
// a PNG per font showing all 256 glyphs and a sample line at 1:1.
//
// The fonts are one-bit glyph fonts with a short header (first code 0, last code 255), one
// 32-bit offset per code, and per code a record of width, height and the rows from the
// bottom up, each row (width + 7) / 8 bytes, leftmost pixel in the top bit, 0 for ink and
// 1 for background. Every glyph has the full cell height, so that the reference glyph (code 0)
// gives the font's baseline. Codes without a character in Windows-1252, and the control
// codes, are empty glyphs of width 0: a stray tab or carriage return in a puzzle text
// takes no room on screen.
//
// The pixel size of each font is chosen so that the advances of 'A', '0', space and 'W'
// come closest to the widths the screen layout was made for, among the sizes whose ascender
// and descender fit into the cell.

#include "ToolImage.h"
#include "base/TextCodec.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using kelvandor::tools::Canvas;

struct FontTarget {
    const char* name;
    int cellHeight;
    int widthA, width0, widthSpace, widthW;
};

// The four fonts of a 1920 x 1080 screen, then the larger cell heights that bigger screens
// use: the screen grows by min(W / 1920, H / 1080), and its fonts with it, so 2560 x 1440
// (4/3) wants the four at 73, 48, 32 and 24 pixels and 3840 x 2160 (2) at 110, 72, 48 and 36.
// The ones already there (24, 36) and near enough (72 for 73) serve twice.
constexpr FontTarget kFonts[] = {
    {"FontLarge", 55, 32, 27, 13, 48}, {"FontMedium", 36, 21, 18, 9, 32},
    {"FontSmall", 24, 13, 12, 6, 21},  {"FontTiny", 18, 11, 9, 4, 15},
    {"Font32", 32, 17, 16, 8, 28},     // FontSmall x 4/3
    {"Font48", 48, 28, 24, 12, 43},    // FontMedium x 4/3, FontSmall x 2
    {"Font72", 72, 42, 36, 18, 64},    // FontMedium x 2, FontLarge x 4/3
    {"Font110", 110, 64, 54, 26, 96},  // FontLarge x 2
};

std::uint32_t Cp1252ToUnicode(int code) {
    const auto byte = static_cast<unsigned char>(code);
    if (code < 32 || code == 127 || !kelvandor::IsWindows1252Assigned(byte))
        return 0;
    return kelvandor::Windows1252ToUnicode(byte);
}

void Check(FT_Error error, const char* what) {
    if (error != 0)
        throw std::runtime_error(std::string("FreeType: ") + what + " failed");
}

// Glyph bitmaps are thresholded from FreeType's hinted grey rendering: the program draws
// every ink pixel with a soft 3x3 pen, which already smooths the edges.
constexpr int kInkThreshold = 128;

struct Glyph {
    int width = 0;                  // advance, also the record width
    std::vector<std::uint8_t> ink;  // width x cellHeight, 1 = ink, row 0 at the top
};

int Advance(FT_Face face, std::uint32_t ch) {
    Check(FT_Load_Char(face, ch, FT_LOAD_DEFAULT), "FT_Load_Char");
    return static_cast<int>((face->glyph->advance.x + 32) >> 6);
}

int ChooseSize(FT_Face face, const FontTarget& t) {
    int best = 0;
    int bestError = 1 << 30;
    for (int size = 6; size <= t.cellHeight; ++size) {
        Check(FT_Set_Pixel_Sizes(face, 0, size), "FT_Set_Pixel_Sizes");
        const int ascender = static_cast<int>(face->size->metrics.ascender >> 6);
        const int descender = static_cast<int>(-(face->size->metrics.descender >> 6));
        if (ascender + descender > t.cellHeight)
            break;
        const int error =
            std::abs(Advance(face, 'A') - t.widthA) + std::abs(Advance(face, '0') - t.width0) +
            std::abs(Advance(face, ' ') - t.widthSpace) + std::abs(Advance(face, 'W') - t.widthW);
        if (error < bestError) {
            bestError = error;
            best = size;
        }
    }
    if (best == 0)
        throw std::runtime_error(std::string("no size fits ") + t.name);
    return best;
}

Glyph RenderGlyph(FT_Face face, std::uint32_t ch, int cellHeight, int baselineRow) {
    Glyph g;
    g.ink.clear();
    if (ch == 0 || FT_Get_Char_Index(face, ch) == 0)
        return g;
    Check(FT_Load_Char(face, ch, FT_LOAD_DEFAULT | FT_LOAD_RENDER), "FT_Load_Char");
    const FT_GlyphSlot slot = face->glyph;
    g.width = static_cast<int>((slot->advance.x + 32) >> 6);
    g.ink.assign(static_cast<std::size_t>(g.width) * cellHeight, 0);
    const FT_Bitmap& bm = slot->bitmap;
    // Ink that sticks out of the advance (a few bold glyphs overhang by a pixel) is moved
    // inside rather than cut off, as long as it fits.
    int left = slot->bitmap_left;
    const int inkWidth = static_cast<int>(bm.width);
    if (inkWidth <= g.width) {
        if (left < 0)
            left = 0;
        if (left + inkWidth > g.width)
            left = g.width - inkWidth;
    }
    const int top = baselineRow - slot->bitmap_top;
    for (int r = 0; r < static_cast<int>(bm.rows); ++r) {
        const int y = top + r;
        if (y < 0 || y >= cellHeight)
            continue;
        for (int c = 0; c < inkWidth; ++c) {
            const int x = left + c;
            if (x < 0 || x >= g.width)
                continue;
            if (bm.buffer[r * bm.pitch + c] >= kInkThreshold) {
                g.ink[static_cast<std::size_t>(y) * g.width + x] = 1;
            }
        }
    }
    return g;
}

std::vector<std::uint8_t> EncodeFont(const std::vector<Glyph>& glyphs, int cellHeight) {
    std::vector<std::uint8_t> out;
    out.push_back(0);    // first code
    out.push_back(255);  // last code
    const std::size_t tableStart = out.size();
    out.resize(tableStart + glyphs.size() * 4);
    for (std::size_t code = 0; code < glyphs.size(); ++code) {
        const std::uint32_t offset = static_cast<std::uint32_t>(out.size());
        for (int k = 0; k < 4; ++k) {
            out[tableStart + code * 4 + k] = static_cast<std::uint8_t>(offset >> (8 * k));
        }
        const Glyph& g = glyphs[code];
        out.push_back(static_cast<std::uint8_t>(g.width));
        out.push_back(static_cast<std::uint8_t>(cellHeight));
        const int rowBytes = (g.width + 7) / 8;
        for (int y = cellHeight - 1; y >= 0; --y) {
            for (int b = 0; b < rowBytes; ++b) {
                std::uint8_t byte = 0xFF;  // background, also in the unused low bits
                for (int bit = 0; bit < 8; ++bit) {
                    const int x = b * 8 + bit;
                    if (x < g.width && g.ink[static_cast<std::size_t>(y) * g.width + x]) {
                        byte &= static_cast<std::uint8_t>(~(0x80 >> bit));
                    }
                }
                out.push_back(byte);
            }
        }
    }
    return out;
}

void DrawGlyph(Canvas& c, const Glyph& g, int cellHeight, int x0, int y0, std::uint32_t ink) {
    for (int y = 0; y < cellHeight; ++y) {
        for (int x = 0; x < g.width; ++x) {
            if (g.ink[static_cast<std::size_t>(y) * g.width + x] && x0 + x < c.width &&
                y0 + y < c.height) {
                c.Set(x0 + x, y0 + y, ink);
            }
        }
    }
}

// All 256 codes in a 16 x 16 grid of cells (cell outlines in dark grey), then a sample line.
void WritePreview(const std::string& path, const std::vector<Glyph>& glyphs, int cellHeight) {
    int maxWidth = 1;
    for (const Glyph& g : glyphs)
        maxWidth = std::max(maxWidth, g.width);
    const int pitchX = maxWidth + 2;
    const int pitchY = cellHeight + 2;
    const char* sample = "Welches R\xE4tsel? \xC4\xD6\xDC \xE4\xF6\xFC\xDF 0123456789 \x80 +-:.";
    int sampleWidth = 0;
    for (const char* p = sample; *p; ++p)
        sampleWidth += glyphs[static_cast<std::uint8_t>(*p)].width;
    Canvas c(std::max(16 * pitchX, sampleWidth + 4), 17 * pitchY + 4);
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x)
            c.Set(x, y, 0xFF000000);
    for (int code = 0; code < 256; ++code) {
        const int cx = (code % 16) * pitchX;
        const int cy = (code / 16) * pitchY;
        const Glyph& g = glyphs[code];
        for (int y = 0; y < cellHeight + 2; ++y) {
            c.Set(cx, cy + y, 0xFF303030);
            if (cx + g.width + 1 < c.width)
                c.Set(cx + g.width + 1, cy + y, 0xFF303030);
        }
        DrawGlyph(c, g, cellHeight, cx + 1, cy + 1, 0xFFFFFFFF);
    }
    int x = 2;
    for (const char* p = sample; *p; ++p) {
        const Glyph& g = glyphs[static_cast<std::uint8_t>(*p)];
        DrawGlyph(c, g, cellHeight, x, 16 * pitchY + 2, 0xFFC0C0FF);
        x += g.width;
    }
    kelvandor::tools::WritePng(path, c);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: kelvandor-make-fonts FONT.ttf OUTDIR [PREVIEWDIR]\n");
        return 2;
    }
    try {
        FT_Library library;
        Check(FT_Init_FreeType(&library), "FT_Init_FreeType");
        FT_Face face;
        Check(FT_New_Face(library, argv[1], 0, &face), "FT_New_Face");
        for (const FontTarget& t : kFonts) {
            const int size = ChooseSize(face, t);
            Check(FT_Set_Pixel_Sizes(face, 0, size), "FT_Set_Pixel_Sizes");
            const int ascender = static_cast<int>(face->size->metrics.ascender >> 6);
            const int descender = static_cast<int>(-(face->size->metrics.descender >> 6));
            // The ascender-to-descender box sits in the middle of the cell.
            const int baselineRow = (t.cellHeight - ascender - descender) / 2 + ascender;
            std::vector<Glyph> glyphs;
            for (int code = 0; code < 256; ++code) {
                glyphs.push_back(
                    RenderGlyph(face, Cp1252ToUnicode(code), t.cellHeight, baselineRow));
            }
            glyphs[0xA0].width = glyphs[' '].width;  // no-break space
            glyphs[0xA0].ink.assign(static_cast<std::size_t>(glyphs[0xA0].width) * t.cellHeight, 0);
            kelvandor::tools::WriteFile(std::string(argv[2]) + "/" + t.name + ".glf",
                                        EncodeFont(glyphs, t.cellHeight));
            std::printf("%s: %d px, cell %d, baseline row %d, A %d, 0 %d, space %d, W %d\n", t.name,
                        size, t.cellHeight, baselineRow, glyphs['A'].width, glyphs['0'].width,
                        glyphs[' '].width, glyphs['W'].width);
            if (argc == 4) {
                WritePreview(std::string(argv[3]) + "/" + t.name + ".png", glyphs, t.cellHeight);
            }
        }
        FT_Done_Face(face);
        FT_Done_FreeType(library);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kelvandor-make-fonts: %s\n", e.what());
        return 1;
    }
    return 0;
}
