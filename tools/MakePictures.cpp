// Makes the program's own pictures: the three star bitmaps (resources 149, 150, 151), the
// digit strip (152), the toolbar bitmap (128) and the program icon. Run by hand from the
// repository root after changing this file:
//
//   cmake -S tools -B build-tools -G Ninja && cmake --build build-tools
//   FONT=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
//   build-tools/kelvandor-make-pictures $FONT resources [PREVIEW_DIR]
//
// Output under resources/: bitmaps/star-large.bmp, star-medium.bmp, star-small.bmp,
// digits.bmp, toolbar.bmp, icons/kelvandor.ico and the icon for the desktop in the hicolor
// sizes (icons/hicolor/kelvandor-SIZE.png, installed, not embedded); with PREVIEW_DIR also
// PNGs of each (the toolbar enlarged eight times besides its 1:1 copy).
//
// The stars and the digit strip carry alpha with plain colours: the game blends them onto
// its screen by their alpha, so an edge pixel keeps its own colour and lets the panel's
// colour show through by the rest.

#include "ToolImage.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using kelvandor::tools::Canvas;

constexpr double kPi = 3.14159265358979323846;

struct Point {
    double x, y;
};

// ---------------------------------------------------------------------------------------
// A small anti-aliasing rasteriser: coverage of a polygon by 16 x 16 samples per pixel.

constexpr int kSamples = 16;

bool Inside(const std::vector<Point>& poly, double x, double y) {
    bool inside = false;
    for (std::size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
        const Point& a = poly[i];
        const Point& b = poly[j];
        if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) {
            inside = !inside;
        }
    }
    return inside;
}

double Coverage(const std::vector<Point>& poly, int px, int py) {
    int hits = 0;
    for (int sy = 0; sy < kSamples; ++sy) {
        for (int sx = 0; sx < kSamples; ++sx) {
            hits += Inside(poly, px + (sx + 0.5) / kSamples, py + (sy + 0.5) / kSamples);
        }
    }
    return static_cast<double>(hits) / (kSamples * kSamples);
}

double DistanceToSegment(Point p, Point a, Point b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    double t = ((p.x - a.x) * dx + (p.y - a.y) * dy) / (dx * dx + dy * dy);
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(p.x - a.x - t * dx, p.y - a.y - t * dy);
}

double DistanceToOutline(const std::vector<Point>& poly, Point p) {
    double d = 1e9;
    for (std::size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
        d = std::min(d, DistanceToSegment(p, poly[j], poly[i]));
    }
    return d;
}

