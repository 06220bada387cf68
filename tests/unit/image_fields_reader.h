// Reads back what a saved photo says of its scale: PNG pHYs and text chunks, JPEG JFIF density and
// comment segments. Independent of the writer, for the tests of both layers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct ImageFields {
    bool wellFormed = false;
    bool hasScale = false; // PNG pHYs in metres, or JFIF units 1 or 2
    int units = 0;         // PNG: pHYs unit; JPEG: JFIF units
    uint32_t x = 0;        // PNG pixels per unit, JPEG density
    uint32_t y = 0;
    std::vector<std::string> texts; // PNG tEXt/iTXt texts, JPEG comments
};

// Not well formed at a chunk whose CRC is wrong.
ImageFields ReadPngFields(const std::vector<uint8_t>& png);
ImageFields ReadJpegFields(const std::vector<uint8_t>& jpeg);

// The CRC a PNG chunk ends in, over its type and data.
uint32_t PngCrc(const uint8_t* data, size_t size);
