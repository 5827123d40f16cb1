#include "viewer/logic/band_planner.h"

#include <algorithm>

namespace {
constexpr int kMinBandRows = 25;
}

int CBandPlanner::BandHeight(int imageHeight) {
    int band = imageHeight / 100;
    return band <= kMinBandRows ? kMinBandRows : band;
}

void CBandPlanner::Queue(int count, int first, int rowsDecoded, int imageHeight) {
    if (count == -1) {
        m_startRow = std::max(0, first);
        m_pending = rowsDecoded - m_startRow;
    } else {
        // first + count in 64 bits: a hostile caller must not wrap it.
        long long end = static_cast<long long>(first) + count;
        long long pending = end - m_startRow;
        m_pending = pending > 0x7fffffff ? 0x7fffffff : static_cast<int>(pending);
    }
    if (m_pending < 0)
        m_pending = 0;
    if (imageHeight > 0 && m_startRow + static_cast<long long>(m_pending) > imageHeight)
        m_pending = std::max(0, imageHeight - m_startRow);
}

bool CBandPlanner::ShouldWake(int imageHeight) const {
    if (!m_ready || m_pending <= 0)
        return false;
    return m_pending >= imageHeight / 100 || m_startRow + m_pending == imageHeight;
}

bool CBandPlanner::TakeWake(int imageHeight) {
    if (m_woken || !ShouldWake(imageHeight))
        return false;
    m_woken = true;
    return true;
}

void CBandPlanner::Clear() {
    m_startRow = 0;
    m_pending = 0;
    m_woken = false;
}

BandStep CBandPlanner::TakeBand(int imageHeight, bool decoding) {
    m_woken = false;
    BandStep step;
    if (m_pending <= 0)
        return step;
    if (m_startRow != 0 || decoding) {
        int band = BandHeight(imageHeight);
        if (m_pending < band) {
            if (m_startRow + m_pending != imageHeight)
                return step;  // more rows must come
            band = m_pending; // the last, short band
        }
        step.pass = EBandPass::kBand;
        step.first = m_startRow;
        step.count = band;
        m_startRow += band;
        m_pending -= band;
        return step;
    }
    // Decoded completely and queued from the top: one pass for everything.
    m_startRow = 0;
    m_pending = 0;
    step.pass = EBandPass::kAll;
    step.first = 0;
    step.count = -1;
    return step;
}

bool CBandPlanner::ShouldContinue(int imageHeight) const {
    if (m_pending <= 0)
        return false;
    if (m_pending <= kMinBandRows && m_startRow + m_pending != imageHeight)
        return false;
    return true;
}

RowCopyPlan PlanRowCopy(const RowCopyInput& in) {
    RowCopyPlan plan;
    if (in.count == 0)
        return plan;
    int count = in.count == -1 ? in.rowsDecoded : in.count;
    plan.count = count;
    plan.fill = in.fillFirst && in.first == 0;
    plan.postDone = in.postDone && static_cast<long long>(in.first) + count == in.frameHeight;

    long long top, bottom;
    if (in.topDown) {
        top = in.first;
        bottom = static_cast<long long>(in.first) + count;
    } else {
        top = static_cast<long long>(in.frameHeight) - in.first - count;
        bottom = static_cast<long long>(in.frameHeight) - in.first;
    }
    long long left = 0, right = in.logicalWidth;
    top = std::max<long long>(top, 0);
    bottom = std::min<long long>(bottom, in.logicalHeight);
    right = std::max<long long>(right, 0);
    if (right <= left || bottom <= top)
        return plan;

    // Stretching takes neighbouring source pixels into account; widening
    // into rows and columns already drawn (never into undecoded rows) keeps
    // seams from showing between bands.
    int s = in.scaleStep;
    left = std::max<long long>(0, left - s);
    right = std::min<long long>(in.frameWidth, right + s);
    if (in.topDown)
        top = std::max<long long>(0, top - s);
    else
        bottom = std::min<long long>(in.frameHeight, bottom + s);
    if (right <= left)
        return plan;
    plan.copy = true;
    plan.left = static_cast<int>(left);
    plan.top = static_cast<int>(top);
    plan.right = static_cast<int>(right);
    plan.bottom = static_cast<int>(bottom);
    return plan;
}
