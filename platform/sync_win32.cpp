// Locks, events, interlocked counts and time on Windows.
#include <windows.h>

#include "platform/platform.h"

namespace plat {

static_assert(sizeof(LONG) == sizeof(int32_t), "interlocked values are 32-bit");

CriticalSection::CriticalSection() {
    CRITICAL_SECTION* section = new CRITICAL_SECTION;
    InitializeCriticalSection(section);
    impl_ = section;
}

CriticalSection::~CriticalSection() {
    CRITICAL_SECTION* section = static_cast<CRITICAL_SECTION*>(impl_);
    DeleteCriticalSection(section);
    delete section;
}

void CriticalSection::Enter() {
    EnterCriticalSection(static_cast<CRITICAL_SECTION*>(impl_));
}
void CriticalSection::Leave() {
    LeaveCriticalSection(static_cast<CRITICAL_SECTION*>(impl_));
}
bool CriticalSection::TryEnter() {
    return TryEnterCriticalSection(static_cast<CRITICAL_SECTION*>(impl_)) != FALSE;
}

Event::Event(bool manualReset, bool initiallySet)
    : impl_(CreateEventA(nullptr, manualReset ? TRUE : FALSE, initiallySet ? TRUE : FALSE,
                         nullptr)) {}

Event::~Event() {
    if (impl_)
        CloseHandle(static_cast<HANDLE>(impl_));
}

bool Event::Set() {
    return impl_ && SetEvent(static_cast<HANDLE>(impl_));
}
bool Event::Reset() {
    return impl_ && ResetEvent(static_cast<HANDLE>(impl_));
}

bool Event::Wait(uint32_t timeoutMs) {
    return impl_ && WaitForSingleObject(static_cast<HANDLE>(impl_), timeoutMs) == WAIT_OBJECT_0;
}

uintptr_t Event::NativeHandle() const {
    return reinterpret_cast<uintptr_t>(impl_);
}

int32_t AtomicIncrement(volatile int32_t* value) {
    return InterlockedIncrement(reinterpret_cast<volatile LONG*>(value));
}

int32_t AtomicDecrement(volatile int32_t* value) {
    return InterlockedDecrement(reinterpret_cast<volatile LONG*>(value));
}

void SleepMs(uint32_t milliseconds) {
    Sleep(milliseconds);
}

uint64_t MonotonicMs() {
    LARGE_INTEGER frequency, counter;
    if (!QueryPerformanceFrequency(&frequency) || frequency.QuadPart <= 0 ||
        !QueryPerformanceCounter(&counter))
        return GetTickCount();
    return static_cast<uint64_t>(counter.QuadPart /
                                 (frequency.QuadPart / 1000 ? frequency.QuadPart / 1000 : 1));
}

} // namespace plat
