#include "testcam/test_picture.h"

#include <algorithm>

namespace {

struct Cell {
    int cx, cy, r; // micrometres from the top-left corner of the scene
    int tone;
};

// Two kinds of stained cells; later ones lie over earlier ones.
constexpr Cell kCells[] = {
    {900, 900, 450, 0},   {2250, 1350, 560, 1}, {3800, 750, 400, 0},  {5300, 1400, 620, 0},
    {1400, 2200, 330, 1}, {3300, 2150, 380, 0}, {4600, 2900, 300, 1},
};
constexpr TestRgb kMembrane[2] = {{150, 70, 120}, {96, 88, 160}};
constexpr TestRgb kCytoplasm[2] = {{232, 190, 214}, {206, 200, 238}};
constexpr TestRgb kNucleus[2] = {{110, 50, 140}, {60, 52, 128}};
constexpr TestRgb kRulerEdge = {150, 148, 140};

constexpr TestRgb kSignalBands[8] = {
    // Memory order, bottom band first. The program's detector reads each sample across two
    // pixels (red of one, blue and green of the next), so these give it the hues
    // 0, 125, 240, 180, 0, 60, 300 and 0 degrees.
    {0, 255, 0}, {21, 0, 255},  {255, 0, 0},   {255, 0, 255},
    {0, 255, 0}, {0, 255, 255}, {255, 255, 0}, {0, 255, 0},
};

// 5x5 glyphs, one row a byte, bit 4 = leftmost column; digits use the left three columns.
constexpr uint8_t kDigits[10][5] = {
    {0x1c, 0x14, 0x14, 0x14, 0x1c}, {0x08, 0x18, 0x08, 0x08, 0x1c}, {0x1c, 0x04, 0x1c, 0x10, 0x1c},
    {0x1c, 0x04, 0x1c, 0x04, 0x1c}, {0x14, 0x14, 0x1c, 0x04, 0x04}, {0x1c, 0x10, 0x1c, 0x04, 0x1c},
    {0x1c, 0x10, 0x1c, 0x14, 0x1c}, {0x1c, 0x04, 0x04, 0x04, 0x04}, {0x1c, 0x14, 0x1c, 0x14, 0x1c},
    {0x1c, 0x14, 0x1c, 0x04, 0x1c},
};
constexpr uint8_t kLetterM[5] = {0x00, 0x1a, 0x15, 0x15, 0x15};

int ToPixels(int microns, int width) {
    return int(int64_t(microns) * width / kTestPictureMicronsWide);
}

int GlyphScale(const TestRect& ruler) {
    return std::max(1, (ruler.bottom - ruler.top) / 18);
}
int GlyphTop(const TestRect& ruler) {
    return ruler.top + (ruler.bottom - ruler.top) * 55 / 100;
}

// Whether (x, y) is ink of a glyph drawn with its top-left corner at (left, top).
bool GlyphInk(const uint8_t* rows, int columns, int left, int top, int scale, int x, int y) {
    if (x < left || y < top || x >= left + columns * scale || y >= top + 5 * scale)
        return false;
    const int col = (x - left) / scale, row = (y - top) / scale;
    return (rows[row] >> (4 - col)) & 1;
}

bool RulerInk(int width, int height, const TestRect& ruler, int x, int y) {
    const int tw = TestPicture_RulerTickWidth(width);
    // Ticks: the nearest tick at or left of x is enough, ticks are at least one pixel apart.
    const int count = TestPicture_RulerTickCount(width);
    int tenth = int(int64_t(x) * 64 / width) - 2;
    for (int t = std::max(0, tenth - 1); t <= std::min(count - 1, tenth + 1); ++t) {
        const int tx = TestPicture_RulerTickX(width, t);
        if (x >= tx && x < tx + tw && y < ruler.top + TestPicture_RulerTickLength(width, height, t))
            return true;
    }
    const int scale = GlyphScale(ruler), top = GlyphTop(ruler);
    if (y < top || y >= top + 5 * scale)
        return false;
    for (int mm = 0; mm * 10 < count; ++mm) {
        const int center = TestPicture_RulerTickX(width, mm * 10) + tw / 2;
        if (GlyphInk(kDigits[mm % 10], 3, center - 3 * scale / 2, top, scale, x, y))
            return true;
    }
    // "mm" under the half-millimetre tick.
    const int center = TestPicture_RulerTickX(width, 5) + tw / 2;
    const int left = center - 11 * scale / 2;
    return GlyphInk(kLetterM, 5, left, top, scale, x, y) ||
           GlyphInk(kLetterM, 5, left + 6 * scale, top, scale, x, y);
}

TestRgb SpecimenBody(int width, int x, int y) {
    TestRgb c = kTestPictureBackground;
    const int membrane = std::max(1, width / 320);
    for (const Cell& cell : kCells) {
        const int64_t cx = ToPixels(cell.cx, width), cy = ToPixels(cell.cy, width);
        const int64_t r = ToPixels(cell.r, width);
        const int64_t dx = x - cx, dy = y - cy, d2 = dx * dx + dy * dy;
        if (d2 > r * r)
            continue;
        const int64_t inner = std::max<int64_t>(0, r - membrane);
        if (d2 >= inner * inner) {
            c = kMembrane[cell.tone];
            continue;
        }
        const int64_t nx = x - (cx + r / 5), ny = y - (cy - r / 6), nr = r * 2 / 5;
        c = nx * nx + ny * ny <= nr * nr ? kNucleus[cell.tone] : kCytoplasm[cell.tone];
    }
    return c;
}

TestRgb MarkerPixel(const TestRect& m, int x, int y, int frameIndex, int fps) {
    const int half = (m.right - m.left) / 2;
    const int quadrant = (x - m.left >= half ? 1 : 0) + (y - m.top >= half ? 2 : 0);
    // Lit quadrant goes round clockwise once a second: top-left, top-right, bottom-right, bottom-left.
    static constexpr int kOrder[4] = {0, 1, 3, 2};
    return quadrant == kOrder[TestPicture_MarkerPhase(frameIndex, fps)] ? kTestPictureMarkerLit
                                                                        : kTestPictureMarkerDark;
}

// A well-mixed 32-bit hash: neighbouring inputs give unrelated outputs.
uint32_t Mix(uint32_t v) {
    v ^= v >> 16;
    v *= 0x7feb352du;
    v ^= v >> 15;
    v *= 0x846ca68bu;
    v ^= v >> 16;
    return v;
}

uint32_t PixelKey(int x, int y) {
    return uint32_t(x) | uint32_t(y) << 16;
}

// The noise is one long run of levels, read from further on in each frame of the second.
constexpr size_t kNoiseStep = 7919;

int NoiseAt(size_t i) {
    return int(Mix(uint32_t(i) ^ 0x51ed27u) & 0xff) % 7 - 3;
}

size_t NoiseStart(int frameIndex, int fps) {
    return size_t(std::max(frameIndex, 0) % std::max(fps, 1)) * kNoiseStep;
}

uint8_t AddLevels(uint8_t value, int levels) {
    return uint8_t(std::clamp(value + levels, 0, 255));
}

void Put(uint8_t* dib, size_t stride, int height, int x, int y, TestRgb c) {
    uint8_t* p = dib + size_t(height - 1 - y) * stride + size_t(x) * 3;
    p[0] = c.b;
    p[1] = c.g;
    p[2] = c.r;
}

} // namespace