std::uint8_t ToByte(double v) {
    return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

// How a picture with alpha stores its colour: plain (the game's pictures, blended by their
// alpha) or darkened by the alpha (as if laid on black; the icon's star, which is laid over
// the icon's tile by "over" with darkened colours).
enum class Colour { Plain, Darkened };

// Stores a colour (channels 0..255) with its alpha.
void Put(Canvas& c, int x, int y, double r, double g, double b, double alpha, Colour colour) {
    const double k = colour == Colour::Darkened ? alpha : 1.0;
    std::uint8_t* p = c.At(x, y);
    p[0] = ToByte(r * k);
    p[1] = ToByte(g * k);
    p[2] = ToByte(b * k);
    p[3] = ToByte(alpha * 255.0);
}

// ---------------------------------------------------------------------------------------
// Stars: a bevelled gold five-pointed star, lit from the top left, with a darker rim.

std::vector<Point> StarOutline(Point centre, double outer, double inner) {
    std::vector<Point> poly;
    for (int k = 0; k < 10; ++k) {
        const double radius = (k % 2 == 0) ? outer : inner;
        const double angle = -kPi / 2 + k * kPi / 5;
        poly.push_back({centre.x + radius * std::cos(angle), centre.y + radius * std::sin(angle)});
    }
    return poly;
}

// Brightness of the bevel facet under a point: each point of the star lies on one of ten
// triangles (centre, tip, inner corner), raised at the centre.
double FacetLight(const std::vector<Point>& poly, Point centre, Point p) {
    const double angle = std::atan2(p.y - centre.y, p.x - centre.x);
    double best = -1e9;
    double light = 0.0;
    for (int k = 0; k < 10; ++k) {
        const Point& a = poly[k];
        const Point& b = poly[(k + 1) % 10];
        const double angleA = std::atan2(a.y - centre.y, a.x - centre.x);
        const double angleB = std::atan2(b.y - centre.y, b.x - centre.x);
        // The facet whose bisector is nearest in angle to the point.
        const double mid =
            std::atan2(std::sin(angleA) + std::sin(angleB), std::cos(angleA) + std::cos(angleB));
        const double closeness = std::cos(angle - mid);
        if (closeness <= best)
            continue;
        best = closeness;
        const double height = std::hypot(a.x - centre.x, a.y - centre.y) * 0.35;
        const double ux = a.x - centre.x, uy = a.y - centre.y, uz = -height;
        const double vx = b.x - centre.x, vy = b.y - centre.y, vz = -height;
        double nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
        if (nz < 0)
            nx = -nx, ny = -ny, nz = -nz;
        const double len = std::sqrt(nx * nx + ny * ny + nz * nz);
        const double lx = -0.45, ly = -0.6, lz = 0.66;  // from the top left, image y down
        light = (nx * lx + ny * ly + nz * lz) / len;
    }
    return light;
}

Canvas MakeStar(int width, int height, Colour colour) {
    Canvas c(width, height);
    // A regular star's tips span 2R sin 72 degrees across and R (1 + cos 36 degrees) down.
    const double margin = 1.0;
    const double outer = std::min((width - 2 * margin) / (2 * std::sin(2 * kPi / 5)),
                                  (height - 2 * margin) / (1 + std::cos(kPi / 5)));
    const Point centre{
        width / 2.0, margin + outer + (height - 2 * margin - outer * (1 + std::cos(kPi / 5))) / 2};
    const std::vector<Point> poly = StarOutline(centre, outer, outer * 0.40);
    const double rim = std::max(1.0, outer / 30.0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double alpha = Coverage(poly, x, y);
            if (alpha <= 0.0)
                continue;
            const Point p{x + 0.5, y + 0.5};
            const double light = FacetLight(poly, centre, p);
            // Gold: deep where the facet turns away, pale yellow where it faces the light.
            const double t = std::clamp(0.55 + 0.75 * light, 0.0, 1.25);
            double r = 200 + 55 * std::min(t, 1.0);
            double g = 120 + 105 * t;
            double b = 10 + 120 * std::max(0.0, t - 0.8) / 0.45;
            const double edge = std::clamp(rim + 0.5 - DistanceToOutline(poly, p), 0.0, 1.0);
            r = r * (1 - edge) + 150 * edge;
            g = g * (1 - edge) + 85 * edge;
            b = b * (1 - edge) + 0 * edge;
            Put(c, x, y, r, g, b, alpha, colour);
        }
    }
    return c;
}

// ---------------------------------------------------------------------------------------
// The digit strip: sixteen cells of 40 x 56 pixels with "0123456789+-km.:" in white.

void Check(FT_Error error, const char* what) {
    if (error != 0)
        throw std::runtime_error(std::string("FreeType: ") + what + " failed");
}

struct Rendered {
    int left = 0, top = 0, width = 0, rows = 0;
    std::vector<std::uint8_t> grey;
};

// Renders one character at the given pixel size, emboldened, squeezed horizontally by
// squeeze (1 = not at all).
Rendered RenderCharacter(FT_Face face, char ch, int size, double squeeze) {
    Check(FT_Set_Pixel_Sizes(face, 0, size), "FT_Set_Pixel_Sizes");
    FT_Matrix m{static_cast<FT_Fixed>(squeeze * 65536), 0, 0, 0x10000};
    FT_Set_Transform(face, &m, nullptr);
    Check(
        FT_Load_Char(face, static_cast<unsigned char>(ch), FT_LOAD_NO_BITMAP | FT_LOAD_NO_HINTING),
        "FT_Load_Char");
    Check(FT_Outline_Embolden(&face->glyph->outline, size * 64 / 16), "FT_Outline_Embolden");
    Check(FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL), "FT_Render_Glyph");
    const FT_Bitmap& bm = face->glyph->bitmap;
    Rendered r;
    r.left = face->glyph->bitmap_left;
    r.top = face->glyph->bitmap_top;
    r.width = static_cast<int>(bm.width);
    r.rows = static_cast<int>(bm.rows);
    for (int y = 0; y < r.rows; ++y)
        for (int x = 0; x < r.width; ++x)
            r.grey.push_back(bm.buffer[y * bm.pitch + x]);
    FT_Set_Transform(face, nullptr, nullptr);
    return r;
}

