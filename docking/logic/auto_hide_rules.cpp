#include "docking/logic/auto_hide_rules.h"

#include <algorithm>
#include <functional>
#include <queue>

namespace docking {

std::vector<int> FitAutoHideLengths(const std::vector<int>& desired, int barLength) {
    std::vector<int> out = desired;
    const int room = barLength - 1;
    long long total = 0;
    for (int d : desired)
        total += d + kAutoHideGap;
    if (desired.empty() || total <= room)
        return out;
    int count = static_cast<int>(desired.size());
    int share = room / count;
    int rest = room % count;
    std::priority_queue<int, std::vector<int>, std::greater<int>> set(desired.begin(),
                                                                      desired.end());
    while (!set.empty()) {
        if (set.top() < share) {
            rest += share - set.top();
            set.pop();
            --count;
            continue;
        }
        if (rest < count)
            break;
        share += rest / count;
        rest %= count;
    }
    share = share < kAutoHideGap ? 0 : share - kAutoHideGap;
    for (int& length : out)
        length = std::min(length, share);
    return out;
}

int AutoHideTabAt(int offset, int active, int count, int iconTabWidth, int length) {
    if (count <= 0)
        return -1;
    active = std::clamp(active, 0, count - 1);
    const int w = iconTabWidth;
    if (w <= 0)
        return active;
    int hit;
    if (offset < active * w) {
        hit = offset / w;
    } else {
        const int e = length - (count - active - 1) * w;
        hit = offset > e ? active + (offset - e) / w + 1 : active;
    }
    return std::clamp(hit, 0, count - 1);
}

int AutoHideIconTabWidth(int length, int count, int naturalWidth) {
    if (count <= 0 || length >= count * naturalWidth)
        return naturalWidth;
    return length < count ? 0 : length / count;
}

} // namespace docking
