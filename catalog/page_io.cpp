// Transfers of CPageFile between its cache and the file: single pages, runs
// of consecutive pages in one call, and prefetching. Every transfer is a
// positioned call of the file object, so no page costs a seek and a file
// object handed in for tests sees every transfer with its offset.
#include "catalog/page_file.h"

#include <algorithm>
#include <cstring>

#include "platform/platform.h"

bool CPageFile::WritePage(PageRecord* record) {
    if (!record->dirty || record->id < 0)
        return true;
    uint64_t offset = static_cast<uint64_t>(static_cast<uint32_t>(record->id)) * m_pageSize;
    if (offset + m_pageSize > kDbMaxFileBytes)
        return false;
    if (!WriteAt(offset, record->data, m_pageSize))
        return false;
    record->dirty = 0;
    record->fileImage = true;
    return true;
}

bool CPageFile::ReadPage(PageRecord* record) {
    if (record->id < 0)
        return false;
    uint64_t offset = static_cast<uint64_t>(static_cast<uint32_t>(record->id)) * m_pageSize;
    return ReadAt(offset, record->data, m_pageSize);
}

bool CPageFile::ReadAt(uint64_t offset, void* data, uint32_t n) {
    return m_open && m_file->ReadAt(offset, data, n) == static_cast<int64_t>(n);
}

bool CPageFile::WriteAt(uint64_t offset, const void* data, uint32_t n) {
    return m_open && m_file->WriteAt(offset, data, n) == static_cast<int64_t>(n);
}

bool CPageFile::WritePagesAt(uint64_t offset, PageRecord* const* records, uint32_t count) {
    if (!m_open || count > kDbRunPages)
        return false;
    const void* pieces[kDbRunPages];
    for (uint32_t i = 0; i < count; ++i)
        pieces[i] = records[i]->data;
    return m_file->WriteGatherAt(offset, pieces, m_pageSize, count);
}

bool CPageFile::ReadSlicesAt(uint64_t offset, const plat::IoSlice* slices, uint32_t count) {
    uint64_t total = 0;
    for (uint32_t i = 0; i < count; ++i)
        total += slices[i].bytes;
    if (!m_open || total > static_cast<uint64_t>(kDbRunPages) * m_pageSize)
        return false;
    return m_file->ReadScatterAt(offset, slices, count) == static_cast<int64_t>(total);
}

// A run that fails as a whole is written again page by page, so that every
// page that does reach the file is clean and only the others stay dirty.
bool CPageFile::WriteRun(PageRecord* const* records, uint32_t count) {
    if (count == 1)
        return WritePage(records[0]);
    const uint64_t offset =
        static_cast<uint64_t>(static_cast<uint32_t>(records[0]->id)) * m_pageSize;
    if (count <= kDbRunPages &&
        offset + static_cast<uint64_t>(count) * m_pageSize <= kDbMaxFileBytes &&
        WritePagesAt(offset, records, count)) {
        for (uint32_t i = 0; i < count; ++i) {
            records[i]->dirty = 0;
            records[i]->fileImage = true;
        }
        return true;
    }
    bool ok = true;
    for (uint32_t i = 0; i < count; ++i)
        ok = WritePage(records[i]) && ok;
    return ok;
}

int64_t CPageFile::FileSize() {
    return m_open ? m_file->GetSize() : -1;
}

void CPageFile::Prefetch(DbLocation loc, uint64_t n) {
    const uint32_t ds = DataSize();
    if (!m_cacheReady || !IsValidPage(loc.page) || loc.offset > ds || n == 0)
        return;
    const uint64_t span = (static_cast<uint64_t>(loc.offset) + n + ds - 1) / ds;
    uint32_t run =
        UncachedRunFrom(loc.page, static_cast<uint32_t>(std::min<uint64_t>(span, kDbRunPages)));
    if (run < 2)
        return; // one page is read when it is wanted, as always
    PageRecord* records[kDbRunPages];
    plat::IoSlice slices[kDbRunPages];
    uint32_t got = 0;
    for (; got < run; ++got) {
        records[got] = TakeBuffer(loc.page + got, false);
        if (!records[got])
            break;
        slices[got] = plat::IoSlice{records[got]->data, m_pageSize};
    }
    const bool ok =
        got >= 2 && ReadSlicesAt(static_cast<uint64_t>(loc.page) * m_pageSize, slices, got);
    for (uint32_t k = got; k-- > 0;) {
        records[k]->fileImage = ok;
        if (ok)
            ReleasePageCold(records[k]);
        else
            ResetRecord(records[k]); // what it holds is not the page
    }
}
