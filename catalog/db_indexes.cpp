// CIndexDatabase: the catalogue of named indexes (find, create, release,
// rename). Index objects are owned by the database and counted by
// references; a name is at most 19 characters and is never cut.
#include <algorithm>
#include <cstring>

#include "catalog/index_database.h"

namespace {
bool ValidName(const char* name) {
    if (!name)
        return false;
    size_t n = std::strlen(name);
    return n > 0 && n <= kMaxIndexName;
}
} // namespace

CBTreeIndex* CIndexDatabase::FindIndex(const char* name) {
    if (!m_open || !ValidName(name))
        return nullptr;
    for (CBTreeIndex* index : m_indexes) {
        if (index->name == name) {
            ++index->refCount;
            return index;
        }
    }
    uint8_t raw[kDbLocationSize];
    DbBuffer value = DbBuffer::Out(raw, sizeof raw);
    if (!m_catalog->GetString(name, &value) || value.length != kDbLocationSize)
        return nullptr;
    DbLocation loc = DbLocation::Load(raw);
    uint8_t spec[kIndexSpecSize];
    if (!ReadSpecAt(loc, spec))
        return nullptr;
    CBTreeIndex* index = new CBTreeIndex();
    if (!index->Load(&m_pages, spec)) {
        delete index;
        return nullptr;
    }
    index->name = name;
    index->specLocation = loc;
    index->refCount = 1;
    index->readOnly = m_readOnly;
    m_indexes.push_back(index);
    return index;
}

CBTreeIndex* CIndexDatabase::OpenIndex(const char* name, uint32_t fixedKey, bool keysOut,
                                       uint32_t fixedValue, bool valuesOut, bool create) {
    return CreateIndex(name, false, fixedKey, keysOut, fixedValue, valuesOut, create);
}

CBTreeIndex* CIndexDatabase::OpenKeySet(const char* name, uint32_t fixedKey, bool keysOut,
                                        bool create) {
    return CreateIndex(name, true, fixedKey, keysOut, 0, false, create);
}

CBTreeIndex* CIndexDatabase::CreateIndex(const char* name, bool keySet, uint32_t fixedKey,
                                         bool keysOut, uint32_t fixedValue, bool valuesOut,
                                         bool create) {
    if (!m_open || m_readOnly || !ValidName(name))
        return nullptr;
    if (CBTreeIndex* found = FindIndex(name))
        return found; // an existing index keeps its stored lengths and flags
    if (!create)
        return nullptr;
    CBTreeIndex* index = new CBTreeIndex();
    bool made = keySet ? index->CreateKeySet(&m_pages, fixedKey, keysOut)
                       : index->CreateKeyValue(&m_pages, fixedKey, keysOut, fixedValue, valuesOut);
    if (!made) {
        delete index;
        return nullptr;
    }
    DbLocation loc;
    if (!m_pages.AllocateRecord(nullptr, kIndexSpecSize, &loc)) {
        DropNewTree(index);
        delete index;
        return nullptr;
    }
    index->specLocation = loc;
    index->name = name;
    if (!RegisterIndex(index)) {
        m_pages.FreeRecord(loc, kIndexSpecSize);
        DropNewTree(index);
        delete index;
        return nullptr;
    }
    index->refCount = 1;
    Flush(false); // writes the new IndexSpec
    return index;
}

bool CIndexDatabase::RegisterIndex(CBTreeIndex* index) {
    uint8_t raw[kDbLocationSize];
    index->specLocation.Store(raw);
    if (!m_catalog->PutString(index->name.c_str(), DbBuffer::In(raw, sizeof raw)))
        return false;
    m_indexes.push_back(index);
    return true;
}

// Gives back the empty root leaf of an index that could not be registered.
void CIndexDatabase::DropNewTree(CBTreeIndex* index) {
    if (PageRecord* root = m_pages.GetPage(index->Spec().root))
        if (!m_pages.FreePage(root, true))
            m_pages.ReleasePage(root);
}

void CIndexDatabase::ReleaseIndex(CBTreeIndex* index) {
    if (!m_open || !index)
        return;
    auto it = std::find(m_indexes.begin(), m_indexes.end(), index);
    if (it == m_indexes.end())
        return;
    if (--index->refCount > 0)
        return;
    SaveIndexSpec(index);
    m_indexes.erase(it);
    delete index;
}

bool CIndexDatabase::RenameIndex(const char* oldName, const char* newName) {
    if (!m_open || m_readOnly || !ValidName(oldName) || !ValidName(newName))
        return false;
    uint8_t raw[kDbLocationSize];
    DbBuffer value = DbBuffer::Out(raw, sizeof raw);
    if (!m_catalog->GetString(oldName, &value) || value.length != kDbLocationSize)
        return false;
    // Renaming onto an existing name would orphan that index's pages.
    if (m_catalog->ContainsString(newName))
        return false;
    if (!m_catalog->PutString(newName, DbBuffer::In(raw, sizeof raw)))
        return false;
    if (!m_catalog->EraseString(oldName)) {
        m_catalog->EraseString(newName);
        return false;
    }
    for (CBTreeIndex* index : m_indexes)
        if (index->name == oldName)
            index->name = newName;
    return true;
}