Canvas MakeDigitStrip(FT_Face face) {
    const char* glyphs = "0123456789+-km.:";
    constexpr int kCell = 40, kHeight = 56, kMarginX = 2, kMarginY = 2;
    // The largest size at which every digit fits its cell; the few wider signs ('m', 'k',
    // '+') are squeezed horizontally rather than shrinking the digits.
    int size = kHeight;
    for (; size > 8; --size) {
        int top = -1000, bottom = 1000;
        bool fits = true;
        for (const char* p = glyphs; *p; ++p) {
            const Rendered r = RenderCharacter(face, *p, size, 1.0);
            top = std::max(top, r.top);
            bottom = std::min(bottom, r.top - r.rows);
            if (*p >= '0' && *p <= '9' && r.width > kCell - 2 * kMarginX)
                fits = false;
        }
        if (fits && top - bottom <= kHeight - 2 * kMarginY)
            break;
    }
    int top = -1000, bottom = 1000;
    std::vector<Rendered> rendered;
    for (const char* p = glyphs; *p; ++p) {
        Rendered r = RenderCharacter(face, *p, size, 1.0);
        if (r.width > kCell - 2 * kMarginX) {
            r = RenderCharacter(face, *p, size, (kCell - 2.0 * kMarginX - 1) / r.width);
        }
        top = std::max(top, r.top);
        bottom = std::min(bottom, r.top - r.rows);
        rendered.push_back(r);
    }
    std::printf("digit strip: %d px, ink rows %d\n", size, top - bottom);
    const int baseline = (kHeight - (top - bottom)) / 2 + top;
    Canvas c(16 * kCell, kHeight);
    for (int i = 0; i < 16; ++i) {
        const Rendered& r = rendered[i];
        const int x0 = i * kCell + (kCell - r.width) / 2;
        const int y0 = baseline - r.top;
        for (int y = 0; y < r.rows; ++y) {
            for (int x = 0; x < r.width; ++x) {
                const double a = r.grey[static_cast<std::size_t>(y) * r.width + x] / 255.0;
                if (a > 0 && y0 + y >= 0 && y0 + y < kHeight) {
                    Put(c, x0 + x, y0 + y, 255, 255, 255, a, Colour::Plain);
                }
            }
        }
    }
    return c;
}

// ---------------------------------------------------------------------------------------
// The toolbar: seven 16 x 15 buttons in the order of the toolbar resource, drawn pixel by
// pixel in the classic sixteen colours on the light grey that the toolbar treats as
// transparent.

constexpr std::uint32_t kToolbarGrey = 0xC0C0C0;

std::uint32_t PixelColour(char ch) {
    switch (ch) {
        case 'k':
            return 0x000000;
        case 'g':
            return 0x808080;
        case 'w':
            return 0xFFFFFF;
        case 'r':
            return 0xFF0000;
        case 'R':
            return 0x800000;
        case 'b':
            return 0x0000FF;
        case 'B':
            return 0x000080;
        case 'y':
            return 0xFFFF00;
        case 'Y':
            return 0x808000;
        case 'G':
            return 0x008000;
        case 'l':
            return 0x00FF00;
        case 'c':
            return 0x00FFFF;
        default:
            return kToolbarGrey;
    }
}

using Icon = std::array<const char*, 15>;

