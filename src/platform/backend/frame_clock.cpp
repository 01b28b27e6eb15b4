#include "platform/backend/frame_clock.h"

#include <chrono>
#include <thread>

namespace velmora::platform {

namespace {

struct ClockState {
    bool isVirtual = false;
    FrameRate rate;
    uint32_t startValue = 0;
    uint64_t framesPresented = 0;
    uint64_t sleptMilliseconds = 0;
};

ClockState& Clock() {
    static ClockState state;
    return state;
}

ClockListener& Listener() {
    static ClockListener listener = nullptr;
    return listener;
}

void TellListener() {
    if (ClockListener listener = Listener()) listener();
}

uint32_t VirtualAt(uint64_t frames, uint64_t slept) {
    const ClockState& s = Clock();
    // Exact integer arithmetic so that 59.94 frames per second never drift.
    unsigned __int128 scaled =
        static_cast<unsigned __int128>(frames) * 1000u * s.rate.denominator / s.rate.numerator;
    return static_cast<uint32_t>(s.startValue + static_cast<uint64_t>(scaled) + slept);
}

uint32_t VirtualNow() { return VirtualAt(Clock().framesPresented, Clock().sleptMilliseconds); }

FilmPosition FilmPositionAt(uint64_t frames, uint64_t slept) {
    const ClockState& s = Clock();
    // slept x num / (1000 x den) frames
    unsigned __int128 held = static_cast<unsigned __int128>(slept) * s.rate.numerator;
    unsigned __int128 perFrame = static_cast<unsigned __int128>(1000u) * s.rate.denominator;
    return {frames + static_cast<uint64_t>(held / perFrame), held % perFrame != 0};
}

uint32_t RealNow() {
    using namespace std::chrono;
    auto since = steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(duration_cast<milliseconds>(since).count());
}

}  // namespace

bool ParseFrameRate(const char* text, FrameRate& rate) {
    if (!text) return false;
    uint64_t numerator = 0;
    uint64_t denominator = 1;
    int integerDigits = 0;
    int fractionDigits = 0;
    const char* p = text;
    for (; *p >= '0' && *p <= '9'; ++p) {
        if (++integerDigits > 7) return false;
        numerator = numerator * 10 + static_cast<uint64_t>(*p - '0');
    }
    if (*p == '.') {
        for (++p; *p >= '0' && *p <= '9'; ++p) {
            if (++fractionDigits > 6) return false;
            numerator = numerator * 10 + static_cast<uint64_t>(*p - '0');
            denominator *= 10;
        }
    }
    if (*p != '\0' || integerDigits + fractionDigits == 0 || numerator == 0) return false;
    rate.numerator = numerator;
    rate.denominator = denominator;
    return true;
}

void UseRealClock() { Clock() = ClockState{}; }

void UseVirtualClock(const FrameRate& rate, uint32_t startValue) {
    ClockState& s = Clock();
    s = ClockState{};
    s.isVirtual = true;
    s.rate = rate;
    s.startValue = startValue;
}

bool VirtualClockInUse() { return Clock().isVirtual; }

void FramePresented() {
    if (Clock().isVirtual) ++Clock().framesPresented;
    TellListener();
}

uint64_t VirtualClockSamples(uint32_t sampleRate) {
    const ClockState& s = Clock();
    if (!s.isVirtual) return 0;
    // (frames x 1000 x den + slept x num) x sampleRate / (1000 x num)
    unsigned __int128 numerator =
        (static_cast<unsigned __int128>(s.framesPresented) * 1000u * s.rate.denominator +
         static_cast<unsigned __int128>(s.sleptMilliseconds) * s.rate.numerator) *
        sampleRate;
    unsigned __int128 denominator = static_cast<unsigned __int128>(1000u) * s.rate.numerator;
    return static_cast<uint64_t>(numerator / denominator);
}

FilmPosition VirtualClockFilmPosition() {
    const ClockState& s = Clock();
    if (!s.isVirtual) return {};
    return FilmPositionAt(s.framesPresented, s.sleptMilliseconds);
}

uint32_t VirtualClockMillisecondsAfter(uint64_t frames, uint64_t milliseconds) {
    const ClockState& s = Clock();
    if (!s.isVirtual) return RealNow();
    return VirtualAt(s.framesPresented + frames, s.sleptMilliseconds + milliseconds);
}

FilmPosition VirtualClockFilmPositionAfter(uint64_t frames, uint64_t milliseconds) {
    const ClockState& s = Clock();
    if (!s.isVirtual) return {};
    return FilmPositionAt(s.framesPresented + frames, s.sleptMilliseconds + milliseconds);
}

void SetClockListener(ClockListener listener) { Listener() = listener; }

uint32_t ClockMilliseconds() { return Clock().isVirtual ? VirtualNow() : RealNow(); }

void ClockSleep(uint32_t milliseconds) {
    if (Clock().isVirtual) {
        Clock().sleptMilliseconds += milliseconds;
        TellListener();
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    TellListener();
}

}  // namespace velmora::platform
