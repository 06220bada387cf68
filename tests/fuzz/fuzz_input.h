// What the fuzz targets share: turning the fuzzer's bytes into the inputs a parser takes, and
// stopping loudly when a property fails so that libFuzzer saves the input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

// The bytes as UTF-16 code units, little-endian (what the registry and the file system hand over).
inline std::wstring WideText(const uint8_t* data, size_t size) {
    std::wstring text;
    text.reserve(size / 2);
    for (size_t i = 0; i + 1 < size; i += 2)
        text.push_back(static_cast<wchar_t>(data[i] | data[i + 1] << 8));
    return text;
}

// Takes whole numbers off the front of the input; zeros once it runs dry.
struct ByteReader {
    const uint8_t* data;
    size_t size;

    template <typename T> T Take() {
        T value{};
        const size_t n = sizeof(T) < size ? sizeof(T) : size;
        std::memcpy(&value, data, n);
        data += n;
        size -= n;
        return value;
    }
};

#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition);            \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (0)
