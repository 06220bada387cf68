// A strict reader for the files of the MP4 writer, for tests: parses every box back and checks
// the structure a player relies on; and a sink over memory to write them into.
#pragma once

#include "output/mp4_muxer.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct Mp4TestBox {
    std::string type;
    uint64_t offset = 0;
    uint64_t size = 0;
    uint64_t headerSize = 0;
    std::vector<Mp4TestBox> children;
};

struct Mp4TestSample {
    uint32_t duration = 0;
    uint32_t size = 0;
    uint32_t flags = 0;
    uint64_t offset = 0; // of its data, from the start of the file
};

struct Mp4TestFragment {
    uint64_t moofOffset = 0;
    uint32_t sequence = 0;
    uint64_t baseDecodeTime = 0;
    std::vector<Mp4TestSample> samples;

    uint64_t Duration() const;
};

struct Mp4TestIndexEntry {
    uint64_t time = 0;
    uint64_t moofOffset = 0;
};

struct Mp4TestFile {
    std::vector<Mp4TestBox> boxes; // the complete top-level boxes, in file order
    std::string majorBrand;
    uint32_t movieTimescale = 0;
    uint32_t mediaTimescale = 0;
    uint32_t trackWidth = 0; // 16.16 fixed point
    uint32_t trackHeight = 0;
    std::string handler;
    std::string sampleEntry;
    uint16_t width = 0;
    uint16_t height = 0;
    int mehdVersion = -1;
    uint64_t mehdDuration = 0;
    std::vector<Mp4TestFragment> fragments; // the complete ones
    bool hasIndex = false;
    std::vector<Mp4TestIndexEntry> index;
    bool cut = false; // ends inside a box, or with a moof whose mdat is missing

    std::vector<Mp4TestSample> Samples() const; // of every fragment, in order
    uint64_t SampleCount() const { return Samples().size(); }
    uint64_t Duration() const; // sum of all sample durations
};

// Parses a whole file and throws std::runtime_error naming the first fault: a box that does not
// fit its parent or leaves bytes unread, boxes missing, extra or out of order (ftyp, moov, moof
// and mdat pairs, an optional mfra last), empty sample tables that are not empty, a fragment
// whose samples do not exactly fill the mdat after its moof, sequence numbers or decode times that
// do not continue from the previous fragment, an index that does not match the fragments.
// With allowCut the file may stop inside its last box (a recording cut short): that box and a
// moof without its mdat are left out and cut is set; everything before must be sound.
Mp4TestFile ReadMp4(const std::vector<uint8_t>& file, bool allowCut = false);

// Parses a complete mfra box on its own.
std::vector<Mp4TestIndexEntry> ReadMp4Index(const uint8_t* data, size_t size);

// Keeps every byte, or with keepBytes off only counts them and keeps the last write under 1 MiB.
// Can fail one write (after letting some of its bytes through) and WriteAt.
class Mp4MemorySink : public ByteSink {
public:
    std::vector<uint8_t> bytes, last;
    uint64_t size = 0;
    bool keepBytes = true, seekable = true;
    int failWrite = -1;   // index of the write that fails
    size_t failKeeps = 0; // bytes of it that land anyway
    bool failWriteAt = false;
    int writes = 0, writeAts = 0, callsAfterFailure = 0;

    bool Write(const uint8_t* data, size_t n) override;
    bool CanSeek() const override { return seekable; }
    bool WriteAt(uint64_t offset, const uint8_t* data, size_t n) override;

private:
    bool failed_ = false;
};