double TestPicture_PixelsPerMm(int width) {
    return width * 1000.0 / kTestPictureMicronsWide;
}

TestRect TestPicture_RulerRect(int width, int height) {
    return {0, height * 70 / 100, width, height * 92 / 100};
}

int TestPicture_RulerTickX(int width, int tenth) {
    return int(int64_t(tenth + 2) * width / 64);
}

int TestPicture_RulerTickWidth(int width) {
    return std::max(1, width / 640);
}

int TestPicture_RulerTickLength(int width, int height, int tenth) {
    const TestRect r = TestPicture_RulerRect(width, height);
    const int h = r.bottom - r.top;
    const int percent = tenth % 10 == 0 ? 45 : tenth % 5 == 0 ? 30 : 18;
    return std::max(1, h * percent / 100);
}

int TestPicture_RulerTickCount(int) {
    return 61;
}

int TestPicture_MarkerPhase(int frameIndex, int fps) {
    return int((int64_t(std::max(frameIndex, 0)) * 4 / std::max(fps, 1)) % 4);
}

TestRect TestPicture_MarkerRect(int width, int height) {
    const int m = std::max(6, height / 20);
    TestRect r{width - m - m / 2, m / 2, width - m / 2, m / 2 + m};
    r.left = std::max(r.left, 0);
    r.bottom = std::min(r.bottom, height);
    return r;
}

TestRgb TestPicture_SpecimenPixel(int width, int height, int x, int y, int frameIndex, int fps) {
    const TestRect marker = TestPicture_MarkerRect(width, height);
    if (marker.Contains(x, y))
        return MarkerPixel(marker, x, y, frameIndex, fps);
    const TestRect ruler = TestPicture_RulerRect(width, height);
    if (ruler.Contains(x, y)) {
        if (RulerInk(width, height, ruler, x, y))
            return kTestPictureInk;
        const int tw = TestPicture_RulerTickWidth(width);
        if (y < ruler.top + tw || y >= ruler.bottom - tw)
            return kRulerEdge;
        return kTestPictureRulerBody;
    }
    return SpecimenBody(width, x, y);
}

int TestPicture_SignalBand(int height, int y) {
    return int(int64_t(height - 1 - y) * 8 / height);
}

TestRgb TestPicture_SignalBandColor(int band) {
    return kSignalBands[band & 7];
}

TestRgb TestPicture_SignalPixel(int, int height, int, int y) {
    return kSignalBands[TestPicture_SignalBand(height, y)];
}

