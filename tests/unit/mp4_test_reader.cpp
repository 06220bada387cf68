#include "tests/unit/mp4_test_reader.h"

#include <cstring>
#include <algorithm>
#include <map>
#include <set>
#include <stdexcept>
#include <utility>

namespace {

void FaultIf(bool fault, const std::string& what) {
    if (fault)
        throw std::runtime_error(what);
}

const std::set<std::string> kContainers = {"moov", "trak", "mdia", "minf", "dinf",
                                           "stbl", "mvex", "moof", "traf", "mfra"};

// What a full box of the writer must be: its flags and the size of its payload after version and
// flags (-1: checked where it is read), for version 0 and, where a version 1 is allowed, for that.
struct FullBoxRule {
    uint32_t flags;
    int64_t size0;
    int64_t size1 = -2; // -2: version 1 not allowed
};

const std::map<std::string, FullBoxRule> kFullBoxes = {
    {"mvhd", {0, 96}},        {"tkhd", {3, 80}},     {"mdhd", {0, 20}},       {"hdlr", {0, -1}},
    {"vmhd", {1, 8}},         {"dref", {0, 16}},     {"stsd", {0, 90}},       {"stts", {0, 4}},
    {"stsc", {0, 4}},         {"stsz", {0, 8}},      {"stco", {0, 4}},        {"mehd", {0, 4, 8}},
    {"trex", {0, 20}},        {"mfhd", {0, 4}},      {"tfhd", {0x020000, 4}}, {"tfdt", {0, 4, 8}},
    {"trun", {0x000701, -1}}, {"tfra", {0, -1, -1}}, {"mfro", {0, 4}}};

// The children of each container, as one text: a box missing, extra or out of place shows.
std::string Tree(const Mp4TestBox& box) {
    std::string tree = box.type;
    for (size_t i = 0; i < box.children.size(); ++i) {
        tree += i == 0 ? "(" : " ";
        tree += Tree(box.children[i]);
    }
    return box.children.empty() ? tree : tree + ")";
}

class Parser {
public:
    explicit Parser(const uint8_t* data) : data_(data) {}

    // The boxes filling begin..end exactly. With cutOk, a last box running past end stops the
    // list and sets cut instead of being a fault.
    std::vector<Mp4TestBox> Boxes(uint64_t begin, uint64_t end, bool cutOk, bool* cut) const {
        std::vector<Mp4TestBox> boxes;
        for (uint64_t pos = begin; pos < end;) {
            Mp4TestBox box;
            box.offset = pos;
            box.headerSize = 8;
            if (end - pos >= 8) {
                box.size = Uint(pos, 4);
                box.type.assign(reinterpret_cast<const char*>(data_ + pos + 4), 4);
            }
            if (box.size == 1) { // a 64-bit size follows the type
                box.headerSize = 16;
                if (end - pos >= 16)
                    box.size = Uint(pos + 8, 8);
            }
            if (end - pos < box.headerSize || box.size > end - pos) {
                FaultIf(!cutOk, box.type + " at " + std::to_string(pos) + " runs past its parent");
                *cut = true;
                break;
            }
            FaultIf(box.size < box.headerSize,
                    box.type + " at " + std::to_string(pos) + ": size " + std::to_string(box.size));
            if (kContainers.count(box.type))
                box.children = Boxes(pos + box.headerSize, pos + box.size, false, nullptr);
            CheckFullBox(box);
            pos += box.size;
            boxes.push_back(std::move(box));
        }
        return boxes;
    }

    // A field of a box's payload (offsets count from the end of its header).
    uint64_t At(const Mp4TestBox& box, uint64_t offset, int bytes) const {
        FaultIf(offset + bytes > box.size - box.headerSize, box.type + ": runs past its end");
        return Uint(box.offset + box.headerSize + offset, bytes);
    }
    std::string TypeAt(const Mp4TestBox& box, uint64_t offset) const {
        At(box, offset, 4);
        return std::string(reinterpret_cast<const char*>(data_ + box.offset + box.headerSize + offset), 4);
    }
    uint64_t PayloadSize(const Mp4TestBox& box) const { return box.size - box.headerSize; }
    void Expect(bool ok, const Mp4TestBox& box, const std::string& what) const {
        FaultIf(!ok, box.type + ": " + what);
    }

private:
    uint64_t Uint(uint64_t pos, int bytes) const {
        uint64_t v = 0;
        for (int i = 0; i < bytes; ++i)
            v = v << 8 | data_[pos + i];
        return v;
    }

    void CheckFullBox(const Mp4TestBox& box) const {
        const auto rule = kFullBoxes.find(box.type);
        if (rule == kFullBoxes.end())
            return;
        const int version = static_cast<int>(At(box, 0, 1));
        const int64_t size = version == 1 ? rule->second.size1 : version == 0 ? rule->second.size0 : -2;
        Expect(size != -2, box, "version " + std::to_string(version));
        Expect(At(box, 1, 3) == rule->second.flags, box, "flags " + std::to_string(At(box, 1, 3)));
        Expect(size == -1 || PayloadSize(box) == 4 + static_cast<uint64_t>(size), box,
               std::to_string(PayloadSize(box)) + " bytes");
    }

