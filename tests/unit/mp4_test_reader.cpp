#include "tests/unit/mp4_test_reader.h"

#include <initializer_list>
#include <stdexcept>
#include <utility>

namespace {

[[noreturn]] void Fault(const std::string& what) {
    throw std::runtime_error(what);
}

void FaultIf(bool fault, const std::string& what) {
    if (fault)
        Fault(what);
}

// Big-endian fields of one box's payload, with bounds checks.
class Cursor {
public:
    Cursor(const uint8_t* data, uint64_t begin, uint64_t end, std::string box)
        : data_(data), pos_(begin), end_(end), box_(std::move(box)) {}

    uint64_t Uint(int bytes) {
        Need(bytes);
        uint64_t v = 0;
        for (int i = 0; i < bytes; ++i)
            v = v << 8 | data_[pos_++];
        return v;
    }
    uint32_t U8() { return static_cast<uint32_t>(Uint(1)); }
    uint32_t U16() { return static_cast<uint32_t>(Uint(2)); }
    uint32_t U24() { return static_cast<uint32_t>(Uint(3)); }
    uint32_t U32() { return static_cast<uint32_t>(Uint(4)); }
    uint64_t U64() { return Uint(8); }
    std::string Type() {
        Need(4);
        std::string t(reinterpret_cast<const char*>(data_ + pos_), 4);
        pos_ += 4;
        return t;
    }
    void Skip(uint64_t n) {
        Need(n);
        pos_ += n;
    }
    uint64_t Pos() const { return pos_; }
    uint64_t Left() const { return end_ - pos_; }
    void ExpectEnd() const {
        FaultIf(pos_ != end_, box_ + ": " + std::to_string(end_ - pos_) + " bytes left unread");
    }

private:
    void Need(uint64_t n) const { FaultIf(end_ - pos_ < n, box_ + ": runs past its end"); }
    const uint8_t* data_;
    uint64_t pos_;
    uint64_t end_;
    std::string box_;
};

bool IsContainer(const std::string& type) {
    for (const char* t : {"moov", "trak", "mdia", "minf", "dinf", "stbl", "mvex", "moof", "traf", "mfra"}) {
        if (type == t)
            return true;
    }
    return false;
}

class Parser {
public:
    Parser(const uint8_t* data, uint64_t size) : data_(data), size_(size) {}

    // The boxes filling begin..end exactly. With cutOk, a last box running past end stops the
    // list and sets cut instead of being a fault.
    std::vector<Mp4TestBox> Boxes(uint64_t begin, uint64_t end, bool cutOk, bool* cut) {
        std::vector<Mp4TestBox> boxes;
        uint64_t pos = begin;
        // A box running past the end: the end of a cut file where that is allowed, else a fault.
        const auto runsPast = [&](const std::string& what) {
            FaultIf(!cutOk, what + " at " + std::to_string(pos) + " runs past its parent");
            *cut = true;
        };
        while (pos < end) {
            Mp4TestBox box;
            box.offset = pos;
            if (end - pos < 8) {
                runsPast("box header");
                break;
            }
            Cursor c(data_, pos, end, "box header");
            box.size = c.U32();
            box.type = c.Type();
            box.headerSize = 8;
            if (box.size == 1) {
                if (end - pos < 16) {
                    runsPast(box.type + " 64-bit size");
                    break;
                }
                box.size = c.U64();
                box.headerSize = 16;
            }
            FaultIf(box.size < box.headerSize,
                    box.type + " at " + std::to_string(pos) + ": size " + std::to_string(box.size));
            if (box.size > end - pos) {
                runsPast(box.type);
                break;
            }
            if (IsContainer(box.type))
                box.children = Boxes(pos + box.headerSize, pos + box.size, false, nullptr);
            pos += box.size;
            boxes.push_back(std::move(box));
        }
        return boxes;
    }

