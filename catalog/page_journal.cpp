// The rollback journal of CPageFile and the commit that uses it (see
// page_file.h for the rules it keeps).
//
// The journal's format is described in db_format.h. A journal whose header
// does not check was cut short before its first sync, so the database file
// was never touched under it. Records are played back up to the first one
// that does not check: a record is synced before the page it saves is
// overwritten, so a torn record saves a page that was not.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <new>

#include "catalog/page_file.h"
#include "platform/fs.h"

namespace {

constexpr uint8_t kJournalMagic[8] = {'V', 'e', 'l', 'm', 'J', 'r', 'n', 'l'};
constexpr uint32_t kJournalHeader = kJournalHeaderSize;
// A zero run shorter than this is kept in the record: leaving it out would
// save less than the run's description costs to read.
constexpr uint32_t kMinZeroRun = 64;
// Originals go to the journal in writes of at most this many pages, which
// bounds the staging buffer of a large commit.
constexpr uint32_t kJournalBatchPages = 64;

uint32_t Checksum(uint32_t salt, uint32_t id, const uint8_t* data, uint32_t n) {
    uint64_t h = 0x9E3779B97F4A7C15ull ^ (static_cast<uint64_t>(salt) << 32 | id);
    uint32_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t w;
        std::memcpy(&w, data + i, 8);
        h = (h ^ w) * 0x100000001B3ull;
        h ^= h >> 29;
    }
    for (; i < n; ++i)
        h = (h ^ data[i]) * 0x100000001B3ull;
    h ^= h >> 32;
    return static_cast<uint32_t>(h);
}

// The same mixing in four independent lanes over 32-byte steps: a page's
// record checksum is the largest cost of a commit, and one chain of
// multiplies leaves the processor waiting on each.
uint32_t LaneChecksum(uint32_t salt, uint32_t id, const uint8_t* data, uint32_t n) {
    const uint64_t seed = 0x9E3779B97F4A7C15ull ^ (static_cast<uint64_t>(salt) << 32 | id);
    uint64_t h[4] = {seed, seed ^ 0x1111111111111111ull, seed ^ 0x2222222222222222ull,
                     seed ^ 0x3333333333333333ull};
    uint32_t i = 0;
    for (; i + 32 <= n; i += 32) {
        for (int k = 0; k < 4; ++k) {
            uint64_t w;
            std::memcpy(&w, data + i + 8 * k, 8);
            h[k] = (h[k] ^ w) * 0x100000001B3ull;
            h[k] ^= h[k] >> 29;
        }
    }
    uint64_t all = h[0] ^ (h[1] * 3) ^ (h[2] * 5) ^ (h[3] * 7);
    for (; i < n; ++i)
        all = (all ^ data[i]) * 0x100000001B3ull;
    all ^= all >> 32;
    return static_cast<uint32_t>(all);
}

uint32_t RecordChecksum(uint8_t kind, uint32_t salt, uint32_t id, const uint8_t* data, uint32_t n) {
    return kind == kJournalKindChain ? Checksum(salt, id, data, n)
                                     : LaneChecksum(salt, id, data, n);
}

// The longest run of zero bytes in the page (offset and length; length 0
// when none reaches kMinZeroRun). Runs are found a word at a time, then
// widened to the bytes beside them: the free gap of a node, or the unused
// tail of a record page, is one long run.
void LongestZeroRun(const uint8_t* page, uint32_t n, uint32_t* start, uint32_t* length) {
    uint32_t bestAt = 0, best = 0;
    uint32_t i = 0;
    while (i + 8 <= n) {
        uint64_t w;
        std::memcpy(&w, page + i, 8);
        if (w != 0) {
            i += 8;
            continue;
        }
        uint32_t from = i;
        while (from > 0 && page[from - 1] == 0)
            --from;
        uint32_t to = i + 8;
        for (; to + 8 <= n; to += 8) {
            std::memcpy(&w, page + to, 8);
            if (w != 0)
                break;
        }
        while (to < n && page[to] == 0)
            ++to;
        if (to - from > best) {
            best = to - from;
            bestAt = from;
        }
        i = (to + 7) & ~7u;
    }
    if (best < kMinZeroRun)
        best = bestAt = 0;
    *start = bestAt;
    *length = best;
}

uint32_t NewSalt(const void* owner) {
    static uint32_t counter = 0;
    const uint64_t t =
        static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    return Checksum(++counter, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(owner)),
                    reinterpret_cast<const uint8_t*>(&t), sizeof t);
}

} // namespace