int TestPicture_BusyGrain(int x, int y) {
    return int(Mix(PixelKey(x, y)) % 13) - 6;
}

int TestPicture_BusyNoise(int width, int x, int y, int channel, int frameIndex, int fps) {
    return NoiseAt(NoiseStart(frameIndex, fps) + (size_t(y) * size_t(width) + size_t(x)) * 3 +
                   size_t(channel));
}

TestRgb TestPicture_BusyPixel(int width, int height, int x, int y, int frameIndex, int fps) {
    const TestRgb c = TestPicture_SpecimenPixel(width, height, x, y, frameIndex, fps);
    if (TestPicture_MarkerRect(width, height).Contains(x, y))
        return c;
    const int grain = TestPicture_BusyGrain(x, y);
    auto level = [&](uint8_t value, int channel) {
        return AddLevels(AddLevels(value, grain),
                         TestPicture_BusyNoise(width, x, y, channel, frameIndex, fps));
    };
    return {level(c.r, 2), level(c.g, 1), level(c.b, 0)};
}

void TestPicture_AddBusyGrain(int width, int height, uint8_t* dib, size_t stride) {
    for (int y = 0; y < height; ++y) {
        uint8_t* p = dib + size_t(height - 1 - y) * stride;
        for (int x = 0; x < width; ++x, p += 3) {
            const int grain = TestPicture_BusyGrain(x, y);
            for (int c = 0; c < 3; ++c)
                p[c] = AddLevels(p[c], grain);
        }
    }
}

std::vector<int8_t> TestPicture_BusyNoiseLevels(int width, int height, int fps) {
    std::vector<int8_t> levels(size_t(width) * size_t(height) * 3 + NoiseStart(fps - 1, fps));
    for (size_t i = 0; i < levels.size(); ++i)
        levels[i] = int8_t(NoiseAt(i));
    return levels;
}

void TestPicture_AddBusyNoise(int width, int height, uint8_t* dib, size_t stride, int frameIndex, int fps,
                              const std::vector<int8_t>& levels) {
    const size_t rowBytes = size_t(width) * 3;
    const size_t start = NoiseStart(frameIndex, fps);
    if (levels.size() < start + rowBytes * size_t(height))
        return;
    for (int y = 0; y < height; ++y) {
        uint8_t* p = dib + size_t(height - 1 - y) * stride;
        const int8_t* n = levels.data() + start + rowBytes * size_t(y);
        for (size_t i = 0; i < rowBytes; ++i) {
            const int v = p[i] + n[i];
            p[i] = uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
        }
    }
}

TestRgb TestPicture_Pixel(TestCamPicture picture, int width, int height, int x, int y, int frameIndex,
                          int fps) {
    if (picture == TestCamPicture::SignalFrame)
        return TestPicture_SignalPixel(width, height, x, y);
    if (picture == TestCamPicture::Busy)
        return TestPicture_BusyPixel(width, height, x, y, frameIndex, fps);
    return TestPicture_SpecimenPixel(width, height, x, y, frameIndex, fps);
}

size_t TestPicture_DibStride(int width) {
    return (size_t(width) * 3 + 3) & ~size_t(3);
}

void TestPicture_Render(TestCamPicture picture, int width, int height, uint8_t* dib, size_t stride,
                        int frameIndex, int fps) {
    for (int y = 0; y < height; ++y) {
        if (picture == TestCamPicture::SignalFrame) {
            const TestRgb c = TestPicture_SignalPixel(width, height, 0, y);
            for (int x = 0; x < width; ++x)
                Put(dib, stride, height, x, y, c);
            continue;
        }
        const TestRect ruler = TestPicture_RulerRect(width, height);
        for (int x = 0; x < width; ++x) {
            // Most of the picture is background above the ruler: skip the ruler test there.
            const TestRgb c = ruler.Contains(x, y)
                                  ? TestPicture_SpecimenPixel(width, height, x, y, frameIndex, fps)
                                  : SpecimenBody(width, x, y);
            Put(dib, stride, height, x, y, c);
        }
    }
    if (picture == TestCamPicture::SignalFrame)
        return;
    if (picture == TestCamPicture::Busy) {
        TestPicture_AddBusyGrain(width, height, dib, stride);
        TestPicture_AddBusyNoise(width, height, dib, stride, frameIndex, fps,
                                 TestPicture_BusyNoiseLevels(width, height, fps));
    }
    TestPicture_RenderMarker(width, height, dib, stride, frameIndex, fps);
}

void TestPicture_RenderMarker(int width, int height, uint8_t* dib, size_t stride, int frameIndex, int fps) {
    const TestRect m = TestPicture_MarkerRect(width, height);
    for (int y = m.top; y < m.bottom; ++y)
        for (int x = m.left; x < m.right; ++x)
            Put(dib, stride, height, x, y, MarkerPixel(m, x, y, frameIndex, fps));
}