    Cursor Payload(const Mp4TestBox& box) const {
        return Cursor(data_, box.offset + box.headerSize, box.offset + box.size, box.type);
    }
    // A full box's payload after its version, which must be one of the two given.
    Cursor Full(const Mp4TestBox& box, uint32_t flags, int* version = nullptr) const {
        Cursor c = Payload(box);
        const int v = static_cast<int>(c.U8());
        const uint32_t f = c.U24();
        if (version != nullptr) {
            *version = v;
        } else if (v != 0) {
            Fault(box.type + ": version " + std::to_string(v));
        }
        FaultIf(f != flags, box.type + ": flags " + std::to_string(f));
        return c;
    }

    const uint8_t* data_;
    uint64_t size_;
};

// The children of box, which must be exactly the given types in this order.
const std::vector<Mp4TestBox>& Children(const Mp4TestBox& box, std::initializer_list<const char*> types) {
    std::string want;
    for (const char* t : types)
        want += std::string(want.empty() ? "" : " ") + t;
    std::string got;
    for (const Mp4TestBox& child : box.children)
        got += (got.empty() ? "" : " ") + child.type;
    FaultIf(got != want, box.type + " holds [" + got + "], expected [" + want + "]");
    return box.children;
}

void ReadMoov(const Parser& p, const Mp4TestBox& moov, Mp4TestFile& f) {
    const auto& m = Children(moov, {"mvhd", "trak", "mvex"});
    {
        Cursor c = p.Full(m[0], 0);
        c.Skip(8);
        f.movieTimescale = c.U32();
        c.Skip(4 + 4 + 2 + 10 + 36 + 24);
        c.U32(); // next track id
        c.ExpectEnd();
    }
    const auto& trak = Children(m[1], {"tkhd", "mdia"});
    {
        Cursor c = p.Full(trak[0], 3);
        c.Skip(8);
        FaultIf(c.U32() != 1, "tkhd: track id is not 1");
        c.Skip(4 + 4 + 8 + 8 + 36);
        f.trackWidth = c.U32();
        f.trackHeight = c.U32();
        c.ExpectEnd();
    }
    const auto& mdia = Children(trak[1], {"mdhd", "hdlr", "minf"});
    {
        Cursor c = p.Full(mdia[0], 0);
        c.Skip(8);
        f.mediaTimescale = c.U32();
        c.Skip(4 + 2 + 2);
        c.ExpectEnd();
    }
    {
        Cursor c = p.Full(mdia[1], 0);
        c.Skip(4);
        f.handler = c.Type();
        c.Skip(12);
        std::string name;
        while (c.Left() > 0)
            name += static_cast<char>(c.U8());
        FaultIf(name.empty() || name.back() != '\0', "hdlr: name without terminator");
    }
    const auto& minf = Children(mdia[2], {"vmhd", "dinf", "stbl"});
    {
        Cursor c = p.Full(minf[0], 1);
        c.Skip(8); // graphics mode, colour
        c.ExpectEnd();
    }
    const auto& dinf = Children(minf[1], {"dref"});
    {
        Cursor c = p.Full(dinf[0], 0);
        FaultIf(c.U32() != 1, "dref: not one entry");
        Mp4TestBox url;
        url.offset = c.Pos();
        Cursor h = c;
        url.size = h.U32();
        url.type = h.Type();
        url.headerSize = 8;
        FaultIf(url.type != "url " || url.size != 12, "dref: entry is not a 12-byte url box");
        p.Full(url, 1).ExpectEnd();
        c.Skip(12);
        c.ExpectEnd();
    }
    const auto& stbl = Children(minf[2], {"stsd", "stts", "stsc", "stsz", "stco"});
    {
        Cursor c = p.Full(stbl[0], 0);
        FaultIf(c.U32() != 1, "stsd: not one entry");
        const uint32_t entrySize = c.U32();
        f.sampleEntry = c.Type();
        FaultIf(entrySize != 86 || c.Left() != 78,
                "stsd: sample entry of " + std::to_string(entrySize) + " bytes, expected 86");
        c.Skip(6);
        FaultIf(c.U16() != 1, "sample entry: data reference index is not 1");
        c.Skip(2 + 2 + 12);
        f.width = static_cast<uint16_t>(c.U16());
        f.height = static_cast<uint16_t>(c.U16());
        c.Skip(4 + 4 + 4);
        FaultIf(c.U16() != 1, "sample entry: frame count is not 1");
        c.Skip(32);
        FaultIf(c.U16() != 0x18 || c.U16() != 0xFFFF, "sample entry: depth or pre-defined field wrong");
        c.ExpectEnd();
    }
    for (int i = 1; i <= 4; ++i) {
        Cursor c = p.Full(stbl[i], 0);
        FaultIf(i == 3 && c.U32() != 0, "stsz: sample size is not 0");
        FaultIf(c.U32() != 0, stbl[i].type + ": not empty");
        c.ExpectEnd();
    }
    const auto& mvex = Children(m[2], {"mehd", "trex"});
    {
        Cursor c = p.Full(mvex[0], 0, &f.mehdVersion);
        f.mehdDuration = f.mehdVersion == 1 ? c.U64() : c.U32();
        c.ExpectEnd();
    }
    {
        Cursor c = p.Full(mvex[1], 0);
        FaultIf(c.U32() != 1 || c.U32() != 1, "trex: not track 1 with sample description 1");
        c.Skip(12);
        c.ExpectEnd();
    }
}

Mp4TestFragment ReadFragment(const Parser& p, const Mp4TestBox& moof, const Mp4TestBox& mdat) {
    Mp4TestFragment frag;
    frag.moofOffset = moof.offset;
    frag.mdatSize = mdat.size;
    const auto& m = Children(moof, {"mfhd", "traf"});
    {
        Cursor c = p.Full(m[0], 0);
        frag.sequence = c.U32();
        c.ExpectEnd();
    }
    const auto& traf = Children(m[1], {"tfhd", "tfdt", "trun"});
    {
        Cursor c = p.Full(traf[0], 0x020000);
        FaultIf(c.U32() != 1, "tfhd: track id is not 1");
        c.ExpectEnd();
    }
    {
        Cursor c = p.Full(traf[1], 0, &frag.tfdtVersion);
        frag.baseDecodeTime = frag.tfdtVersion == 1 ? c.U64() : c.U32();
        c.ExpectEnd();
    }
    Cursor c = p.Full(traf[2], 0x000701);
    const uint32_t count = c.U32();
    const int32_t dataOffset = static_cast<int32_t>(c.U32());
    FaultIf(c.Left() != 12ull * count, "trun: " + std::to_string(count) + " samples do not fill it");
    uint64_t at = moof.offset + static_cast<uint64_t>(static_cast<int64_t>(dataOffset));
    FaultIf(count == 0, "trun: no samples");
    FaultIf(at != mdat.offset + mdat.headerSize,
            "fragment " + std::to_string(frag.sequence) + ": data offset misses the mdat's payload");
    for (uint32_t i = 0; i < count; ++i) {
        Mp4TestSample s;
        s.duration = c.U32();
        s.size = c.U32();
        s.flags = c.U32();
        s.offset = at;
        at += s.size;
        frag.samples.push_back(s);
    }
    FaultIf(at != mdat.offset + mdat.size,
            "fragment " + std::to_string(frag.sequence) + ": samples do not fill the mdat");
    return frag;
}

std::vector<Mp4TestIndexEntry> ReadIndex(const Parser& p, const Mp4TestBox& mfra) {
    const auto& m = Children(mfra, {"tfra", "mfro"});
    int version = 0;
    Cursor t = p.Full(m[0], 0, &version);
    FaultIf(t.U32() != 1, "tfra: track id is not 1");
    const uint32_t sizes = t.U32();
    const int trafBytes = static_cast<int>((sizes >> 4 & 3) + 1);
    const int trunBytes = static_cast<int>((sizes >> 2 & 3) + 1);
    const int sampleBytes = static_cast<int>((sizes & 3) + 1);
    const uint32_t count = t.U32();
    std::vector<Mp4TestIndexEntry> entries;
    for (uint32_t i = 0; i < count; ++i) {
        Mp4TestIndexEntry e;
        e.time = version == 1 ? t.U64() : t.U32();
        e.moofOffset = version == 1 ? t.U64() : t.U32();
        FaultIf(t.Uint(trafBytes) != 1 || t.Uint(trunBytes) != 1 || t.Uint(sampleBytes) != 1,
                "tfra: entry does not point at the first sample");
        entries.push_back(e);
    }
    t.ExpectEnd();
    Cursor r = p.Full(m[1], 0);
    FaultIf(r.U32() != mfra.size, "mfro: size does not match the mfra");
    r.ExpectEnd();
    return entries;
}

} // namespace

