// Writes the seed corpora of the fuzz targets into tests/fuzz/corpus/<target>/ from the program's
// own formatters (and, for the image heads and format blocks, the smallest well-formed ones).
// tools/fuzz --seeds builds and runs it.
//   fuzz_seeds <corpus folder>
#include "base/app_settings.h"
#include "capture/format_map.h"
#include "measure/calibration.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
std::filesystem::path g_root;

void Seed(const char* target, const char* name, const Bytes& bytes) {
    const std::filesystem::path folder = g_root / target;
    std::filesystem::create_directories(folder);
    std::ofstream(folder / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

Bytes Utf16(const std::wstring& text) {
    Bytes bytes;
    for (wchar_t c : text) {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>((c >> 8) & 0xFF));
    }
    return bytes;
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes Le(uint32_t v, int n) {
    Bytes b;
    for (int i = 0; i < n; ++i)
        b.push_back(static_cast<uint8_t>(v >> (8 * i)));
    return b;
}

Bytes Be(uint32_t v, int n) {
    Bytes b;
    for (int i = n - 1; i >= 0; --i)
        b.push_back(static_cast<uint8_t>(v >> (8 * i)));
    return b;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds <corpus folder>\n");
        return 2;
    }
    g_root = argv[1];

    CalibrationTable table{};
    table[0] = {L"Objective 10x",          UNIT_MILLIMETRE,       412, 2.0f, 20260107,
                PackResolution(1280, 720), DeriveScale(412, 2.0f)};
    table[3] = {L"\u00b5-scale",          UNIT_MICROMETRE,        90, 250.0f, 0,
                PackResolution(640, 480), DeriveScale(90, 250.0f)};
    const std::wstring calibrations = FormatCalibrations(table);
    Seed("calibrations", "two_slots", Utf16(calibrations));
    Seed("typed_numbers", "decimal_comma", Le(412, 4) + Le(0, 1) + Utf16(L" 2,5mm"));
    Seed("typed_numbers", "exponent", Le(90, 4) + Le(1, 1) + Utf16(L"2.5e2"));

    const std::wstring latest =
        FormatLatestFiles({L"C:\\Users\\a\\Pictures\\Vantix Files\\20260107-101500.jpg",
                           L"D:\\bench\\20260107-101630.mp4", L"\\\\server\\share\\x.png"});
    Seed("latest_files", "three_paths", Utf16(latest));

    Seed("usb_ids", "camera",
         Utf16(L"\\\\?\\usb#vid_1d6b&pid_0102&mi_00#demo#0{65e8773d-8f56-11d0-a3b9-00a0c9223196}"));
    Seed("usb_ids", "name", Utf16(L"Integrated Webcam"));

    // Registry values: one byte picks the setting (as listed in kSettingValues), then type and data.
    auto value = [](size_t index, const RegistryValue& v) {
        return Bytes{uint8_t(index)} + Le(v.type, 4) + v.data;
    };
    Seed("registry_values", "language", value(0, EncodeDwordValue(3)));
    Seed("registry_values", "save_folder", value(5, EncodeStringValue(L"C:\\Microscope")));
    Seed("registry_values", "calibrations", value(13, EncodeStringValue(calibrations)));
    Seed("registry_values", "latest_files", value(14, EncodeStringValue(latest)));

    const Bytes png = Bytes{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A} + Be(13, 4) +
                      Bytes{'I', 'H', 'D', 'R'} + Be(1280, 4) + Be(720, 4) + Bytes{8, 2, 0, 0, 0, 0, 0, 0, 0};
    const Bytes jpeg =
        Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0} +
        Bytes{0xFF, 0xC0, 0, 17, 8} + Be(720, 2) + Be(1280, 2) +
        Bytes{3, 1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1, 0xFF, 0xDA, 0, 2};
    const Bytes bmp = Bytes{'B', 'M'} + Le(0, 4) + Le(0, 4) + Le(54, 4) + Le(40, 4) + Le(640, 4) +
                      Le(-480, 4) + Le(1, 2) + Le(24, 2);
    Seed("image_header", "png", png);
    Seed("image_header", "jpeg", jpeg);
    Seed("image_header", "bmp", bmp);
    Seed("image_header", "gif", Bytes{'G', 'I', 'F', '8', '9', 'a'} + Le(800, 2) + Le(600, 2) + Bytes{0});
    Seed("image_header", "tiff", Bytes{'I', 'I', 42, 0} + Le(8, 4) + Le(0, 2));

    // Media types: kind byte (bit 0 YUY2, bit 1 VIDEOINFOHEADER2), size byte, format block.
    auto block = [](uint8_t kind, int width, int height) {
        const bool info2 = kind & 2;
        Bytes b(info2 ? kVideoInfo2Bytes : kVideoInfoBytes, 0);
        const Bytes size = Le(width, 4) + Le(height, 4);
        std::copy(size.begin(), size.end(),
                  b.begin() + (info2 ? kVideoInfo2SizeOffset : kVideoInfoSizeOffset));
        return Bytes{kind, uint8_t(b.size())} + b;
    };
    Seed("media_types", "camera",
         block(0, 640, 480) + block(0, 1920, 1080) + block(1, 640, 480) + block(3, 1280, 720));
    Seed("media_types", "vga_only", block(0, 640, 480) + block(2, 320, -240));

    // MP4 writer: width, height, rate (tenths), then per frame a time step and a frame size.
    Bytes frames = Le(1280, 2) + Le(720, 2) + Le(300, 2);
    for (int i = 0; i < 40; ++i)
        frames = frames + Bytes{0} + Bytes{33} + Le(200 + i, 2);
    Seed("mp4_writer", "steady", frames);
    Seed("mp4_writer", "pause_and_back",
         Le(640, 2) + Le(480, 2) + Le(150, 2) + Bytes{1} + Le(30, 2) + Le(100, 2) + Bytes{0, 0x90} +
             Le(120, 2) + Bytes{3} + Le(50, 2) + Bytes{0x81} + Le(9000, 2) + Le(60, 2));
    return 0;
}
