#include "output/mp4_boxes.h"

#include <limits>

namespace {

// Appends big-endian fields and nests boxes; a box's 32-bit size is filled in when it closes.
// Only for boxes that stay far below 4 GiB (everything here but an mdat).
class BoxBuilder {
public:
    explicit BoxBuilder(std::vector<uint8_t>& out) : out_(out) {}

    void U8(uint32_t v) { out_.push_back(static_cast<uint8_t>(v)); }
    void U16(uint32_t v) {
        U8(v >> 8);
        U8(v);
    }
    void U24(uint32_t v) {
        U8(v >> 16);
        U16(v);
    }
    void U32(uint32_t v) {
        U16(v >> 16);
        U16(v);
    }
    void U64(uint64_t v) {
        U32(static_cast<uint32_t>(v >> 32));
        U32(static_cast<uint32_t>(v));
    }
    void Zeros(size_t count) { out_.insert(out_.end(), count, 0); }
    void Type(const char (&type)[5]) { out_.insert(out_.end(), type, type + 4); }

    void Open(const char (&type)[5]) {
        open_.push_back(out_.size());
        U32(0);
        Type(type);
    }
    void OpenFull(const char (&type)[5], uint32_t version, uint32_t flags) {
        Open(type);
        U8(version);
        U24(flags);
    }
    void Close() {
        const size_t start = open_.back();
        open_.pop_back();
        PutU32At(start, static_cast<uint32_t>(out_.size() - start));
    }

    size_t Position() const { return out_.size(); }
    void PutU32At(size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            out_[at + i] = static_cast<uint8_t>(v >> (24 - 8 * i));
        }
    }

    // The unity transformation of mvhd and tkhd.
    void Matrix() {
        const uint32_t m[9] = {0x00010000, 0, 0, 0, 0x00010000, 0, 0, 0, 0x40000000};
        for (uint32_t v : m) {
            U32(v);
        }
    }

private:
    std::vector<uint8_t>& out_;
    std::vector<size_t> open_;
};

void AppendMovieHeader(BoxBuilder& b) {
    b.OpenFull("mvhd", 0, 0);
    b.U32(0); // creation time
    b.U32(0); // modification time
    b.U32(kMp4Timescale);
    b.U32(0);          // duration: given by the fragments (and mehd)
    b.U32(0x00010000); // rate 1.0
    b.U16(0x0100);     // volume 1.0
    b.Zeros(2 + 8);
    b.Matrix();
    b.Zeros(6 * 4);
    b.U32(kMp4TrackId + 1); // next track id
    b.Close();
}

void AppendTrackHeader(BoxBuilder& b, uint16_t width, uint16_t height) {
    b.OpenFull("tkhd", 0, 0x000003); // enabled, in movie
    b.U32(0);
    b.U32(0);
    b.U32(kMp4TrackId);
    b.U32(0);
    b.U32(0); // duration
    b.Zeros(8);
    b.U16(0); // layer
    b.U16(0); // alternate group
    b.U16(0); // volume: not audio
    b.U16(0);
    b.Matrix();
    b.U32(static_cast<uint32_t>(width) << 16); // 16.16 fixed point
    b.U32(static_cast<uint32_t>(height) << 16);
    b.Close();
}

void AppendSampleEntry(BoxBuilder& b, uint16_t width, uint16_t height) {
    b.Open("jpeg");
    b.Zeros(6);
    b.U16(1); // data reference index
    b.U16(0);
    b.U16(0);
    b.Zeros(3 * 4);
    b.U16(width);
    b.U16(height);
    b.U32(0x00480000); // 72 dpi
    b.U32(0x00480000);
    b.U32(0);
    b.U16(1);      // frames per sample
    b.Zeros(32);   // compressor name: empty
    b.U16(0x0018); // depth: colour
    b.U16(0xFFFF); // pre-defined -1
    b.Close();
}

void AppendSampleTable(BoxBuilder& b, uint16_t width, uint16_t height) {
    b.Open("stbl");
    b.OpenFull("stsd", 0, 0);
    b.U32(1);
    AppendSampleEntry(b, width, height);
    b.Close();
    b.OpenFull("stts", 0, 0);
    b.U32(0);
    b.Close();
    b.OpenFull("stsc", 0, 0);
    b.U32(0);
    b.Close();
    b.OpenFull("stsz", 0, 0);
    b.U32(0); // sample size: varies
    b.U32(0); // sample count
    b.Close();
    b.OpenFull("stco", 0, 0);
    b.U32(0);
    b.Close();
    b.Close();
}