std::string CPageFile::JournalPath(const char* path) {
    return std::string(path ? path : "") + ".jnl";
}

bool CPageFile::SetJournalFile(std::unique_ptr<CWin32File> file) {
    if (m_open || !file)
        return false;
    m_journal = std::move(file);
    m_ownJournal = false;
    return true;
}

// At open: a journal left behind by a writer that died inside a commit puts
// back the pages of the last commit. A journal that exists but cannot be
// opened leaves the state of the file unknown: the open fails.
bool CPageFile::RecoverJournal() {
    if (!m_journal->Open(m_journalPath.c_str(), 0)) {
        uint32_t attributes = 0;
        return !(m_ownJournal && plat::FsGetAttributes(m_journalPath.c_str(), &attributes));
    }
    if (!RollBack()) {
        m_journal->Close();
        return false;
    }
    if (!m_journal->SetEnd(0)) {
        m_journal->Close();
        return false;
    }
    CloseJournal();
    return true;
}

bool CPageFile::RollBack() {
    const int64_t size = m_journal->GetSize();
    if (size < 0)
        return false;
    uint8_t h[kJournalHeader];
    if (size < kJournalHeader || m_journal->ReadAt(0, h, kJournalHeader) != kJournalHeader ||
        std::memcmp(h, kJournalMagic, 8) != 0 ||
        LoadU32(h + kJournalHeaderSum) != Checksum(0, 0, h, kJournalHeaderSum))
        return true; // never synced: the file was not touched under it
    const uint32_t pageSize = LoadU32(h + kJournalPageSize);
    const uint32_t base = LoadU32(h + kJournalBase);
    const uint32_t salt = LoadU32(h + kJournalSalt);
    const uint8_t kind = h[kJournalKind];
    if (pageSize != m_pageSize || m_pageSize == 0 || kind > kJournalKindZeroRun)
        return false; // not this file's journal: leave both as they are
    const bool runs = kind == kJournalKindZeroRun;
    const uint32_t head = runs ? kJournalRunHead : kJournalFixedHead;
    std::unique_ptr<uint8_t[]> record(new (std::nothrow) uint8_t[head + pageSize]);
    std::unique_ptr<uint8_t[]> image(runs ? new (std::nothrow) uint8_t[pageSize] : nullptr);
    if (!record || (runs && !image))
        return false;
    for (uint64_t at = kJournalHeader; at + head <= static_cast<uint64_t>(size);) {
        // A record is read whole when the journal holds that much; one cut
        // short by the journal's end is torn and ends the playback.
        const uint32_t want = static_cast<uint32_t>(
            std::min<uint64_t>(head + pageSize, static_cast<uint64_t>(size) - at));
        if (m_journal->ReadAt(at, record.get(), want) != static_cast<int64_t>(want))
            return false;
        const uint32_t id = LoadU32(record.get());
        uint32_t runAt = 0, runBytes = 0;
        if (runs) {
            runAt = LoadU16(record.get() + 8);
            runBytes = LoadU16(record.get() + 10);
            if (runAt + runBytes > pageSize)
                break;
        }
        const uint32_t bytes = head + pageSize - runBytes;
        if (want < bytes || id >= base ||
            LoadU32(record.get() + 4) !=
                (runs ? LaneChecksum(salt, id, record.get() + 8, bytes - 8)
                      : RecordChecksum(kind, salt, id, record.get() + head, pageSize)))
            break;
        const uint8_t* page = record.get() + head;
        if (runs) {
            std::memcpy(image.get(), page, runAt);
            std::memset(image.get() + runAt, 0, runBytes);
            std::memcpy(image.get() + runAt + runBytes, page + runAt, pageSize - runAt - runBytes);
            page = image.get();
        }
        if (m_file->WriteAt(static_cast<uint64_t>(id) * pageSize, page, pageSize) !=
            static_cast<int64_t>(pageSize))
            return false;
        at += bytes;
    }
    const int64_t committed = static_cast<int64_t>(static_cast<uint64_t>(base) * pageSize);
    const int64_t fileSize = m_file->GetSize();
    if (fileSize < 0 || (fileSize > committed && !m_file->SetEnd(committed)))
        return false;
    return m_file->Flush();
}