const Icon kIcons[] = {
    // full screen: a monitor whose picture grows to the corners
    Icon{"................", ".kkkkkkkkkkkkkk.", ".kBBBBBBBBBBBBk.", ".kBwwwBBBBwwwBk.",
         ".kBwwBBBBBBwwBk.", ".kBwBwBBBBwBwBk.", ".kBBBBwBBwBBBBk.", ".kBBBBBBBBBBBBk.",
         ".kBwBwBBBBwBwBk.", ".kBwwBBBBBBwwBk.", ".kBwwwBBBBwwwBk.", ".kkkkkkkkkkkkkk.",
         "......kggk......", "....kkkkkkkk....", "................"},
    // stay on top: a red drawing pin
    Icon{"................", ".........kk.....", "........krrk....", ".......krwrrk...",
         "......krwrrrrk..", ".......krrrrrrk.", "........krrrrk..", ".......kRkrrk...",
         "......kRRRkk....", ".....kggRRk.....", "....kgg.kk......", "...kgg..........",
         "..kgg...........", ".kg.............", "................"},
    // stop left timer: a stop sign with an L
    Icon{"................", ".....kkkkkk.....", "....krrrrrrk....", "...krrrrrrrrk...",
         "..krrrwwrrrrrk..", ".krrrrwwrrrrrrk.", ".krrrrwwrrrrrrk.", ".krrrrwwrrrrrrk.",
         ".krrrrwwrrrrrrk.", ".krrrrwwwwwwrrk.", "..krrrwwwwwwrk..", "...krrrrrrrrk...",
         "....krrrrrrk....", ".....kkkkkk.....", "................"},
    // stop right timer: a stop sign with an R
    Icon{"................", ".....kkkkkk.....", "....krrrrrrk....", "...krrrrrrrrk...",
         "..krrwwwwwrrrk..", ".krrrwwrrwwrrrk.", ".krrrwwrrwwrrrk.", ".krrrwwwwwrrrrk.",
         ".krrrwwrwwrrrrk.", ".krrrwwrrwwrrrk.", "..krrwwrrrwwrk..", "...krrrrrrrrk...",
         "....krrrrrrk....", ".....kkkkkk.....", "................"},
    // next puzzle: a green play arrow up against a bar
    Icon{"................", "................", "..kk.......kkk..", "..klk......klk..",
         "..kllk.....klk..", "..klllk....klk..", "..kllllk...klk..", "..klllllk..klk..",
         "..kllllk...klk..", "..klllk....klk..", "..kllk.....klk..", "..klk......klk..",
         "..kk.......kkk..", "................", "................"},
    // reveal: an open eye
    Icon{"................", "................", "................", ".....kkkkkk.....",
         "...kkwwwwwwkk...", "..kwwwbbbbwwwk..", ".kwwwbbkkbbwwwk.", "kwwwwbkkkkbwwwwk",
         ".kwwwbbkkbbwwwk.", "..kwwwbbbbwwwk..", "...kkwwwwwwkk...", ".....kkkkkk.....",
         "................", "................", "................"},
    // about: a question mark in a speech bubble
    Icon{"................", "..kkkkkkkkkkkk..", ".kwwwwwwwwwwwwk.", ".kwwwwBBBBwwwwk.",
         ".kwwwBBwwBBwwwk.", ".kwwwwwwwBBwwwk.", ".kwwwwwwBBwwwwk.", ".kwwwwwBBwwwwwk.",
         ".kwwwwwBBwwwwwk.", ".kwwwwwwwwwwwwk.", ".kwwwwwBBwwwwwk.", "..kkkkwwkkkkkk..",
         "......kwk.......", "......kk........", "................"},
};

Canvas MakeToolbar() {
    constexpr int kCount = sizeof(kIcons) / sizeof(kIcons[0]);
    Canvas c(16 * kCount, 15);
    for (int i = 0; i < kCount; ++i) {
        for (int y = 0; y < 15; ++y) {
            const std::string row = kIcons[i][y];
            if (row.size() != 16)
                throw std::runtime_error("toolbar icon row is not 16 wide");
            for (int x = 0; x < 16; ++x)
                c.Set(i * 16 + x, y, 0xFF000000 | PixelColour(row[x]));
        }
    }
    return c;
}

// ---------------------------------------------------------------------------------------
// The program icon: the gold star on a rounded blue tile, in four sizes.

Canvas MakeIconImage(int size) {
    Canvas c(size, size);
    const double radius = size * 0.18;
    const double inset = size / 32.0;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            // Coverage of the rounded square by supersampling.
            int hits = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const double px = x + (sx + 0.5) / kSamples, py = y + (sy + 0.5) / kSamples;
                    const double qx = std::clamp(px, inset + radius, size - inset - radius);
                    const double qy = std::clamp(py, inset + radius, size - inset - radius);
                    hits += std::hypot(px - qx, py - qy) <= radius;
                }
            }
            const double a = static_cast<double>(hits) / (kSamples * kSamples);
            const double shade = 1.0 - 0.45 * y / size;
            std::uint8_t* p = c.At(x, y);
            p[0] = ToByte(30 * shade);
            p[1] = ToByte(60 * shade);
            p[2] = ToByte(170 * shade);
            p[3] = ToByte(a * 255);
        }
    }
    const int starWidth = size - 2 * std::max(2, size / 8);
    const int starHeight = starWidth * 95 / 100;
    const Canvas star = MakeStar(starWidth, starHeight, Colour::Darkened);
    const int ox = (size - starWidth) / 2, oy = (size - starHeight) / 2 + size / 32;
    for (int y = 0; y < starHeight; ++y) {
        for (int x = 0; x < starWidth; ++x) {
            const std::uint8_t* s = star.At(x, y);
            std::uint8_t* d = c.At(ox + x, oy + y);
            // The star's colour is already darkened by its alpha: "over" is s + d (1 - a).
            for (int k = 0; k < 3; ++k)
                d[k] = ToByte(s[k] + d[k] * (1.0 - s[3] / 255.0));
        }
    }
    return c;
}

