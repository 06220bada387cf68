// Holds a critical section for a scope; Unlock() ends that early.
#pragma once

#include <windows.h>

class Locked {
public:
    explicit Locked(CRITICAL_SECTION* cs) : cs_(cs) { EnterCriticalSection(cs_); }
    ~Locked() { Unlock(); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;
    void Unlock() {
        if (cs_)
            LeaveCriticalSection(cs_);
        cs_ = nullptr;
    }

private:
    CRITICAL_SECTION* cs_;
};
