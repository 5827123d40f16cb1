// The layout engine behind everything that docks: a row or a column of
// entries, each a 5-pixel splitter strip followed by its window, every entry
// at least 25 pixels long. The frame's docking areas hold bars and a centre
// entry; each bar holds its panes. No windows here, so every rule is tested
// natively with exact numbers.
#pragma once

#include <algorithm>
#include <cstddef>
#include <deque>
#include <utility>
#include <vector>

namespace docking {

constexpr int kStripSize = 5;
constexpr int kMinEntryLength = 25; // strip included

// Where a dropped point falls in a docking area: a new bar of its own at
// `index`, or into the entry at `index`.
struct AreaHit {
    enum Kind { None, NewBar, Entry } kind = None;
    int index = -1;
};

template <class Entry> class PaneLayout {
public:
    struct Item {
        int position; // where the entry's strip starts
        Entry entry;
    };
    struct Span {
        Entry entry;
        int begin; // the window's start along the axis (after the strip)
        int end;   // the next entry's position, or the layout's end
    };

    // 1: entries lie side by side (x); 0: stacked (y).
    explicit PaneLayout(int orientation = 0) : orientation_(orientation) {}

    int Orientation() const { return orientation_; }
    int Start() const { return start_; }
    int End() const { return end_; }
    int Count() const { return static_cast<int>(items_.size()); }
    bool Empty() const { return items_.empty(); }
    const Item& At(int i) const { return items_[static_cast<size_t>(i)]; }
    int PositionAt(int i) const { return items_[static_cast<size_t>(i)].position; }
    // Where entry i ends: the next entry's position or the layout's end.
    int NextPosition(int i) const { return i + 1 < Count() ? PositionAt(i + 1) : end_; }

    int IndexOf(const Entry& e) const {
        for (int i = 0; i < Count(); ++i)
            if (items_[static_cast<size_t>(i)].entry == e)
                return i;
        return -1;
    }

    // The rectangle's extent along the axis: the first strip lies before
    // the rectangle, and a rectangle too short for 25 pixels per entry is
    // treated as if it were that long (the last entries fall outside).
    void SetBounds(int rectStart, int rectEnd) {
        const int s0 = start_, e0 = end_;
        int s1 = rectStart - kStripSize;
        int e1 = rectEnd;
        if (e1 - s1 < kMinEntryLength * Count())
            e1 = s1 + kMinEntryLength * Count();
        start_ = s1;
        end_ = e1;
        Rescale(s0, e0, s1, e1);
    }

    // Scales the positions from the old bounds to the new ones; the lower
    // bound (25 pixels after the previous entry) wins over the upper one.
    void Rescale(int s0, int e0, int s1, int e1) {
        if (e0 == s0 || items_.empty())
            return;
        const float f = static_cast<float>(e1 - s1) / static_cast<float>(e0 - s0);
        const int firstOld = items_.front().position;
        items_.front().position = s1;
        const int n = Count();
        for (int j = 1; j < n; ++j) {
            Item& it = items_[static_cast<size_t>(j)];
            const int v = static_cast<int>(static_cast<float>(s1) +
                                           f * static_cast<float>(it.position - firstOld));
            const int prev = items_[static_cast<size_t>(j - 1)].position;
            if (v < prev + kMinEntryLength)
                it.position = prev + kMinEntryLength;
            else
                it.position = std::min(v, e1 - kMinEntryLength * (n - j));
        }
    }

    // Every entry's window span, in order.
    std::vector<Span> Spans() const {
        std::vector<Span> out;
        for (int i = 0; i < Count(); ++i)
            out.push_back(Span{At(i).entry, PositionAt(i) + kStripSize, NextPosition(i)});
        return out;
    }

    // The last entry whose position is at most c, or -1.
    int EntryAt(int c) const {
        int found = -1;
        for (int i = 0; i < Count(); ++i) {
            if (PositionAt(i) <= c)
                found = i;
            else
                break;
        }
        return found;
    }

    // The entry whose strip holds c, or -1.
    int SplitterAt(int c) const {
        const int i = EntryAt(c);
        return i >= 0 && c < PositionAt(i) + kStripSize ? i : -1;
    }

    // Where a pane dropped at c goes: before the entry under c, or after it
    // when c lies beyond that entry's first third.
    int InsertIndexFor(int c) const {
        const int i = EntryAt(c);
        if (i < 0)
            return 0;
        const int pos = PositionAt(i);
        return pos + (NextPosition(i) - pos) / 3 < c ? i + 1 : i;
    }

    // Inserts at the dropped rectangle's start c with its length l.
    int InsertAtDrop(int c, int l, Entry e) {
        const int k = InsertIndexFor(c);
        InsertAt(c, l, k, std::move(e));
        return k;
    }

    // Inserts with a wanted start w and length l at index k; the neighbours
    // move just enough that every entry, the new one included, keeps 25
    // pixels. Returns the new entry's position.
    int InsertAt(int w, int l, int k, Entry e) {
        const int n = Count();
        k = std::clamp(k, 0, n);
        const int earliest = start_ + kMinEntryLength * k;
        // The new entry needs its own 25 pixels before the n - k that follow.
        const int latest = end_ - kMinEntryLength * (n - k + 1);
        int s = std::max(earliest, std::min(w, latest));
        if (k == 0)
            s = start_;
        for (int i = 0; i < k; ++i) {
            Item& it = items_[static_cast<size_t>(i)];
            it.position = std::min(it.position, s - kMinEntryLength * (k - i));
        }
        const int followStart =
            std::min(end_ - kMinEntryLength * (n - k), std::max(s + l, s + kMinEntryLength));
        for (int j = k; j < n; ++j) {
            Item& it = items_[static_cast<size_t>(j)];
            it.position = std::max(it.position, followStart + kMinEntryLength * (j - k));
        }
        items_.insert(items_.begin() + k, Item{s, std::move(e)});
        if (end_ - start_ < kMinEntryLength * Count())
            end_ = start_ + kMinEntryLength * Count();
        return s;
    }

    // Removal from a bar: the space goes to the neighbour before it, or to
    // the one after it when the first entry goes.
    bool RemoveFromBar(int i) {
        if (i < 0 || i >= Count())
            return false;
        items_.erase(items_.begin() + i);
        if (i == 0 && !items_.empty())
            items_.front().position = start_;
        return true;
    }

    // Removal of a bar from a docking area: its length goes to the centre.
    bool RemoveFromArea(int i, int centre) {
        if (i < 0 || i >= Count() || i == centre)
            return false;
        const int length = NextPosition(i) - PositionAt(i);
        if (i < centre) {
            for (int j = i + 1; j <= centre; ++j)
                items_[static_cast<size_t>(j)].position -= length;
        } else {
            for (int j = centre + 1; j < i; ++j)
                items_[static_cast<size_t>(j)].position += length;
        }
        items_.erase(items_.begin() + i);
        if (!items_.empty())
            items_.front().position = start_;
        return true;
    }

    // Inserts a new bar of the given thickness at index k of a docking area,
    // taking the room from the centre entry, which keeps 25 pixels. Before
    // the centre the bar starts where the entry at k started; after it, the
    // bar ends where the entry at k starts (never before the area's start).
    int InsertTakingFromCentre(int k, int thickness, int centre, Entry e) {
        const int n = Count();
        k = std::clamp(k, 0, n);
        if (centre < 0 || centre >= n)
            return InsertAt(k < n ? PositionAt(k) : end_, thickness, k, std::move(e));
        const int centreLength = NextPosition(centre) - PositionAt(centre);
        const int delta = std::max(0, std::min(thickness, centreLength - kMinEntryLength));
        int s;
        if (k <= centre) {
            s = k == 0 ? start_ : PositionAt(k);
            for (int j = k; j <= centre; ++j)
                items_[static_cast<size_t>(j)].position += delta;
        } else {
            const int following = k < n ? PositionAt(k) : end_;
            s = std::max(following - delta, start_);
            for (int j = centre + 1; j < k; ++j)
                items_[static_cast<size_t>(j)].position -= delta;
        }
        items_.insert(items_.begin() + k, Item{s, std::move(e)});
        return s;
    }

    bool Replace(int i, Entry e) {
        if (i < 0 || i >= Count())
            return false;
        items_[static_cast<size_t>(i)].entry = std::move(e);
        return true;
    }

    // The range a splitter drag of strip i may move in.
    std::pair<int, int> SplitterRange(int i) const {
        return {start_ + kMinEntryLength * i, end_ - kMinEntryLength * (Count() - i)};
    }

    // Moves strip i to p (clamped to its range); the neighbours keep 25
    // pixels each.
    bool MoveSplitter(int i, int p) {
        if (i <= 0 || i >= Count())
            return false;
        const auto range = SplitterRange(i);
        p = std::clamp(p, range.first, std::max(range.first, range.second));
        for (int m = 0; m < i; ++m) {
            Item& it = items_[static_cast<size_t>(m)];
            it.position = std::min(it.position, p - kMinEntryLength * (i - m));
        }
        for (int m = i + 1; m < Count(); ++m) {
            Item& it = items_[static_cast<size_t>(m)];
            it.position = std::max(it.position, p + kMinEntryLength * (m - i));
        }
        items_[static_cast<size_t>(i)].position = p;
        items_.front().position = start_;
        return true;
    }

    // Hit test of a docking area for a dragged rectangle whose start along
    // the axis is c and whose far edge is `farEdge`: close after an entry's
    // start, or in its last third while the rectangle reaches past it, means
    // a new bar there.
    AreaHit HitTestArea(int c, int farEdge) const {
        AreaHit hit;
        const int i = EntryAt(c);
        if (i < 0 || c >= end_)
            return hit;
        const int pos = PositionAt(i), next = NextPosition(i);
        hit.index = i;
        if (c < pos + 20 || (c > next - (next - pos) / 3 && farEdge >= next))
            hit.kind = AreaHit::NewBar;
        else
            hit.kind = AreaHit::Entry;
        return hit;
    }

private:
    int orientation_;
    int start_ = 0;
    int end_ = 0;
    std::deque<Item> items_;
};

// Where a stored placement lands in a docking area whose centre entry is
// at `centre` among `count` entries: a new bar inserted at `index`, or the
// existing bar at `index`.
struct PlacementTarget {
    bool newBar = false;
    int index = 0;
};

// Walks from the first entry towards the centre (before the centre) or
// from the last entry back (after it) for barIndex steps, never past the
// centre; the centre itself, or a pane that was alone in its bar, gets a
// new bar.
PlacementTarget ChoosePlacementTarget(int count, int centre, bool beforeCentre, int barIndex,
                                      bool alone);

// The index a bar reports in its placement: counted from the first entry
// when it lies before the centre, else back from the last (last = 0).
int PlacementBarIndex(int count, int centre, int index, bool& beforeCentre);

} // namespace docking
