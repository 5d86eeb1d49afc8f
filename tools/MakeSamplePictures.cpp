// Draws the answer pictures of the sample puzzle set: national flags (PNG) for Game003,
// planets (JPEG) for Game004 and building silhouettes (PNG with alpha, in a subfolder that
// Game.txt names with a backslash) for Game006. Run by hand from the repository root:
//
//   cmake -S tools -B build-tools -G Ninja && cmake --build build-tools
//   build-tools/kelvandor-make-sample-pictures samples/puzzles
//
// Everything is drawn at four times the size and averaged down, so edges come out smooth.
// The planets and buildings are drawn at one size each on purpose: a picture shows which
// answer it belongs to, never where the answer goes.

// jpeglib.h needs size_t and FILE declared before it.
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "ToolImage.h"

namespace kelvandor::tools {
namespace {

constexpr int kScale = 4;

struct Point {
    double x;
    double y;
};

// A supersampled RGBA canvas; coordinates are in output pixels.
class Painter {
public:
    Painter(int width, int height)
        : width_(width),
          height_(height),
          pixels_(static_cast<std::size_t>(width) * height * kScale * kScale, 0) {}

    using Inside = std::function<bool(double, double)>;
    using Colour = std::function<std::uint32_t(double, double)>;

    void Fill(const Inside& inside, const Colour& colour) {
        for (int y = 0; y < height_ * kScale; ++y) {
            for (int x = 0; x < width_ * kScale; ++x) {
                const double px = (x + 0.5) / kScale;
                const double py = (y + 0.5) / kScale;
                if (inside(px, py)) {
                    Blend(pixels_[static_cast<std::size_t>(y) * width_ * kScale + x],
                          colour(px, py));
                }
            }
        }
    }
    void Fill(const Inside& inside, std::uint32_t argb) {
        Fill(inside, [argb](double, double) { return argb; });
    }

    void Rect(double x0, double y0, double x1, double y1, std::uint32_t argb) {
        Fill([=](double x, double y) { return x >= x0 && x < x1 && y >= y0 && y < y1; }, argb);
    }

    void Circle(double cx, double cy, double r, std::uint32_t argb) {
        Fill([=](double x, double y) { return Sq(x - cx) + Sq(y - cy) <= r * r; }, argb);
    }

    void Polygon(std::vector<Point> points, std::uint32_t argb) {
        Fill([points = std::move(points)](double x, double y) { return InPolygon(points, x, y); },
             argb);
    }

    Canvas Result() const {
        Canvas canvas(width_, height_);
        for (int y = 0; y < height_; ++y) {
            for (int x = 0; x < width_; ++x) {
                double sum[4] = {0, 0, 0, 0};
                for (int sy = 0; sy < kScale; ++sy) {
                    for (int sx = 0; sx < kScale; ++sx) {
                        const std::uint32_t p =
                            pixels_[static_cast<std::size_t>(y * kScale + sy) * width_ * kScale +
                                    x * kScale + sx];
                        const double a = (p >> 24) / 255.0;
                        sum[0] += ((p >> 16) & 0xFF) * a;
                        sum[1] += ((p >> 8) & 0xFF) * a;
                        sum[2] += (p & 0xFF) * a;
                        sum[3] += a;
                    }
                }
                std::uint8_t* out = canvas.At(x, y);
                const double alpha = sum[3] / (kScale * kScale);
                for (int k = 0; k < 3; ++k) {
                    out[k] = sum[3] > 0 ? static_cast<std::uint8_t>(
                                              std::lround(std::min(255.0, sum[k] / sum[3])))
                                        : 0;
                }
                out[3] = static_cast<std::uint8_t>(std::lround(alpha * 255));
            }
        }
        return canvas;
    }

    static double Sq(double v) { return v * v; }

private:
    static bool InPolygon(const std::vector<Point>& p, double x, double y) {
        bool inside = false;
        for (std::size_t i = 0, j = p.size() - 1; i < p.size(); j = i++) {
            if ((p[i].y > y) != (p[j].y > y) &&
                x < (p[j].x - p[i].x) * (y - p[i].y) / (p[j].y - p[i].y) + p[i].x) {
                inside = !inside;
            }
        }
        return inside;
    }