    const uint8_t* data_;
};

void ReadMoov(const Parser& p, const Mp4TestBox& moov, Mp4TestFile& f) {
    FaultIf(Tree(moov) != "moov(mvhd trak(tkhd mdia(mdhd hdlr minf(vmhd dinf(dref) stbl(stsd stts stsc stsz "
                          "stco)))) mvex(mehd trex))",
            "moov holds " + Tree(moov));
    const Mp4TestBox& trak = moov.children[1];
    const Mp4TestBox& mdia = trak.children[1];
    const Mp4TestBox& minf = mdia.children[2];
    const Mp4TestBox& stbl = minf.children[2];
    const Mp4TestBox& mvex = moov.children[2];
    f.movieTimescale = static_cast<uint32_t>(p.At(moov.children[0], 12, 4));
    const Mp4TestBox& tkhd = trak.children[0];
    p.Expect(p.At(tkhd, 12, 4) == 1, tkhd, "track id is not 1");
    f.trackWidth = static_cast<uint32_t>(p.At(tkhd, 76, 4));
    f.trackHeight = static_cast<uint32_t>(p.At(tkhd, 80, 4));
    f.mediaTimescale = static_cast<uint32_t>(p.At(mdia.children[0], 12, 4));
    const Mp4TestBox& hdlr = mdia.children[1];
    f.handler = p.TypeAt(hdlr, 8);
    p.Expect(p.PayloadSize(hdlr) > 24 && p.At(hdlr, p.PayloadSize(hdlr) - 1, 1) == 0, hdlr,
             "name without terminator");
    const Mp4TestBox& dref = minf.children[1].children[0];
    p.Expect(p.At(dref, 4, 4) == 1 && p.At(dref, 8, 4) == 12 && p.TypeAt(dref, 12) == "url " &&
                 p.At(dref, 16, 4) == 1,
             dref, "not one 12-byte url entry of version 0, flags 1");
    const Mp4TestBox& stsd = stbl.children[0];
    p.Expect(p.At(stsd, 4, 4) == 1 && p.At(stsd, 8, 4) == 86, stsd, "not one sample entry of 86 bytes");
    f.sampleEntry = p.TypeAt(stsd, 12);
    p.Expect(p.At(stsd, 22, 2) == 1 && p.At(stsd, 56, 2) == 1, stsd,
             "data reference index or frame count is not 1");
    f.width = static_cast<uint16_t>(p.At(stsd, 40, 2));
    f.height = static_cast<uint16_t>(p.At(stsd, 42, 2));
    p.Expect(p.At(stsd, 90, 2) == 0x18 && p.At(stsd, 92, 2) == 0xFFFF, stsd,
             "depth or pre-defined field wrong");
    for (int i = 1; i <= 4; ++i)
        p.Expect(p.At(stbl.children[i], 4, i == 3 ? 8 : 4) == 0, stbl.children[i], "not empty");
    const Mp4TestBox& mehd = mvex.children[0];
    f.mehdVersion = static_cast<int>(p.At(mehd, 0, 1));
    f.mehdDuration = p.At(mehd, 4, f.mehdVersion == 1 ? 8 : 4);
    const Mp4TestBox& trex = mvex.children[1];
    p.Expect(p.At(trex, 4, 4) == 1 && p.At(trex, 8, 4) == 1, trex, "not track 1 with sample description 1");
}

Mp4TestFragment ReadFragment(const Parser& p, const Mp4TestBox& moof, const Mp4TestBox& mdat) {
    FaultIf(Tree(moof) != "moof(mfhd traf(tfhd tfdt trun))", "moof holds " + Tree(moof));
    Mp4TestFragment frag;
    frag.moofOffset = moof.offset;
    frag.sequence = static_cast<uint32_t>(p.At(moof.children[0], 4, 4));
    const Mp4TestBox& traf = moof.children[1];
    p.Expect(p.At(traf.children[0], 4, 4) == 1, traf.children[0], "track id is not 1");
    const Mp4TestBox& tfdt = traf.children[1];
    frag.baseDecodeTime = p.At(tfdt, 4, p.At(tfdt, 0, 1) == 1 ? 8 : 4);
    const Mp4TestBox& trun = traf.children[2];
    const uint64_t count = p.At(trun, 4, 4);
    p.Expect(count > 0 && p.PayloadSize(trun) == 12 + 12 * count, trun,
             std::to_string(count) + " samples do not fill it");
    const std::string name = "fragment " + std::to_string(frag.sequence);
    uint64_t at =
        moof.offset + static_cast<uint64_t>(static_cast<int64_t>(static_cast<int32_t>(p.At(trun, 8, 4))));
    FaultIf(at != mdat.offset + mdat.headerSize, name + ": data offset misses the mdat's payload");
    for (uint64_t i = 0; i < count; ++i) {
        Mp4TestSample s;
        s.duration = static_cast<uint32_t>(p.At(trun, 12 + 12 * i, 4));
        s.size = static_cast<uint32_t>(p.At(trun, 16 + 12 * i, 4));
        s.flags = static_cast<uint32_t>(p.At(trun, 20 + 12 * i, 4));
        s.offset = at;
        at += s.size;
        frag.samples.push_back(s);
    }
    FaultIf(at != mdat.offset + mdat.size, name + ": samples do not fill the mdat");
    return frag;
}

std::vector<Mp4TestIndexEntry> ReadIndex(const Parser& p, const Mp4TestBox& mfra) {
    FaultIf(Tree(mfra) != "mfra(tfra mfro)", "mfra holds " + Tree(mfra));
    const Mp4TestBox& tfra = mfra.children[0];
    const int word = p.At(tfra, 0, 1) == 1 ? 8 : 4;
    p.Expect(p.At(tfra, 4, 4) == 1, tfra, "track id is not 1");
    const uint64_t sizes = p.At(tfra, 8, 4);
    const int numbers[3] = {static_cast<int>((sizes >> 4 & 3) + 1), static_cast<int>((sizes >> 2 & 3) + 1),
                            static_cast<int>((sizes & 3) + 1)};
    const uint64_t count = p.At(tfra, 12, 4);
    std::vector<Mp4TestIndexEntry> entries;
    uint64_t at = 16;
    for (uint64_t i = 0; i < count; ++i) {
        Mp4TestIndexEntry e;
        e.time = p.At(tfra, at, word);
        e.moofOffset = p.At(tfra, at + word, word);
        at += 2 * word;
        for (int n : numbers) { // the traf, trun and sample numbers
            p.Expect(p.At(tfra, at, n) == 1, tfra, "entry does not point at the first sample");
            at += n;
        }
        entries.push_back(e);
    }
    p.Expect(at == p.PayloadSize(tfra), tfra,
             std::to_string(p.PayloadSize(tfra) - at) + " bytes left unread");
    p.Expect(p.At(mfra.children[1], 4, 4) == mfra.size, mfra.children[1], "size does not match the mfra");
    return entries;
}

} // namespace

