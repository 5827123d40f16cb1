// Records of CPageFile: byte strings stored as chains of record pages (the
// layout is described in page_file.h). Every chain walk checks its page ids
// and stops after the most pages a record of its length can span, so a
// damaged next-page field can neither loop nor reach the header page.
#include "catalog/page_file.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {
constexpr uint32_t kPieceBytes = 4096;
}

uint64_t CPageFile::MaxRecordBytes() const {
    return m_pageSize > kDbRecordHeader ? static_cast<uint64_t>(m_pageCount) * DataSize() : 0;
}

uint32_t CPageFile::MaxChainPages(uint32_t n) const {
    const uint32_t ds = DataSize();
    return n / ds + (n % ds != 0 ? 1 : 0) + 1;
}

bool CPageFile::AllocateRecord(const void* src, uint32_t n, DbLocation* out) {
    *out = m_append;
    return AppendRecord(src, n, out);
}

bool CPageFile::AppendRecord(const void* src, uint32_t n, DbLocation* start) {
    if (n == 0)
        return true;
    if (!m_cacheReady)
        return false;
    const uint32_t ds = DataSize();
    const uint8_t* bytes = static_cast<const uint8_t*>(src);
    PageRecord* cur = nullptr;
    uint32_t room = 0;
    if (!start->IsNone()) {
        if (!IsValidPage(start->page) || start->offset > ds)
            return false;
        cur = GetPage(start->page);
        if (!cur)
            return false;
        room = ds - start->offset;
        // Live bytes of the append page all lie before the append location.
        // A page that holds more has a stale location (a flush cut short
        // after this page was written but before the header) or a damaged
        // count; its bytes may be live, so leave it and start a fresh page.
        if (BytesInUse(cur) > start->offset || BytesInUse(cur) + std::min(room, n) > ds) {
            ReleasePage(cur);
            cur = nullptr;
            room = 0;
            *start = DbLocation{};
        }
    }
    // Take every page the record needs before writing a byte, so that a full
    // file or a failing allocator leaves no half-written record behind.
    uint32_t need = n > room ? (n - room) / ds + ((n - room) % ds != 0 ? 1 : 0) : 0;
    std::vector<uint32_t> ids;
    ids.reserve(need);
    for (uint32_t i = 0; i < need; ++i) {
        uint32_t id = TakePageId(true);
        if (id == kDbNoPage) {
            for (size_t j = ids.size(); j-- > 0;) {
                if (ids[j] + 1 == m_pageCount)
                    --m_pageCount;
                else if (m_allocator)
                    m_allocator->ReleasePage(ids[j], true, true);
            }
            ReleasePage(cur);
            return false;
        }
        ids.push_back(id);
    }
    size_t nextId = 0;
    DbLocation app = *start;
    if (!cur) {
        cur = NewPageRecord(ids[nextId++]);
        if (!cur)
            return false;
        cur->dirty = 1;
        app = DbLocation{static_cast<uint32_t>(cur->id), 0};
        *start = app;
    }
    uint32_t written = 0;
    for (;;) {
        uint32_t k = std::min(ds - app.offset, n - written);
        if (k > 0) {
            uint8_t* dst = cur->data + kDbRecordHeader + app.offset;
            if (bytes)
                std::memcpy(dst, bytes + written, k);
            else
                std::memset(dst, 0, k);
            app.offset = static_cast<uint16_t>(app.offset + k);
            StoreU16(cur->data + 4, static_cast<uint16_t>(BytesInUse(cur) + k));
            cur->dirty = 1;
            written += k;
        }
        if (written == n) {
            m_append = DbLocation{static_cast<uint32_t>(cur->id), app.offset};
            ReleasePage(cur);
            return true;
        }
        PageRecord* next = nextId < ids.size() ? NewPageRecord(ids[nextId++]) : nullptr;
        if (!next) {
            ReleasePage(cur);
            return false;
        }
        next->dirty = 1;
        if (written == 0)
            *start = DbLocation{static_cast<uint32_t>(next->id), 0};
        SetNextPage(cur, static_cast<uint32_t>(next->id));
        ReleasePage(cur);
        cur = next;
        app = DbLocation{static_cast<uint32_t>(cur->id), 0};
    }
}

uint32_t CPageFile::UncachedRunFrom(uint32_t page, uint32_t pagesWanted) const {
    if (!m_runBuffer || !IsValidPage(page))
        return 0;
    uint32_t run = std::min(std::min(pagesWanted, kDbRunPages), m_pageCount - page);
    for (uint32_t k = 0; k < run; ++k)
        if (FindCached(page + k))
            return k; // a cached page may be newer than the file
    return run;
}