uint64_t Mp4TestFragment::Duration() const {
    uint64_t d = 0;
    for (const Mp4TestSample& s : samples)
        d += s.duration;
    return d;
}

uint64_t Mp4TestFile::SampleCount() const {
    uint64_t n = 0;
    for (const Mp4TestFragment& f : fragments)
        n += f.samples.size();
    return n;
}

uint64_t Mp4TestFile::Duration() const {
    uint64_t d = 0;
    for (const Mp4TestFragment& f : fragments)
        d += f.Duration();
    return d;
}

Mp4TestFile ReadMp4(const std::vector<uint8_t>& file, bool allowCut) {
    Mp4TestFile f;
    Parser p(file.data(), file.size());
    f.boxes = p.Boxes(0, file.size(), allowCut, &f.cut);
    const auto& b = f.boxes;
    FaultIf(b.size() < 2 || b[0].type != "ftyp" || b[1].type != "moov",
            "the file does not start with ftyp and moov");
    {
        Cursor c = p.Payload(b[0]);
        f.majorBrand = c.Type();
        c.U32();
        while (c.Left() > 0)
            f.compatibleBrands.push_back(c.Type());
    }
    ReadMoov(p, b[1], f);

    size_t i = 2;
    uint64_t nextTime = 0;
    while (i < b.size() && b[i].type == "moof") {
        if (i + 1 == b.size()) {
            FaultIf(!allowCut, "moof without mdat at the end");
            f.cut = true;
            break;
        }
        FaultIf(b[i + 1].type != "mdat", "moof not followed by mdat");
        Mp4TestFragment frag = ReadFragment(p, b[i], b[i + 1]);
        FaultIf(frag.sequence != f.fragments.size() + 1,
                "fragment sequence " + std::to_string(frag.sequence) + " out of order");
        FaultIf(frag.baseDecodeTime != nextTime, "fragment " + std::to_string(frag.sequence) + " starts at " +
                                                     std::to_string(frag.baseDecodeTime) + ", expected " +
                                                     std::to_string(nextTime));
        nextTime = frag.baseDecodeTime + frag.Duration();
        f.fragments.push_back(std::move(frag));
        i += 2;
    }
    if (i < b.size() && b[i].type == "mfra" && i + 1 == b.size()) {
        f.hasIndex = true;
        f.index = ReadIndex(p, b[i]);
        FaultIf(f.index.size() != f.fragments.size(), "mfra: " + std::to_string(f.index.size()) +
                                                          " entries for " +
                                                          std::to_string(f.fragments.size()) + " fragments");
        for (size_t k = 0; k < f.index.size(); ++k)
            FaultIf(f.index[k].time != f.fragments[k].baseDecodeTime ||
                        f.index[k].moofOffset != f.fragments[k].moofOffset,
                    "mfra: entry " + std::to_string(k) + " does not match its fragment");
        ++i;
    }
    if (i < b.size() && !(f.cut && i + 1 == b.size() && b[i].type == "moof"))
        Fault("unexpected " + b[i].type + " at " + std::to_string(b[i].offset));
    return f;
}

std::vector<Mp4TestIndexEntry> ReadMp4Index(const uint8_t* data, size_t size) {
    Parser p(data, size);
    bool cut = false;
    const std::vector<Mp4TestBox> boxes = p.Boxes(0, size, false, &cut);
    FaultIf(boxes.size() != 1 || boxes[0].type != "mfra", "not one mfra box");
    return ReadIndex(p, boxes[0]);
}
