// The boxes of a fragmented MP4 file with one Motion-JPEG video track, built as big-endian bytes.
// The writer (mp4_muxer.h) decides what goes into them and when they are written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// Movie and media time units per second. 90 kHz holds millisecond times exactly, and a
// 32-bit sample duration can still span 13 hours.
inline constexpr uint32_t kMp4Timescale = 90000;
inline constexpr uint32_t kMp4TrackId = 1;
// Sample flags of a frame that depends on no other: every JPEG frame is a sync sample.
inline constexpr uint32_t kMp4SyncSampleFlags = 0x02000000;

struct Mp4SampleInfo {
    uint32_t duration = 0; // media time units
    uint32_t size = 0;     // bytes
};

// ftyp and moov. The moov has empty sample tables (the samples are in the fragments) and an
// mvex whose mehd duration stays 0 (unknown) until the writer patches it at a clean finish.
struct Mp4InitSegment {
    std::vector<uint8_t> bytes;
    size_t mehdDurationOffset = 0; // where the 64-bit mehd duration sits in bytes
};
Mp4InitSegment BuildMp4InitSegment(uint16_t width, uint16_t height);

// The moof of one fragment followed by the header of its mdat; the samples' data, in order and
// back to back, must follow immediately. Sample positions are relative to the moof
// (default-base-is-moof), so nothing depends on where in the file the fragment lands.
std::vector<uint8_t> BuildMp4FragmentHeader(uint32_t sequence, uint64_t baseDecodeTime,
                                            std::span<const Mp4SampleInfo> samples);

// One fragment's entry in the random-access index written at a clean finish.
struct Mp4RandomAccessEntry {
    uint64_t time = 0;       // decode time of the fragment's first sample, media time units
    uint64_t moofOffset = 0; // from the start of the file
};
// mfra with a tfra (64-bit times and offsets) and the closing mfro.
std::vector<uint8_t> BuildMp4RandomAccessIndex(const std::vector<Mp4RandomAccessEntry>& entries);

// A box header for payloadBytes of content; the 16-byte form with a 64-bit size when the
// 32-bit size field cannot hold the box.
void AppendMp4BoxHeader(std::vector<uint8_t>& out, const char (&type)[5], uint64_t payloadBytes);
