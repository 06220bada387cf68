// Registry values of any type and size as the settings loader takes them: one byte picks the
// value, four give the type, the rest is the data. What is taken writes back and reads the same.
#include "base/app_settings.h"
#include "tests/fuzz/fuzz_input.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ByteReader in{data, size};
    const SettingValue& value = kSettingValues[in.Take<uint8_t>() % kSettingValues.size()];
    const uint32_t type = in.Take<uint32_t>();
    // The data in a block of its own size, so a read past its end is caught.
    const std::vector<uint8_t> bytes(in.data, in.data + in.size);
    const uint8_t* block = bytes.empty() ? nullptr : bytes.data();

    if (const auto text = DecodeStringValue(type, block, bytes.size(), kLatestFilesCapacity - 1)) {
        FUZZ_CHECK(text->size() < kLatestFilesCapacity && text->find(L'\0') == std::wstring::npos);
        const RegistryValue encoded = EncodeStringValue(*text);
        FUZZ_CHECK(DecodeStringValue(kRegSz, encoded.data.data(), encoded.data.size(),
                                     kLatestFilesCapacity - 1) == text);
    }
    DecodeDwordValue(type, block, bytes.size());

    AppSettings settings = KeyUnavailableSettings();
    if (bytes.size() <= SettingReadBufferBytes(value))
        LoadSettingValue(settings, value, type, block, bytes.size());
    const RegistryValue saved = SaveSettingValue(settings, value);
    FUZZ_CHECK(saved.data.size() <= SettingReadBufferBytes(value));
    AppSettings reread = KeyUnavailableSettings();
    LoadSettingValue(reread, value, saved.type, saved.data.data(), saved.data.size());
    FUZZ_CHECK(reread == settings);

    ApplySettingsRangeChecks(settings);
    return 0;
}
