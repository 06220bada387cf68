#include "testcam/shared_block.h"

namespace {

std::wstring MappingName(const std::wstring& instanceName) {
    return L"VantixTestCam.Shared." + instanceName;
}

} // namespace

bool SharedBlockView::Open(const std::wstring& instanceName, bool create) {
    Close();
    const std::wstring name = MappingName(instanceName);
    mapping_ = create ? CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                           sizeof(TestCamSharedBlock), name.c_str())
                      : OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, name.c_str());
    if (!mapping_)
        return false;
    // A new mapping starts zero-filled, which is the block's initial state.
    block_ = static_cast<TestCamSharedBlock*>(
        MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(TestCamSharedBlock)));
    if (!block_) {
        CloseHandle(mapping_);
        mapping_ = nullptr;
        return false;
    }
    return true;
}

void SharedBlockView::Close() {
    if (block_)
        UnmapViewOfFile(block_);
    if (mapping_)
        CloseHandle(mapping_);
    block_ = nullptr;
    mapping_ = nullptr;
}

bool TakePending(LONG* counter) {
    for (;;) {
        const LONG n = InterlockedCompareExchange(counter, 0, 0);
        if (n <= 0)
            return false;
        if (InterlockedCompareExchange(counter, n - 1, n) == n)
            return true;
    }
}