uint64_t Mp4TestFragment::Duration() const {
    uint64_t d = 0;
    for (const Mp4TestSample& s : samples)
        d += s.duration;
    return d;
}

std::vector<Mp4TestSample> Mp4TestFile::Samples() const {
    std::vector<Mp4TestSample> all;
    for (const Mp4TestFragment& f : fragments)
        all.insert(all.end(), f.samples.begin(), f.samples.end());
    return all;
}

uint64_t Mp4TestFile::Duration() const {
    uint64_t d = 0;
    for (const Mp4TestFragment& f : fragments)
        d += f.Duration();
    return d;
}

Mp4TestFile ReadMp4(const std::vector<uint8_t>& file, bool allowCut) {
    Mp4TestFile f;
    const Parser p(file.data());
    f.boxes = p.Boxes(0, file.size(), allowCut, &f.cut);
    const auto& b = f.boxes;
    FaultIf(b.size() < 2 || b[0].type != "ftyp" || b[1].type != "moov",
            "the file does not start with ftyp and moov");
    f.majorBrand = p.TypeAt(b[0], 0);
    ReadMoov(p, b[1], f);

    size_t i = 2;
    uint64_t nextTime = 0;
    for (; i < b.size() && b[i].type == "moof"; i += 2) {
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
        FaultIf(true, "unexpected " + b[i].type + " at " + std::to_string(b[i].offset));
    return f;
}

std::vector<Mp4TestIndexEntry> ReadMp4Index(const uint8_t* data, size_t size) {
    const Parser p(data);
    const std::vector<Mp4TestBox> boxes = p.Boxes(0, size, false, nullptr);
    FaultIf(boxes.size() != 1 || boxes[0].type != "mfra", "not one mfra box");
    return ReadIndex(p, boxes[0]);
}

bool Mp4MemorySink::Write(const uint8_t* data, size_t n) {
    callsAfterFailure += failed_;
    const bool fails = writes++ == failWrite;
    const size_t kept = fails ? std::min(n, failKeeps) : n;
    if (keepBytes)
        bytes.insert(bytes.end(), data, data + kept);
    if (n < (1 << 20))
        last.assign(data, data + n);
    size += kept;
    failed_ = failed_ || fails;
    return !fails;
}

bool Mp4MemorySink::WriteAt(uint64_t offset, const uint8_t* data, size_t n) {
    callsAfterFailure += failed_;
    ++writeAts;
    const bool fails = failWriteAt || offset > bytes.size() || n > bytes.size() - offset;
    failed_ = failed_ || fails;
    if (!fails)
        std::memcpy(bytes.data() + offset, data, n);
    return !fails;
}
