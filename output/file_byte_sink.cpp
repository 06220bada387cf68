#include "output/frame_sinks.h"

#include <algorithm>

namespace {

// Once a second is enough: a fragment of the MP4 writer spans a second.
constexpr ULONGLONG kFlushIntervalMs = 1000;

} // namespace

FileByteSink::~FileByteSink() {
    Close();
}

bool FileByteSink::Open(const std::wstring& path, DWORD* error) {
    Close();
    file_ = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file_ == INVALID_HANDLE_VALUE) {
        if (error)
            *error = GetLastError();
        return false;
    }
    lastFlush_ = GetTickCount64();
    unflushed_ = false;
    return true;
}

void FileByteSink::Close() {
    if (file_ == INVALID_HANDLE_VALUE)
        return;
    if (unflushed_)
        FlushFileBuffers(file_);
    CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
}

bool FileByteSink::WriteAll(const uint8_t* data, size_t size) {
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file_, data, chunk, &written, nullptr) || written != chunk)
            return false;
        data += chunk;
        size -= chunk;
    }
    unflushed_ = true;
    return true;
}

bool FileByteSink::Write(const uint8_t* data, size_t size) {
    if (file_ == INVALID_HANDLE_VALUE)
        return false;
    // The writer writes a fragment in two pieces back to back and then nothing for a second: what
    // was written before a pause of a second is whole fragments, so push it out before going on.
    const ULONGLONG now = GetTickCount64();
    if (unflushed_ && now - lastFlush_ >= kFlushIntervalMs) {
        FlushFileBuffers(file_);
        unflushed_ = false;
        lastFlush_ = now;
    }
    return WriteAll(data, size);
}

bool FileByteSink::WriteAt(uint64_t offset, const uint8_t* data, size_t size) {
    if (file_ == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(file_, position, nullptr, FILE_BEGIN))
        return false;
    const bool ok = WriteAll(data, size);
    LARGE_INTEGER end = {};
    SetFilePointerEx(file_, end, nullptr, FILE_END);
    return ok;
}