    // Source-over blending of straight colours.
    static void Blend(std::uint32_t& dst, std::uint32_t src) {
        const double sa = (src >> 24) / 255.0;
        const double da = (dst >> 24) / 255.0;
        const double oa = sa + da * (1 - sa);
        if (oa <= 0) {
            dst = 0;
            return;
        }
        std::uint32_t out = static_cast<std::uint32_t>(std::lround(oa * 255)) << 24;
        for (int shift : {16, 8, 0}) {
            const double s = (src >> shift) & 0xFF;
            const double d = (dst >> shift) & 0xFF;
            const double c = (s * sa + d * da * (1 - sa)) / oa;
            out |= static_cast<std::uint32_t>(std::lround(std::min(255.0, c))) << shift;
        }
        dst = out;
    }

    int width_;
    int height_;
    std::vector<std::uint32_t> pixels_;
};

std::uint32_t Shade(std::uint32_t rgb, double factor) {
    std::uint32_t out = 0xFF000000u;
    for (int shift : {16, 8, 0}) {
        const double c = std::clamp(((rgb >> shift) & 0xFF) * factor, 0.0, 255.0);
        out |= static_cast<std::uint32_t>(std::lround(c)) << shift;
    }
    return out;
}

void WriteJpeg(const std::string& path, const Canvas& canvas, int quality) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        throw std::runtime_error("cannot write " + path);
    }
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);  // the default error exit ends the program
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, f);
    info.image_width = static_cast<JDIMENSION>(canvas.width);
    info.image_height = static_cast<JDIMENSION>(canvas.height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(canvas.width) * 3);
    while (info.next_scanline < info.image_height) {
        for (int x = 0; x < canvas.width; ++x) {
            const std::uint8_t* p = canvas.At(x, static_cast<int>(info.next_scanline));
            for (int k = 0; k < 3; ++k) {
                row[static_cast<std::size_t>(x) * 3 + k] = p[k];
            }
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    if (std::fclose(f) != 0) {
        throw std::runtime_error("cannot write " + path);
    }
}

// ---- Game003: flags --------------------------------------------------------------------------

Canvas Stripes(int w, int h, bool vertical, std::vector<std::uint32_t> colours,
               std::vector<double> shares = {}) {
    Painter p(w, h);
    if (shares.empty()) {
        shares.assign(colours.size(), 1.0 / static_cast<double>(colours.size()));
    }
    double start = 0;
    for (std::size_t i = 0; i < colours.size(); ++i) {
        const double end = start + shares[i];
        if (vertical) {
            p.Rect(start * w, 0, end * w, h, colours[i]);
        } else {
            p.Rect(0, start * h, w, end * h, colours[i]);
        }
        start = end;
    }
    // A thin grey edge keeps white stripes apart from a light screen.
    p.Fill([=](double x, double y) { return x < 1 || y < 1 || x >= w - 1 || y >= h - 1; },
           0xFF808080u);
    return p.Result();
}

void MakeFlags(const std::string& dir) {
    const std::uint32_t white = 0xFFFFFFFFu;
    WritePng(dir + "/frankreich.png", Stripes(150, 100, true, {0xFF002395u, white, 0xFFED2939u}));
    WritePng(dir + "/deutschland.png",
             Stripes(160, 96, false, {0xFF000000u, 0xFFDD0000u, 0xFFFFCE00u}));
    WritePng(dir + "/polen.png", Stripes(160, 100, false, {white, 0xFFDC143Cu}));
    WritePng(dir + "/italien.png", Stripes(150, 100, true, {0xFF009246u, white, 0xFFCE2B37u}));
    WritePng(dir + "/oesterreich.png", Stripes(150, 100, false, {0xFFC8102Eu, white, 0xFFC8102Eu}));
    WritePng(dir + "/niederlande.png", Stripes(150, 100, false, {0xFFAE1C28u, white, 0xFF21468Bu}));
    WritePng(dir + "/belgien.png",
             Stripes(130, 150, true, {0xFF000000u, 0xFFFDDA24u, 0xFFEF3340u}));
}

// ---- Game004: planets ------------------------------------------------------------------------

struct Planet {
    const char* file;
    std::function<std::uint32_t(double, double)> surface;  // u, v in -1..1
    bool rings = false;
};

// A lit sphere of radius r at the centre, on a black sky with a few stars.
Canvas DrawPlanet(const Planet& planet) {
    constexpr int kSize = 120;
    constexpr double c = kSize / 2.0;
    const double r = planet.rings ? 34 : 46;
    Painter p(kSize, kSize);
    p.Rect(0, 0, kSize, kSize, 0xFF05060Cu);
    std::uint32_t seed = 0x2545F491u;
    for (int i = 0; i < 30; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const double x = (seed >> 8) % kSize;
        seed = seed * 1664525u + 1013904223u;
        const double y = (seed >> 8) % kSize;
        p.Circle(x + 0.5, y + 0.5, 0.6, 0xFFB0B8D0u);
    }
    const double tilt = 0.35;
    auto ring = [&](double x, double y) {
        const double dx = (x - c) / (r * 2.1);
        const double dy = (y - c) / (r * 2.1 * tilt);
        const double d = dx * dx + dy * dy;
        return d <= 1.0 && d >= 0.55;
    };
    if (planet.rings) {  // the back half of the rings, behind the planet
        p.Fill([&](double x, double y) { return y < c && ring(x, y); }, 0xFFC8B48Cu);
    }
    p.Fill([&](double x, double y) { return Painter::Sq(x - c) + Painter::Sq(y - c) <= r * r; },
           [&](double x, double y) {
               const double u = (x - c) / r;
               const double v = (y - c) / r;
               const double z = std::sqrt(std::max(0.0, 1 - u * u - v * v));
               const double light = std::max(0.0, -0.55 * u - 0.45 * v + 0.7 * z);
               return Shade(planet.surface(u, v) & 0xFFFFFFu, 0.18 + 0.95 * light);
           });
    if (planet.rings) {
        p.Fill([&](double x, double y) { return y >= c && ring(x, y); }, 0xFFD8C49Cu);
    }
    return p.Result();
}

void MakePlanets(const std::string& dir) {
    auto plain = [](std::uint32_t rgb) { return [rgb](double, double) { return rgb; }; };
    auto bands = [](std::vector<std::uint32_t> colours, double count) {
        return [colours, count](double, double v) {
            const auto i = static_cast<std::size_t>(std::floor((v + 1) * count)) % colours.size();
            return colours[i];
        };
    };
    const std::vector<Planet> planets = {
        {"jupiter.jpg",
         [](double u, double v) {
             if (Painter::Sq((u - 0.3) / 0.22) + Painter::Sq((v - 0.35) / 0.12) <= 1) {
                 return 0xC0573Au;  // the great red spot
             }
             const std::uint32_t colours[] = {0xD8C3A0u, 0xB08456u, 0xE6D8BCu, 0x9C6B45u};
             return colours[static_cast<std::size_t>(std::floor((v + 1) * 4.5)) % 4];
         }},
        {"saturn.jpg", bands({0xE3CF9Bu, 0xCDB47Eu, 0xEADBAFu}, 3.5), true},
        {"uranus.jpg", plain(0x9ED9E0u)},
        {"neptun.jpg", bands({0x3A63C9u, 0x3359B8u}, 2.5)},
        {"erde.jpg",
         [](double u, double v) {
             const double land = std::sin(u * 5.1 + 1.3) * std::cos(v * 4.3 - 0.4) +
                                 0.5 * std::sin(u * 11.0 - v * 7.0);
             if (std::abs(v) > 0.86) {
                 return 0xF2F4F8u;  // ice caps
             }
             return land > 0.45 ? 0x4E8A3Cu : 0x2B5FB5u;
         }},
        {"venus.jpg", bands({0xE8D3A2u, 0xDCC48Eu}, 2)},
        {"mars.jpg",
         [](double u, double v) {
             return std::sin(u * 6.0) * std::cos(v * 5.0) > 0.55 ? 0x8E3B1Eu : 0xC1562Fu;
         }},
        {"merkur.jpg",
         [](double u, double v) {
             const double crater = std::sin(u * 13.0 + 2) * std::sin(v * 11.0 + 1);
             return crater > 0.7 ? 0x6F6C68u : 0x9A9692u;
         }},
    };
    for (const Planet& planet : planets) {
        WriteJpeg(dir + "/" + planet.file, DrawPlanet(planet), 90);
    }
}

// ---- Game006: buildings ----------------------------------------------------------------------

constexpr int kBuildingW = 100;
constexpr int kBuildingH = 140;
constexpr std::uint32_t kStone = 0xFFE9C46Au;
constexpr std::uint32_t kShadow = 0xFFB8913Eu;
constexpr double kGround = 134;

void Ground(Painter& p) {
    p.Rect(4, kGround, kBuildingW - 4, kGround + 3, kShadow);
}

Canvas BurjKhalifa() {
    Painter p(kBuildingW, kBuildingH);
    const double cx = 50;
    double top = kGround;
    const double widths[] = {30, 25, 21, 17, 13, 10, 7, 5};
    for (double w : widths) {
        const double h = 13;
        p.Rect(cx - w / 2, top - h, cx + w / 2, top, kStone);
        p.Rect(cx + w / 2 - 3, top - h, cx + w / 2, top, kShadow);
        top -= h;
    }
    p.Polygon({{cx - 2.5, top}, {cx + 2.5, top}, {cx, 4}}, kStone);
    Ground(p);
    return p.Result();
}

Canvas Fernsehturm() {
    Painter p(kBuildingW, kBuildingH);
    const double cx = 50;
    p.Polygon({{cx - 7, kGround}, {cx + 7, kGround}, {cx + 4, 62}, {cx - 4, 62}}, kStone);
    p.Circle(cx, 52, 14, kStone);
    p.Fill([=](double x,
               double y) { return Painter::Sq(x - cx) + Painter::Sq(y - 52) <= 196 && x > cx + 4; },
           kShadow);
    p.Rect(cx - 3, 20, cx + 3, 40, kStone);
    p.Rect(cx - 1.2, 4, cx + 1.2, 22, 0xFFD64541u);
    Ground(p);
    return p.Result();
}

Canvas Eiffelturm() {
    Painter p(kBuildingW, kBuildingH);
    const double cx = 50;
    // Two legs that meet under the top, cut by the arch between them.
    p.Fill(
        [=](double x, double y) {
            if (y < 8 || y > kGround) {
                return false;
            }
            const double t = (kGround - y) / (kGround - 8);  // 0 at the ground, 1 at the top
            const double half = 36 * std::pow(1 - t, 2.2) + 2.2;
            if (std::abs(x - cx) > half) {
                return false;
            }
            const bool arch =
                y > 104 && Painter::Sq((x - cx) / 20) + Painter::Sq((y - kGround) / 28) < 1;
            return !arch;
        },
        kStone);
    p.Rect(cx - 24, 100, cx + 24, 104, kShadow);  // first platform
    p.Rect(cx - 12, 72, cx + 12, 75, kShadow);    // second platform
    p.Rect(cx - 1, 2, cx + 1, 10, kStone);
    Ground(p);
    return p.Result();
}

Canvas KoelnerDom() {
    Painter p(kBuildingW, kBuildingH);
    for (double cx : {30.0, 70.0}) {
        p.Rect(cx - 11, 58, cx + 11, kGround, kStone);
        p.Polygon({{cx - 11, 58}, {cx + 11, 58}, {cx, 6}}, kStone);
        p.Polygon({{cx, 58}, {cx + 11, 58}, {cx, 6}}, kShadow);
        for (double y : {76.0, 98.0}) {
            p.Fill(
                [=](double x, double yy) { return std::abs(x - cx) < 3 && yy > y && yy < y + 14; },
                0xFF6B4F1Du);
        }
    }
    p.Rect(41, 84, 59, kGround, kStone);
    p.Polygon({{41, 84}, {59, 84}, {50, 70}}, kStone);
    p.Fill(
        [](double x, double y) {
            return Painter::Sq((x - 50) / 5) + Painter::Sq((y - 112) / 14) < 1 && y > 104;
        },
        0xFF6B4F1Du);
    Ground(p);
    return p.Result();
}

Canvas Pyramide() {
    Painter p(kBuildingW, kBuildingH);
    p.Polygon({{6, kGround}, {94, kGround}, {50, 66}}, kStone);
    p.Polygon({{50, 66}, {94, kGround}, {62, kGround}}, kShadow);
    for (double y = 74; y < kGround; y += 8) {
        p.Fill(
            [=](double x, double yy) {
                const double half = (yy - 66) * 44 / (kGround - 66);
                return std::abs(yy - y) < 0.5 && std::abs(x - 50) < half;
            },
            0x60000000u);
    }
    Ground(p);
    return p.Result();
}

Canvas Freiheitsstatue() {
    Painter p(kBuildingW, kBuildingH);
    p.Polygon({{26, kGround}, {74, kGround}, {68, 96}, {32, 96}}, kShadow);  // pedestal
    p.Rect(30, 92, 70, 96, kStone);
    const std::uint32_t copper = 0xFF7FB8A4u;
    p.Polygon({{38, 92}, {62, 92}, {57, 50}, {52, 38}, {46, 40}, {43, 50}}, copper);  // robe
    p.Circle(49, 33, 6, copper);                                                      // head
    for (int i = -2; i <= 2; ++i) {  // the crown's rays
        const double a = -1.5708 + i * 0.42;
        p.Polygon({{49 + 5 * std::cos(a - 0.15), 33 + 5 * std::sin(a - 0.15)},
                   {49 + 5 * std::cos(a + 0.15), 33 + 5 * std::sin(a + 0.15)},
                   {49 + 12 * std::cos(a), 33 + 12 * std::sin(a)}},
                  copper);
    }
    p.Polygon({{53, 46}, {58, 44}, {64, 14}, {60, 13}}, copper);       // raised arm
    p.Rect(58, 8, 66, 14, copper);                                     // torch
    p.Circle(62, 6, 3.5, 0xFFF3A53Au);                                 // flame
    p.Polygon({{38, 60}, {44, 58}, {44, 72}, {38, 74}}, 0xFF5E9C88u);  // tablet
    Ground(p);
    return p.Result();
}

Canvas BrandenburgerTor() {
    Painter p(kBuildingW, kBuildingH);
    p.Rect(8, 124, 92, kGround, kStone);  // plinth
    for (int i = 0; i < 6; ++i) {
        const double x = 12 + i * 14.4;
        p.Rect(x, 86, x + 5, 124, kStone);
    }
    p.Rect(6, 78, 94, 86, kStone);    // entablature
    p.Rect(18, 66, 82, 78, kShadow);  // attic
    // The quadriga: four horses and the chariot as one dark group.
    const std::uint32_t bronze = 0xFF4F6F5Cu;
    p.Rect(36, 56, 64, 66, bronze);
    for (int i = 0; i < 4; ++i) {
        p.Circle(38 + i * 8, 54, 3, bronze);
    }
    p.Rect(48, 42, 52, 56, bronze);
    p.Polygon({{46, 40}, {54, 40}, {50, 34}}, bronze);
    Ground(p);
    return p.Result();
}

void MakeBuildings(const std::string& dir) {
    std::filesystem::create_directories(dir);
    WritePng(dir + "/burj-khalifa.png", BurjKhalifa());
    WritePng(dir + "/fernsehturm.png", Fernsehturm());
    WritePng(dir + "/eiffelturm.png", Eiffelturm());
    WritePng(dir + "/koelner-dom.png", KoelnerDom());
    WritePng(dir + "/cheops-pyramide.png", Pyramide());
    WritePng(dir + "/freiheitsstatue.png", Freiheitsstatue());
    WritePng(dir + "/brandenburger-tor.png", BrandenburgerTor());
}

}  // namespace
}  // namespace kelvandor::tools

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s SAMPLES_DIR   (e.g. samples/puzzles)\n", argv[0]);
        return 2;
    }
    const std::string root = argv[1];
    try {
        kelvandor::tools::MakeFlags(root + "/Game003");
        kelvandor::tools::MakePlanets(root + "/Game004");
        kelvandor::tools::MakeBuildings(root + "/Game006/bauwerke");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