// An .ico file with 32-bit images (colour with alpha, and the one-bit mask that old
// readers expect beside it).
std::vector<std::uint8_t> EncodeIco(const std::vector<Canvas>& images) {
    using kelvandor::tools::PutLe16;
    using kelvandor::tools::PutLe32;
    std::vector<std::vector<std::uint8_t>> bodies;
    for (const Canvas& c : images) {
        std::vector<std::uint8_t> bmp = kelvandor::tools::EncodeBmp(c, 32);
        std::vector<std::uint8_t> body(bmp.begin() + 14, bmp.end());
        // The header announces colour and mask together: twice the height.
        const std::uint32_t doubled = c.height * 2;
        for (int k = 0; k < 4; ++k)
            body[8 + k] = static_cast<std::uint8_t>(doubled >> (8 * k));
        const int maskStride = ((c.width + 31) / 32) * 4;
        for (int y = c.height - 1; y >= 0; --y) {
            std::vector<std::uint8_t> row(maskStride, 0);
            for (int x = 0; x < c.width; ++x) {
                if (c.At(x, y)[3] == 0)
                    row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
            body.insert(body.end(), row.begin(), row.end());
        }
        bodies.push_back(std::move(body));
    }
    std::vector<std::uint8_t> out;
    PutLe16(out, 0);
    PutLe16(out, 1);
    PutLe16(out, static_cast<std::uint32_t>(images.size()));
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        out.push_back(static_cast<std::uint8_t>(images[i].width));
        out.push_back(static_cast<std::uint8_t>(images[i].height));
        out.push_back(0);
        out.push_back(0);
        PutLe16(out, 1);
        PutLe16(out, 32);
        PutLe32(out, static_cast<std::uint32_t>(bodies[i].size()));
        PutLe32(out, offset);
        offset += static_cast<std::uint32_t>(bodies[i].size());
    }
    for (const auto& body : bodies)
        out.insert(out.end(), body.begin(), body.end());
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: kelvandor-make-pictures FONT.ttf RESOURCEDIR [PREVIEWDIR]\n");
        return 2;
    }
    try {
        const std::string out = argv[2];
        const std::string preview = argc == 4 ? argv[3] : "";
        auto save = [&](const std::string& name, const Canvas& c, int bits, int zoom) {
            kelvandor::tools::WriteBmp(out + "/bitmaps/" + name + ".bmp", c, bits);
            if (!preview.empty()) {
                kelvandor::tools::WritePng(preview + "/" + name + ".png", c);
                if (bits == 32) {
                    // As on the game's panels: idle, active left, latched.
                    for (long panel : {0x000000L, 0x630000L, 0xBCBC00L}) {
                        char suffix[16];
                        std::snprintf(suffix, sizeof suffix, "-on-%06lX.png", panel);
                        kelvandor::tools::WritePng(preview + "/" + name + suffix, c, 1, panel);
                    }
                }
                if (zoom > 1)
                    kelvandor::tools::WritePng(preview + "/" + name + "-x8.png", c, zoom);
            }
        };
        save("star-large", MakeStar(100, 95, Colour::Plain), 32, 1);
        save("star-medium", MakeStar(75, 71, Colour::Plain), 32, 1);
        save("star-small", MakeStar(50, 47, Colour::Plain), 32, 1);

        FT_Library library;
        Check(FT_Init_FreeType(&library), "FT_Init_FreeType");
        FT_Face face;
        Check(FT_New_Face(library, argv[1], 0, &face), "FT_New_Face");
        save("digits", MakeDigitStrip(face), 32, 1);
        FT_Done_Face(face);
        FT_Done_FreeType(library);

        save("toolbar", MakeToolbar(), 24, 8);

        std::vector<Canvas> icons;
        for (int size : {16, 32, 48, 64})
            icons.push_back(MakeIconImage(size));
        kelvandor::tools::WriteFile(out + "/icons/kelvandor.ico", EncodeIco(icons));
        // The same icon for the desktop's menus, in the sizes of the hicolor theme.
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
            kelvandor::tools::WritePng(
                out + "/icons/hicolor/kelvandor-" + std::to_string(size) + ".png",
                MakeIconImage(size));
        if (!preview.empty()) {
            for (const Canvas& c : icons) {
                kelvandor::tools::WritePng(preview + "/icon-" + std::to_string(c.width) + ".png",
                                           c);
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kelvandor-make-pictures: %s\n", e.what());
        return 1;
    }
    return 0;
}
