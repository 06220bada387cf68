// A stand-in for Media Foundation's sink writer, handed to the recorder through
// g_mediaFoundation: it encodes nothing, keeps what it is given and notes every use that breaks the
// writer's documented rules. It creates the file as the real writer does, and holds it open until
// it is released.
#pragma once

#include "output/media_foundation_api.h"

#include <cstdint>
#include <string>
#include <vector>

// What a media type handed to the writer says.
struct FakeVideoType {
    GUID subtype = GUID_NULL;
    UINT32 width = 0, height = 0;
    UINT32 rateNumerator = 0, rateDenominator = 0;
    UINT32 aspectNumerator = 0, aspectDenominator = 0;
    UINT32 interlace = 0;
    UINT32 bitRate = 0;
    bool hasStride = false;
    INT32 stride = 0;
};

struct FakeSinkWriterScript {
    enum class Step { None, SetInputMediaType, BeginWriting, WriteSample, Finalize };
    Step failAt = Step::None;
    int failingSample = 0;         // with WriteSample: the first sample that fails (0 = the first)
    bool refuseFragmented = false; // creating a writer for a fragmented MP4 fails
};

struct FakeSinkWriterLog {
    std::vector<std::string> violations;
    std::vector<GUID> containers; // per creation: the container asked for, GUID_NULL for none
    int alive = 0;                // writers not yet released
    // Of the last writer created:
    FakeVideoType output, input;
    std::vector<int64_t> times;
    std::vector<uint8_t> firstSample;
    int finalized = 0;
};

// Puts the fake in place of the real writer until it goes out of scope. Media Foundation must be
// started (the samples and types are the platform's own).
class ScopedFakeSinkWriter {
public:
    explicit ScopedFakeSinkWriter(const FakeSinkWriterScript& script);
    ~ScopedFakeSinkWriter();
    ScopedFakeSinkWriter(const ScopedFakeSinkWriter&) = delete;
    ScopedFakeSinkWriter& operator=(const ScopedFakeSinkWriter&) = delete;

    // Read once the recording is over.
    const FakeSinkWriterLog& Log() const;

private:
    decltype(MediaFoundationApi::createSinkWriterFromURL) previous_;
};