bool CPageFile::ReadRun(uint8_t* dst, uint32_t n, uint32_t run, uint32_t* page, uint32_t* off,
                        uint32_t* done, uint32_t* pages, uint32_t maxPages, DbLocation* loc,
                        bool advance, bool* result) {
    const uint32_t ds = DataSize();
    const size_t ps = m_pageSize;
    uint8_t* scratch = m_runBuffer.get();
    // Every page but the last: its header (with the bytes before the start
    // offset) to its slot in the run buffer, its data area to the caller.
    // The run never covers more pages than the record needs, so this stays
    // inside the n bytes of dst.
    plat::IoSlice slices[2 * kDbRunPages];
    uint32_t count = 0;
    uint32_t pos = *done;
    for (uint32_t k = 0; k + 1 < run; ++k) {
        const uint32_t skip = k == 0 ? *off : 0;
        slices[count++] = plat::IoSlice{scratch + k * ps, kDbRecordHeader + skip};
        slices[count++] = plat::IoSlice{dst + pos, ds - skip};
        pos += ds - skip;
    }
    // The last page whole, into a cache buffer when one can be had.
    const uint32_t first = *page;
    PageRecord* last = TakeBuffer(first + run - 1, false);
    uint8_t* lastImage = last ? last->data : scratch + (run - 1) * ps;
    slices[count++] = plat::IoSlice{lastImage, m_pageSize};
    if (!ReadSlicesAt(static_cast<uint64_t>(first) * ps, slices, count)) {
        if (last)
            ResetRecord(last); // what it holds is not the page
        return false;
    }
    uint32_t p = first, o = *off, d = *done;
    bool ok = false;
    for (uint32_t k = 0;; ++k) {
        const bool isLast = k + 1 == run;
        const uint8_t* image = isLast ? lastImage : scratch + k * ps;
        const uint32_t take = std::min(ds - o, n - d);
        if (isLast)
            std::memcpy(dst + d, lastImage + kDbRecordHeader + o, take);
        d += take;
        o += take;
        if (d == n) {
            if (advance)
                *loc = DbLocation{p, static_cast<uint16_t>(o)};
            ok = true;
            break;
        }
        const uint32_t next = LoadU32(image);
        if (*pages >= maxPages || !IsValidPage(next) || next == p) {
            p = kDbNoPage; // damaged chain: the walk fails
            break;
        }
        ++*pages;
        const bool consecutive = next == p + 1;
        p = next;
        o = 0;
        if (isLast || !consecutive)
            break; // read on from p; bytes read past this point are overwritten
    }
    // The end page usually starts the next record: keep it, first in line
    // for reuse.
    if (last) {
        last->fileImage = true;
        ReleasePageCold(last);
    }
    *page = p;
    *off = o;
    *done = d;
    *result = ok;
    return true;
}

bool CPageFile::WalkRecord(uint8_t* dst, const uint8_t* src, uint32_t n, DbLocation* loc,
                           bool advance) {
    if (n == 0)
        return true;
    const uint32_t ds = DataSize();
    if (!IsValidPage(loc->page) || loc->offset > ds)
        return false;
    uint32_t page = loc->page;
    uint32_t off = loc->offset;
    uint32_t done = 0;
    const uint32_t maxPages = MaxChainPages(n);
    uint32_t pages = 1;
    for (;;) {
        // A read over pages that are not cached: one transfer for the pages
        // the record would occupy if its chain ran through consecutive ids
        // (page_file.h).
        const uint64_t span = (static_cast<uint64_t>(off) + (n - done) + ds - 1) / ds;
        const uint32_t run =
            dst && !src && span >= 2
                ? UncachedRunFrom(page,
                                  static_cast<uint32_t>(std::min<uint64_t>(span, kDbRunPages)))
                : 0;
        bool result = false;
        if (run >= 2 &&
            ReadRun(dst, n, run, &page, &off, &done, &pages, maxPages, loc, advance, &result)) {
            if (result || page == kDbNoPage)
                return result;
            continue;
        }
        PageRecord* r = GetPage(page);
        if (!r)
            return false;
        uint32_t take = std::min(ds - off, n - done);
        uint8_t* area = r->data + kDbRecordHeader + off;
        if (dst)
            std::memcpy(dst + done, area, take);
        if (src && take > 0) {
            std::memcpy(area, src + done, take);
            r->dirty = 1;
        }
        done += take;
        off += take;
        if (done == n) {
            if (advance)
                *loc = DbLocation{page, static_cast<uint16_t>(off)};
            src ? ReleasePage(r) : ReleasePageCold(r);
            return true;
        }
        uint32_t next = NextPageOf(r);
        src ? ReleasePage(r) : ReleasePageCold(r);
        if (pages >= maxPages || !IsValidPage(next) || next == page)
            return false;
        ++pages;
        page = next;
        off = 0;
    }
}

