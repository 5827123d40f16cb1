// The rollback journal of CPageFile and the commit that uses it (see
// page_file.h for the rules it keeps).
//
// Journal file (all integers little-endian):
//   0  8  magic "VelmJrnl"       16  4  u32 salt of this journal
//   8  4  u32 page size           20  1  u8 record checksum: 0 one chain,
//  12  4  u32 page count of the          1 four lanes (written now)
//         last commit             21  7  reserved 0
//                                 28  4  u32 checksum of bytes 0..27
// then records, one per page: u32 page id, u32 checksum of (salt, id,
// image), the page's image as the last commit left it.
// A journal whose header does not check was cut short before its first sync,
// so the database file was never touched under it. Records are played back
// up to the first one that does not check: a record is synced before the
// page it saves is overwritten, so a torn record saves a page that was not.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <new>

#include "catalog/page_file.h"
#include "platform/fs.h"

namespace {

constexpr uint8_t kJournalMagic[8] = {'V', 'e', 'l', 'm', 'J', 'r', 'n', 'l'};
constexpr uint32_t kJournalHeader = 32;
constexpr uint32_t kRecordHead = 8;
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

constexpr uint8_t kChainChecksum = 0, kLaneChecksum = 1;

uint32_t RecordChecksum(uint8_t kind, uint32_t salt, uint32_t id, const uint8_t* data, uint32_t n) {
    return kind == kLaneChecksum ? LaneChecksum(salt, id, data, n) : Checksum(salt, id, data, n);
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
        LoadU32(h + 28) != Checksum(0, 0, h, kJournalHeader - 4))
        return true; // never synced: the file was not touched under it
    const uint32_t pageSize = LoadU32(h + 8);
    const uint32_t base = LoadU32(h + 12);
    const uint32_t salt = LoadU32(h + 16);
    const uint8_t kind = h[20];
    if (pageSize != m_pageSize || m_pageSize == 0 || kind > kLaneChecksum)
        return false; // not this file's journal: leave both as they are
    std::unique_ptr<uint8_t[]> record(new (std::nothrow) uint8_t[kRecordHead + pageSize]);
    if (!record)
        return false;
    for (uint64_t at = kJournalHeader; at + kRecordHead + pageSize <= static_cast<uint64_t>(size);
         at += kRecordHead + pageSize) {
        if (m_journal->ReadAt(at, record.get(), kRecordHead + pageSize) !=
            static_cast<int64_t>(kRecordHead + pageSize))
            return false;
        const uint32_t id = LoadU32(record.get());
        if (id >= base || LoadU32(record.get() + 4) !=
                              RecordChecksum(kind, salt, id, record.get() + kRecordHead, pageSize))
            break;
        if (m_file->WriteAt(static_cast<uint64_t>(id) * pageSize, record.get() + kRecordHead,
                            pageSize) != static_cast<int64_t>(pageSize))
            return false;
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
    const uint32_t recordBytes = kRecordHead + m_pageSize;
    // The staging buffer is kept from commit to commit (a fresh one would
    // fault in its pages every time), and every byte of it is written before
    // it goes out, so it is not cleared.
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
        const size_t bytes = (m_journalEnd == 0 ? kJournalHeader : 0) + n * recordBytes;
        uint8_t* p = buffer;
        if (m_journalEnd == 0) {
            std::memcpy(p, kJournalMagic, 8);
            StoreU32(p + 8, m_pageSize);
            StoreU32(p + 12, m_journalBase);
            StoreU32(p + 16, m_journalSalt);
            std::memset(p + 20, 0, 8);
            p[20] = kLaneChecksum;
            StoreU32(p + 28, Checksum(0, 0, p, kJournalHeader - 4));
            p += kJournalHeader;
        }
        for (size_t k = 0; ok && k < n; ++k, p += recordBytes) {
            const uint32_t id = ids[i + k].first;
            const uint8_t* kept = ids[i + k].second;
            StoreU32(p, id);
            if (kept) {
                std::memcpy(p + kRecordHead, kept, m_pageSize);
            } else {
                ok = ReadAt(static_cast<uint64_t>(id) * m_pageSize, p + kRecordHead, m_pageSize);
                m_originalsReadBack += !(id == 0 && header);
            }
            StoreU32(p + 4, LaneChecksum(m_journalSalt, id, p + kRecordHead, m_pageSize));
        }
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
