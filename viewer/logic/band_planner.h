// The render thread's bookkeeping, free of windows and threads so that it can
// be driven step by step: decoded rows are reported in, and the planner says
// when to wake the thread and which band of rows to draw on each pass.
//
// Rows [StartRow(), StartRow() + PendingRows()) have been decoded but not yet
// drawn. The owner guards every call with its row lock.
//
// Bands hold max(height / 100, 25) rows, so that an image costs about 100
// copies at most; the last band is whatever remains. A decoder that reports a
// few rows at a time wakes the thread only once a hundredth of the image (or
// its end) is pending, and the thread draws only whole bands until the end.
#pragma once

// One pass of the render thread.
enum class EBandPass {
    kWait, // nothing to draw yet: wait for the next wake-up
    kBand, // draw rows [first, first + count) of a partly decoded image
    kAll,  // the image is decoded and was queued from row 0: draw every
           // decoded row in one pass (count -1, first 0)
};

struct BandStep {
    EBandPass pass = EBandPass::kWait;
    int first = 0;
    int count = 0; // -1 with kAll
};

class CBandPlanner {
public:
    // Rows per band for an image of this height.
    static int BandHeight(int imageHeight);

    // Rows are available: with count -1 every row decoded so far from first
    // on (rowsDecoded is the image's decoded count), otherwise the rows up to
    // first + count. Pending never goes below 0 nor past the image's end.
    void Queue(int count, int first, int rowsDecoded, int imageHeight);
    // True when a wake-up is due: ready, rows pending, and they make up one
    // hundredth of the image or reach its end.
    bool ShouldWake(int imageHeight) const;
    // ShouldWake, once per wake-up: after it said yes it says no until the
    // thread takes its next band (or the rows are cleared). A decoder that
    // reports row by row would otherwise signal the thread at every row
    // between the wake-up and the thread's pass, each a system call.
    bool TakeWake(int imageHeight);
    // Forgets every pending row (start row 0).
    void Clear();

    // The view laid the canvas out for the current image; rows may be drawn.
    void SetReady(bool ready) { m_ready = ready; }
    bool IsReady() const { return m_ready; }

    // One pass of the thread after a wake-up. decoding: the image is still
    // being filled by a decode thread (its not-loaded flag). The rows handed
    // out count as drawn.
    BandStep TakeBand(int imageHeight, bool decoding);
    // After a band has been drawn: true when the thread must run again at
    // once (a whole band or the end of the image is pending), false when it
    // waits for more rows.
    bool ShouldContinue(int imageHeight) const;

    int StartRow() const { return m_startRow; }
    int PendingRows() const { return m_pending; }

private:
    int m_startRow = 0;
    int m_pending = 0;
    bool m_ready = false;
    bool m_woken = false;
};

// Where a copy of decoded rows lands, in image pixels of the current frame.
struct RowCopyInput {
    int frameWidth = 0;
    int frameHeight = 0;
    int rowsDecoded = 0;
    bool topDown = true; // rows arrive top row first; otherwise bottom first
    int first = 0;       // counted from the decoder's first row
    int count = 0;       // -1: every decoded row
    // The canvas client's bottom-right corner in image pixels (through the
    // window DC's map, so the visible part bounds the copy).
    int logicalWidth = 0;
    int logicalHeight = 0;
    int scaleStep = 0;
    bool fillFirst = false;
    bool postDone = false;
};

struct RowCopyPlan {
    int count = 0;     // rows the call covers (count -1 resolved)
    bool copy = false; // the rectangle below is not empty
    int left = 0, top = 0, right = 0, bottom = 0;
    bool fill = false;     // fill the whole frame with the background first
    bool postDone = false; // the last row of the frame has been drawn
};

// Nothing at all happens for count 0 (the plan is empty).
RowCopyPlan PlanRowCopy(const RowCopyInput& in);