void CPageFile::CloseJournal() {
    m_journal->Close();
    if (m_ownJournal)
        plat::RemoveFile(m_journalPath.c_str());
    m_journalActive = false;
    m_fileTouched = false;
    m_journalEnd = 0;
    m_journaled.clear();
}

bool CPageFile::EndJournal() {
    static const uint8_t kCleared[kJournalHeader] = {};
    if (m_journal->WriteAt(0, kCleared, kJournalHeader) != static_cast<int64_t>(kJournalHeader))
        return false;
    m_journalActive = false;
    m_fileTouched = false;
    m_journalEnd = 0;
    m_journaled.clear();
    return true;
}

// A journal that failed before anything of this file was overwritten is of
// no use: it goes, and the next commit starts a fresh one.
void CPageFile::DiscardJournal() {
    if (m_journal->IsOpen())
        m_journal->SetEnd(0);
    CloseJournal();
}

bool CPageFile::JournalOriginals(const std::vector<PageRecord*>& dirty, bool header) {
    m_originalsReadBack = 0;
    const uint32_t base = m_journalActive ? m_journalBase : m_flushedCount;
    if (m_journaled.size() < base)
        m_journaled.resize(base, false);
    // Each page to save, with its committed image where one was kept (null:
    // read it back from the file, which still holds it).
    std::vector<std::pair<uint32_t, const uint8_t*>> ids;
    if (header && base > 0 && !m_journaled[0])
        ids.emplace_back(0, nullptr);
    for (const PageRecord* r : dirty) {
        const uint32_t id = static_cast<uint32_t>(r->id);
        if (id < base && !m_journaled[id])
            ids.emplace_back(id, r->original);
    }
    if (m_journalActive && ids.empty())
        return true;
    if (!m_journalActive) {
        // A journal kept from the last commit is written over from its
        // start: the records of that commit left behind it fail the check
        // under the new salt.
        if (!m_journal->IsOpen() && !m_journal->Open(m_journalPath.c_str(), kFileTruncate))
            return false;
        m_journalBase = base;
        m_journalSalt = NewSalt(this);
        m_journalEnd = 0;
    }
    const uint32_t recordBytes = kJournalRunHead + m_pageSize; // at most
    // The staging buffer is kept from commit to commit (a fresh one would
    // fault in its pages every time), and every byte of it that goes out is
    // written first, so it is not cleared.
    const size_t capacity =
        kJournalHeader + std::min<size_t>(kJournalBatchPages, ids.size()) * recordBytes;
    if (m_journalStageBytes < capacity) {
        m_journalStage.reset(new (std::nothrow) uint8_t[capacity]);
        m_journalStageBytes = m_journalStage ? capacity : 0;
    }
    uint8_t* const buffer = m_journalStage.get();
    bool ok = buffer != nullptr;
    for (size_t i = 0; ok && (i < ids.size() || m_journalEnd == 0);) {
        const size_t n = std::min<size_t>(kJournalBatchPages, ids.size() - i);
        uint8_t* p = buffer;
        if (m_journalEnd == 0) {
            std::memcpy(p, kJournalMagic, 8);
            StoreU32(p + kJournalPageSize, m_pageSize);
            StoreU32(p + kJournalBase, m_journalBase);
            StoreU32(p + kJournalSalt, m_journalSalt);
            std::memset(p + kJournalKind, 0, kJournalHeaderSum - kJournalKind);
            p[kJournalKind] = kJournalKindZeroRun;
            StoreU32(p + kJournalHeaderSum, Checksum(0, 0, p, kJournalHeaderSum));
            p += kJournalHeader;
        }
        for (size_t k = 0; ok && k < n; ++k) {
            const uint32_t id = ids[i + k].first;
            const uint8_t* image = ids[i + k].second;
            uint8_t* const body = p + kJournalRunHead;
            if (!image) {
                ok = ReadAt(static_cast<uint64_t>(id) * m_pageSize, body, m_pageSize);
                m_originalsReadBack += !(id == 0 && header);
                image = body;
            }
            uint32_t runAt = 0, runBytes = 0;
            LongestZeroRun(image, m_pageSize, &runAt, &runBytes);
            const uint32_t after = runAt + runBytes;
            if (image != body)
                std::memcpy(body, image, runAt);
            // memmove: a page read back sits in the record, and its bytes
            // after the run move down over the run.
            if (image != body || runBytes != 0)
                std::memmove(body + runAt, image + after, m_pageSize - after);
            StoreU32(p, id);
            StoreU16(p + 8, static_cast<uint16_t>(runAt));
            StoreU16(p + 10, static_cast<uint16_t>(runBytes));
            const uint32_t bytes = kJournalRunHead + m_pageSize - runBytes;
            StoreU32(p + 4, LaneChecksum(m_journalSalt, id, p + 8, bytes - 8));
            p += bytes;
        }
        const size_t bytes = static_cast<size_t>(p - buffer);
        ok = ok && bytes <= 0xFFFFFFFFu &&
             m_journal->WriteAt(m_journalEnd, buffer, static_cast<uint32_t>(bytes)) ==
                 static_cast<int64_t>(bytes);
        if (ok)
            m_journalEnd += bytes;
        i += n;
    }
    // Nothing is overwritten before its original is on the disk.
    ok = ok && m_journal->Flush();
    if (!ok) {
        if (!m_fileTouched)
            DiscardJournal();
        return false;
    }
    m_journalActive = true;
    for (const auto& saved : ids)
        m_journaled[saved.first] = true;
    for (PageRecord* r : dirty)
        DropOriginal(r); // in the journal now
    return true;
}