void AppendMedia(BoxBuilder& b, uint16_t width, uint16_t height) {
    b.Open("mdia");
    b.OpenFull("mdhd", 0, 0);
    b.U32(0);
    b.U32(0);
    b.U32(kMp4Timescale);
    b.U32(0);      // duration
    b.U16(0x55C4); // language "und", packed
    b.U16(0);
    b.Close();
    b.OpenFull("hdlr", 0, 0);
    b.U32(0);
    b.Type("vide");
    b.Zeros(3 * 4);
    for (char c : "VideoHandler") { // with its terminator
        b.U8(static_cast<uint8_t>(c));
    }
    b.Close();
    b.Open("minf");
    b.OpenFull("vmhd", 0, 1);
    b.Zeros(2 + 3 * 2); // graphics mode, colour
    b.Close();
    b.Open("dinf");
    b.OpenFull("dref", 0, 0);
    b.U32(1);
    b.OpenFull("url ", 0, 1); // media data in this file
    b.Close();
    b.Close();
    b.Close();
    AppendSampleTable(b, width, height);
    b.Close(); // minf
    b.Close(); // mdia
}

} // namespace

Mp4InitSegment BuildMp4InitSegment(uint16_t width, uint16_t height) {
    Mp4InitSegment init;
    BoxBuilder b(init.bytes);
    b.Open("ftyp");
    b.Type("isom");
    b.U32(0x200);
    b.Type("isom");
    b.Type("iso5"); // default-base-is-moof
    b.Type("iso6");
    b.Type("mp41");
    b.Close();

    b.Open("moov");
    AppendMovieHeader(b);
    b.Open("trak");
    AppendTrackHeader(b, width, height);
    AppendMedia(b, width, height);
    b.Close();
    b.Open("mvex");
    b.OpenFull("mehd", 1, 0); // 64-bit: eight hours and more
    init.mehdDurationOffset = b.Position();
    b.U64(0);
    b.Close();
    b.OpenFull("trex", 0, 0);
    b.U32(kMp4TrackId);
    b.U32(1); // sample description index
    b.U32(0); // default duration, size and flags: every fragment gives its own
    b.U32(0);
    b.U32(0);
    b.Close();
    b.Close(); // mvex
    b.Close(); // moov
    return init;
}

std::vector<uint8_t> BuildMp4FragmentHeader(uint32_t sequence, uint64_t baseDecodeTime,
                                            std::span<const Mp4SampleInfo> samples) {
    std::vector<uint8_t> out;
    out.reserve(120 + 12 * samples.size());
    BoxBuilder b(out);
    b.Open("moof");
    b.OpenFull("mfhd", 0, 0);
    b.U32(sequence);
    b.Close();
    b.Open("traf");
    b.OpenFull("tfhd", 0, 0x020000); // default-base-is-moof
    b.U32(kMp4TrackId);
    b.Close();
    b.OpenFull("tfdt", 1, 0);
    b.U64(baseDecodeTime);
    b.Close();
    b.OpenFull("trun", 0, 0x000701); // data offset; per-sample duration, size, flags
    b.U32(static_cast<uint32_t>(samples.size()));
    const size_t dataOffsetAt = b.Position();
    b.U32(0);
    uint64_t payload = 0;
    for (const Mp4SampleInfo& s : samples) {
        b.U32(s.duration);
        b.U32(s.size);
        b.U32(kMp4SyncSampleFlags);
        payload += s.size;
    }
    b.Close(); // trun
    b.Close(); // traf
    b.Close(); // moof
    AppendMp4BoxHeader(out, "mdat", payload);
    b.PutU32At(dataOffsetAt, static_cast<uint32_t>(out.size())); // first sample, from the moof
    return out;
}

std::vector<uint8_t> BuildMp4RandomAccessIndex(const std::vector<Mp4RandomAccessEntry>& entries) {
    std::vector<uint8_t> out;
    out.reserve(64 + 19 * entries.size());
    BoxBuilder b(out);
    b.Open("mfra");
    b.OpenFull("tfra", 1, 0);
    b.U32(kMp4TrackId);
    b.U32(0); // traf, trun and sample numbers take one byte each
    b.U32(static_cast<uint32_t>(entries.size()));
    for (const Mp4RandomAccessEntry& e : entries) {
        b.U64(e.time);
        b.U64(e.moofOffset);
        b.U8(1);
        b.U8(1);
        b.U8(1);
    }
    b.Close();
    b.OpenFull("mfro", 0, 0);
    b.U32(static_cast<uint32_t>(out.size() + 4)); // the whole mfra, this field included
    b.Close();
    b.Close();
    return out;
}

void AppendMp4BoxHeader(std::vector<uint8_t>& out, const char (&type)[5], uint64_t payloadBytes) {
    BoxBuilder b(out);
    if (payloadBytes + 8 <= std::numeric_limits<uint32_t>::max()) {
        b.U32(static_cast<uint32_t>(payloadBytes + 8));
        b.Type(type);
    } else {
        b.U32(1); // the size follows the type
        b.Type(type);
        b.U64(payloadBytes + 16);
    }
}
