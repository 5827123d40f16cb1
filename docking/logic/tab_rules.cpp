#include "docking/logic/tab_rules.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace docking {

int TabNaturalWidth(int imageWidth, int textWidth) {
    int w = kTabInset + std::max(imageWidth, 0);
    if (textWidth > 0)
        w += textWidth + 2 * kTabTextMargin;
    return w + kTabInset;
}

std::vector<int> FitTabWidths(const std::vector<int>& natural, int selected, int areaWidth) {
    std::vector<int> out = natural;
    const int count = static_cast<int>(natural.size());
    const int sum = std::accumulate(natural.begin(), natural.end(), 0);
    if (count == 0 || selected < 0 || selected >= count ||
        kFirstTabOffset + sum + kFirstTabOffset <= areaWidth)
        return out;
    const int room = areaWidth - 2 * kFirstTabOffset;
    const int selectedWidth = natural[static_cast<size_t>(selected)];
    const int others = room - selectedWidth;
    const int minimum = kMinTextRoom + 2 * kTabInset + kTabTextMargin;
    if (minimum * (count - 1) < others) {
        const int unselectedSum = sum - selectedWidth;
        if (count == 1 || unselectedSum <= 0)
            return out; // nothing to shrink
        const double ratio = static_cast<double>(others) / unselectedSum;
        int narrowest = 0;
        bool first = true;
        for (int i = 0; i < count; ++i)
            if (i != selected && (first || natural[static_cast<size_t>(i)] < narrowest)) {
                narrowest = natural[static_cast<size_t>(i)];
                first = false;
            }
        const bool proportional = ratio * narrowest >= minimum;
        for (int i = 0; i < count; ++i) {
            if (i == selected)
                continue;
            out[static_cast<size_t>(i)] =
                proportional
                    ? static_cast<int>(std::lround(ratio * natural[static_cast<size_t>(i)]))
                    : others / (count - 1);
        }
        return out;
    }
    std::fill(out.begin(), out.end(), room / count);
    return out;
}

TabButtons LayoutTabButtons(const TabRect& client, unsigned style) {
    TabButtons b;
    b.area = client;
    const bool bottom = (style & CTS_BOTTOM) != 0;
    const bool hasClose = (style & CTS_CLOSEBUTTON) != 0;
    if (hasClose && b.area.Width() > 14) {
        TabRect c = b.area;
        if (bottom) {
            c.top += 3;
            c.right -= 3;
        } else {
            c.top += 1;
            c.bottom -= 2;
            c.right -= 5;
        }
        c.top = (c.top + c.bottom - kTabButtonSize) / 2;
        c.bottom = c.top + kTabButtonSize;
        c.left = c.right - kTabButtonSize;
        b.close = c;
        b.area.right = c.left;
    }
    if ((style & CTS_SCROLLBUTTONS) && b.area.Width() > 14) {
        const int top = (b.area.top + b.area.bottom + (bottom ? 4 : 0) - 16) / 2;
        const int edge = b.area.right - (hasClose ? 0 : (bottom ? 3 : 5));
        b.right = TabRect{edge - kTabButtonSize, top, edge, top + kTabButtonSize};
        b.left = TabRect{b.right.left - kTabButtonSize, top, b.right.left, top + kTabButtonSize};
        b.area.right = b.left.left;
    }
    return b;
}

unsigned TabHitFlag(const TabButtons& b, bool onTab, int x, int y) {
    if (b.close.Contains(x, y))
        return CTCHT_ONCLOSEBTN;
    if (b.right.Contains(x, y))
        return CTCHT_ONSCROLLRIGHTBTN;
    if (b.left.Contains(x, y))
        return CTCHT_ONSCROLLLEFTBTN;
    if (onTab && b.area.Contains(x, y))
        return CTCHT_ONITEM;
    return CTCHT_NOWHERE;
}

TabDeletePlan PlanTabDelete(int position, int count, int selection, bool keepSelection) {
    TabDeletePlan plan;
    if (position < 0 || position >= count)
        return plan;
    plan.valid = true;
    if (count < 2) {
        plan.silentSelection = -1;
        return plan;
    }
    const bool last = position == count - 1;
    if (keepSelection) {
        if (position < selection)
            plan.silentSelection = selection - 1;
        else if (position == selection && last)
            plan.selectBefore = selection - 1;
        else if (position == selection)
            plan.selectAfter = position;
    } else if (position == selection && last) {
        plan.silentSelection = -1;
    }
    return plan;
}

bool ShouldExchangeTabs(int hit, int dragged, int lastExchanged, int cursor, int lastCursor) {
    if (hit < 0 || hit == dragged)
        return false;
    return hit != lastExchanged ||
           static_cast<long long>(cursor - lastCursor) * (lastExchanged - dragged) > 0;
}

int FlyingTabThickness(int ascent) {
    if (ascent <= 0)
        return 24;
    const double t = (ascent / 11.0 * 24.0 - 24.0) / 2.0 + 24.0;
    return static_cast<int>(t) & 0xFF;
}

} // namespace docking