bool CPageFile::ReadRecord(void* dst, uint32_t n, DbLocation* loc, bool advance) {
    return WalkRecord(static_cast<uint8_t*>(dst), nullptr, n, loc, advance);
}

bool CPageFile::RewriteRecord(const void* src, uint32_t n, DbLocation* loc, bool advance) {
    return WalkRecord(nullptr, static_cast<const uint8_t*>(src), n, loc, advance);
}

bool CPageFile::FreeRecord(DbLocation loc, uint32_t n) {
    if (n == 0)
        return true;
    const uint32_t ds = DataSize();
    if (!IsValidPage(loc.page) || loc.offset > ds)
        return false;
    struct Piece {
        uint32_t page;
        uint32_t bytes;
    };
    std::vector<Piece> pieces;
    uint32_t page = loc.page;
    uint32_t off = loc.offset;
    uint32_t done = 0;
    const uint32_t maxPages = MaxChainPages(n);
    for (;;) {
        for (const Piece& p : pieces)
            if (p.page == page)
                return false; // the chain loops
        PageRecord* r = GetPage(page);
        if (!r)
            return false;
        uint32_t take = std::min(ds - off, n - done);
        if (BytesInUse(r) < take) {
            ReleasePage(r);
            return false;
        }
        uint32_t next = NextPageOf(r);
        ReleasePage(r);
        if (take > 0)
            pieces.push_back(Piece{page, take});
        done += take;
        if (done == n)
            break;
        if (pieces.size() >= maxPages || !IsValidPage(next))
            return false;
        page = next;
        off = 0;
    }
    bool ok = true;
    for (const Piece& p : pieces) {
        PageRecord* r = GetPage(p.page);
        if (!r) {
            ok = false;
            continue;
        }
        uint16_t left = static_cast<uint16_t>(BytesInUse(r) - p.bytes);
        StoreU16(r->data + 4, left);
        r->dirty = 1;
        if (left == 0) {
            if (!FreePage(r, true))
                ok = false;
        } else {
            ReleasePage(r);
        }
    }
    return ok;
}

bool CPageFile::MovePage(uint32_t dst, uint32_t src) {
    if (!IsValidPage(dst) || !IsValidPage(src) || dst == src)
        return false;
    PageRecord* s = GetPage(src);
    if (!s)
        return false;
    PageRecord* d = NewPageRecord(dst); // the destination is overwritten whole
    if (!d) {
        ReleasePage(s);
        return false;
    }
    std::memcpy(d->data, s->data, m_pageSize);
    d->dirty = 1;
    s->dirty = 0;
    ReleasePage(d);
    // The old page is about to be freed: forget it so that no stale copy stays
    // cached under its id.
    if (s->use == 1)
        ResetRecord(s);
    else
        ReleasePage(s);
    return true;
}

bool CPageFile::CopyRecord(DbLocation* out, DbLocation src, uint32_t n) {
    *out = m_append;
    if (n == 0)
        return true;
    std::vector<uint8_t> piece(std::min(n, kPieceBytes));
    uint32_t done = 0;
    while (done < n) {
        uint32_t k = std::min(n - done, kPieceBytes);
        bool ok = ReadRecord(piece.data(), k, &src, true);
        DbLocation at = m_append;
        ok = ok && AppendRecord(piece.data(), k, &at);
        if (!ok) {
            if (done > 0)
                FreeRecord(*out, done);
            return false;
        }
        if (done == 0)
            *out = at;
        done += k;
    }
    return true;
}

bool CPageFile::CompareRecords(DbLocation a, uint32_t lenA, DbLocation b, uint32_t lenB,
                               int* result) {
    uint32_t m = std::min(lenA, lenB);
    std::vector<uint8_t> pa(std::min(m, kPieceBytes)), pb(std::min(m, kPieceBytes));
    for (uint32_t done = 0; done < m;) {
        uint32_t k = std::min(m - done, kPieceBytes);
        if (!ReadRecord(pa.data(), k, &a, true) || !ReadRecord(pb.data(), k, &b, true))
            return false;
        for (uint32_t i = 0; i < k; ++i) {
            if (pa[i] != pb[i]) {
                *result = pa[i] < pb[i] ? -1 : 1;
                return true;
            }
        }
        done += k;
    }
    int64_t diff = static_cast<int64_t>(lenA) - static_cast<int64_t>(lenB);
    *result = static_cast<int>(std::max<int64_t>(std::min<int64_t>(diff, 0x7FFFFFFF), -0x7FFFFFFF));
    return true;
}
