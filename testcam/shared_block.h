// Counters that the camera's filters and the tests share across processes: one block of named
// shared memory per camera instance, alive while any process has it open.
#pragma once

#include <windows.h>

#include <string>

struct TestCamSharedBlock {
    LONG filterObjects;
    LONG filterRefs;
    LONG capturePinRefs;
    LONG stillPinRefs;
    LONG pendingSnapshots;
    LONG pendingSignalFrames;
    LONG framesDelivered;
    LONG stillsDelivered;
    LONG signalFramesDelivered;
    LONG running;
    LONG connected;
    LONG fourcc;
    LONG width;
    LONG height;
};

// A mapped view of one camera's block; closes the mapping when destroyed.
class SharedBlockView {
public:
    SharedBlockView() = default;
    ~SharedBlockView() { Close(); }
    SharedBlockView(const SharedBlockView&) = delete;
    SharedBlockView& operator=(const SharedBlockView&) = delete;

    // create = false only opens a block that some process already has.
    bool Open(const std::wstring& instanceName, bool create);
    void Close();
    TestCamSharedBlock* get() const { return block_; }
    TestCamSharedBlock* operator->() const { return block_; }
    explicit operator bool() const { return block_ != nullptr; }

private:
    HANDLE mapping_ = nullptr;
    TestCamSharedBlock* block_ = nullptr;
};

// Takes one from *counter if it is above zero; true when it did.
bool TakePending(LONG* counter);