bool CPageFile::Commit(const uint8_t* header, uint32_t headerBytes) {
    if (!m_open || !m_cacheReady)
        return false;
    UnparkAll(); // the dirty pages are looked for on the list
    const uint32_t base = m_journalActive ? m_journalBase : m_flushedCount;
    std::vector<PageRecord*> dirty;
    for (PageRecord* r : m_mru) {
        if (!r->dirty || r->id < 0)
            continue;
        // A page changed back to what the last commit left (a value put
        // again, a description saved unchanged) is clean: writing it would
        // cost a journal record, a write and nothing else. A page a failed
        // commit may have torn is written whatever it holds.
        const uint32_t id = static_cast<uint32_t>(r->id);
        if (r->original && id < base && !(id < m_journaled.size() && m_journaled[id]) &&
            std::memcmp(r->original, r->data, m_pageSize) == 0) {
            r->dirty = 0;
            r->fileImage = true;
            DropOriginal(r);
            continue;
        }
        dirty.push_back(r);
    }
    std::sort(dirty.begin(), dirty.end(),
              [](const PageRecord* a, const PageRecord* b) { return a->id < b->id; });
    const int64_t want = static_cast<int64_t>(static_cast<uint64_t>(m_pageCount) * m_pageSize);
    const int64_t size = m_file->GetSize();
    // A header that says what the file's header already says is not
    // written (nor its page journaled); with no page to write either and
    // the file at its length, the commit has nothing to do.
    if (header && !m_journalActive && m_committedHeader.size() == headerBytes &&
        std::memcmp(m_committedHeader.data(), header, headerBytes) == 0)
        header = nullptr;
    if (!header && dirty.empty() && !m_journalActive && size == want) {
        MarkFlushed();
        return true;
    }
    if (!JournalOriginals(dirty, header != nullptr))
        return false;
    m_fileTouched = true;
    bool ok = true;
    for (size_t i = 0; i < dirty.size();) {
        size_t j = i + 1;
        while (j < dirty.size() && j - i < kDbRunPages && dirty[j]->id == dirty[j - 1]->id + 1)
            ++j;
        ok = WriteRun(&dirty[i], static_cast<uint32_t>(j - i)) && ok;
        i = j;
    }
    // Released overflow records kept only for their changes go now.
    for (size_t i = m_overflow.size(); i-- > 0;) {
        PageRecord* r = m_overflow[i];
        if (r->use == 0 && !r->dirty)
            DestroyOverflow(r);
    }
    // The next commit will want about as many buffers: an original and an
    // overflow record for each page written.
    TrimSpareImages(2 * dirty.size());
    ok = ok && size >= 0 && (size >= want || m_file->SetEnd(want));
    // The header, which names the page count, only over pages all in place.
    ok = ok && (!header || WriteAt(0, header, headerBytes));
    ok = ok && m_file->Flush();
    // The commit point: a journal without its header rolls nothing back.
    ok = ok && EndJournal();
    if (!ok)
        return false;
    MarkFlushed();
    if (header)
        m_committedHeader.assign(header, header + headerBytes);
    // Pages past the new end were free in the commit just made; a file that
    // stays longer than its header says (the cut failed) opens all the same.
    if (size > want)
        m_file->SetEnd(want);
    return true;
}
