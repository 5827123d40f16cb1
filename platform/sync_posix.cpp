// Locks, events, interlocked counts and time on POSIX, with the semantics of
// their Win32 counterparts.
#include "platform/platform.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace plat {

namespace {

struct EventState {
    std::mutex mutex;
    std::condition_variable signalled;
    bool set;
    bool manualReset;
};

} // namespace

CriticalSection::CriticalSection() : impl_(new std::recursive_mutex) {}
CriticalSection::~CriticalSection() {
    delete static_cast<std::recursive_mutex*>(impl_);
}
void CriticalSection::Enter() {
    static_cast<std::recursive_mutex*>(impl_)->lock();
}
void CriticalSection::Leave() {
    static_cast<std::recursive_mutex*>(impl_)->unlock();
}
bool CriticalSection::TryEnter() {
    return static_cast<std::recursive_mutex*>(impl_)->try_lock();
}

Event::Event(bool manualReset, bool initiallySet) {
    EventState* state = new EventState;
    state->set = initiallySet;
    state->manualReset = manualReset;
    impl_ = state;
}

Event::~Event() {
    delete static_cast<EventState*>(impl_);
}

bool Event::Set() {
    EventState* state = static_cast<EventState*>(impl_);
    {
        std::lock_guard<std::mutex> hold(state->mutex);
        state->set = true;
    }
    if (state->manualReset)
        state->signalled.notify_all();
    else
        state->signalled.notify_one();
    return true;
}

bool Event::Reset() {
    EventState* state = static_cast<EventState*>(impl_);
    std::lock_guard<std::mutex> hold(state->mutex);
    state->set = false;
    return true;
}

bool Event::Wait(uint32_t timeoutMs) {
    EventState* state = static_cast<EventState*>(impl_);
    std::unique_lock<std::mutex> hold(state->mutex);
    auto isSet = [state] { return state->set; };
    bool got;
    if (timeoutMs == kInfinite) {
        state->signalled.wait(hold, isSet);
        got = true;
    } else {
        got = state->signalled.wait_for(hold, std::chrono::milliseconds(timeoutMs), isSet);
    }
    if (got && !state->manualReset)
        state->set = false; // an auto-reset event releases one waiter
    return got;
}

uintptr_t Event::NativeHandle() const {
    return reinterpret_cast<uintptr_t>(impl_);
}

int32_t AtomicIncrement(volatile int32_t* value) {
    return __atomic_add_fetch(value, 1, __ATOMIC_SEQ_CST);
}

int32_t AtomicDecrement(volatile int32_t* value) {
    return __atomic_sub_fetch(value, 1, __ATOMIC_SEQ_CST);
}

void SleepMs(uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

uint64_t MonotonicMs() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

} // namespace plat
