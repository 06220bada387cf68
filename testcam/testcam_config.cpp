#include "testcam/testcam_config.h"

#include <cwchar>
#include <cwctype>

namespace {

TestCamProperty Manual(int32_t min, int32_t max, int32_t step, int32_t def) {
    return {true, min, max, step, def, 2, def, 2};
}

TestCamProperty AutoCapable(int32_t min, int32_t max, int32_t step, int32_t def, bool autoOn) {
    return {true, min, max, step, def, 3, def, autoOn ? 1 : 2};
}

void SkipSpaces(const std::wstring& text, size_t* pos) {
    while (*pos < text.size() && std::iswspace(text[*pos]))
        ++*pos;
}

// A decimal number with an optional minus sign; no overflow past 9 digits.
bool ReadInt(const std::wstring& text, size_t* pos, int32_t* value) {
    size_t p = *pos;
    bool negative = false;
    if (p < text.size() && text[p] == L'-') {
        negative = true;
        ++p;
    }
    const size_t first = p;
    int64_t v = 0;
    while (p < text.size() && text[p] >= L'0' && text[p] <= L'9' && p - first < 10) {
        v = v * 10 + (text[p] - L'0');
        ++p;
    }
    if (p == first || (p < text.size() && text[p] >= L'0' && text[p] <= L'9'))
        return false;
    v = negative ? -v : v;
    if (v < INT32_MIN || v > INT32_MAX)
        return false;
    *value = int32_t(v);
    *pos = p;
    return true;
}

bool Expect(const std::wstring& text, size_t* pos, wchar_t c) {
    if (*pos < text.size() && text[*pos] == c) {
        ++*pos;
        return true;
    }
    return false;
}

} // namespace

std::vector<TestCamFormat> TestCam_DefaultFormats() {
    return {
        {kTestCamMjpg, 1280, 720, 30}, {kTestCamMjpg, 640, 480, 30},  {kTestCamMjpg, 1280, 720, 15},
        {kTestCamMjpg, 320, 240, 30},  {kTestCamYuy2, 640, 480, 30},  {kTestCamYuy2, 640, 480, 15},
        {kTestCamYuy2, 320, 240, 30},  {kTestCamYuy2, 1280, 720, 10},
    };
}

TestCamProcAmpTable TestCam_DefaultProcAmp() {
    TestCamProcAmpTable t{};
    t[0] = Manual(-64, 64, 1, 0);                       // brightness
    t[1] = Manual(0, 100, 1, 50);                       // contrast
    t[2] = Manual(-180, 180, 1, 0);                     // hue
    t[3] = Manual(0, 100, 1, 64);                       // saturation
    t[4] = Manual(0, 7, 1, 2);                          // sharpness
    t[5] = Manual(100, 300, 1, 100);                    // gamma
    t[7] = AutoCapable(2800, 6500, 10, 4600, true);     // white balance
    t[8] = Manual(0, 2, 1, 1);                          // backlight compensation
    t[9] = Manual(0, 100, 1, 0);                        // gain
    t[kTestCamPowerLineFrequency] = Manual(1, 2, 1, 1); // 1 = 50 Hz, 2 = 60 Hz
    return t;
}

TestCamCameraControlTable TestCam_DefaultCameraControl() {
    TestCamCameraControlTable t{};
    t[4] = AutoCapable(-13, -1, 1, -6, true); // exposure, log2 seconds
    return t;
}

std::wstring TestCam_FourccText(uint32_t fourcc) {
    if (fourcc == kTestCamRgb24)
        return L"RGB24";
    std::wstring s;
    for (int i = 0; i < 4; ++i)
        s += wchar_t((fourcc >> (8 * i)) & 0xff);
    return s;
}

std::wstring TestCam_FormatsToText(const std::vector<TestCamFormat>& formats) {
    std::wstring text;
    for (const TestCamFormat& f : formats) {
        if (!text.empty())
            text += L", ";
        wchar_t buf[64];
        std::swprintf(buf, 64, L"%ls %dx%d@%d", TestCam_FourccText(f.fourcc).c_str(), f.width, f.height,
                      f.fps);
        text += buf;
    }
    return text;
}

bool TestCam_FormatsFromText(const std::wstring& text, std::vector<TestCamFormat>* formats) {
    std::vector<TestCamFormat> result;
    size_t pos = 0;
    SkipSpaces(text, &pos);
    while (pos < text.size()) {
        size_t end = pos;
        while (end < text.size() && !std::iswspace(text[end]))
            ++end;
        const std::wstring name = text.substr(pos, end - pos);
        TestCamFormat f;
        if (name == L"RGB24") {
            f.fourcc = kTestCamRgb24;
        } else if (name.size() == 4) {
            f.fourcc = 0;
            for (int i = 0; i < 4; ++i) {
                if (name[i] < 0x21 || name[i] > 0x7e)
                    return false;
                f.fourcc |= uint32_t(name[i]) << (8 * i);
            }
        } else {
            return false;
        }
        pos = end;
        SkipSpaces(text, &pos);
        int32_t w, h, fps;
        if (!ReadInt(text, &pos, &w) || !Expect(text, &pos, L'x') || !ReadInt(text, &pos, &h) ||
            !Expect(text, &pos, L'@') || !ReadInt(text, &pos, &fps))
            return false;
        if (w < 1 || w > 8192 || h < 1 || h > 8192 || fps < 1 || fps > 1000)
            return false;
        f.width = w;
        f.height = h;
        f.fps = fps;
        result.push_back(f);
        SkipSpaces(text, &pos);
        if (pos < text.size() && !Expect(text, &pos, L','))
            return false;
        SkipSpaces(text, &pos);
    }
    *formats = std::move(result);
    return true;
}

std::wstring TestCam_PropertyToText(const TestCamProperty& p) {
    if (!p.present)
        return L"-";
    wchar_t buf[128];
    std::swprintf(buf, 128, L"%d %d %d %d %d %d %d", p.min, p.max, p.step, p.defaultValue, p.capsFlags,
                  p.value, p.flags);
    return buf;
}

bool TestCam_PropertyFromText(const std::wstring& text, TestCamProperty* property) {
    size_t pos = 0;
    SkipSpaces(text, &pos);
    if (pos < text.size() && text[pos] == L'-' && (pos + 1 == text.size() || std::iswspace(text[pos + 1]))) {
        ++pos;
        SkipSpaces(text, &pos);
        if (pos != text.size())
            return false;
        *property = TestCamProperty{};
        return true;
    }
    int32_t v[7];
    for (int32_t& x : v) {
        SkipSpaces(text, &pos);
        if (!ReadInt(text, &pos, &x))
            return false;
    }
    SkipSpaces(text, &pos);
    if (pos != text.size())
        return false;
    *property = {true, v[0], v[1], v[2], v[3], v[4], v[5], v[6]};
    return true;
}

bool TestCam_IsValidInstanceName(const std::wstring& name) {
    if (name.empty() || name.size() > 200)
        return false;
    for (wchar_t c : name)
        if (c < 0x20 || c == L'\\' || c == L'/' || c == L'*' || c == L'?')
            return false;
    return true;
}
