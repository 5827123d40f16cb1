#include "app/collection_record.h"

#include <climits>

#include "catalog/index_database.h"
#include "app/logic/stream_strings.h"
#include "imaging/byte_stream.h"

const char kFavoritesRootName[] = "Favorites";

void CCollectionRecord::Clear() {
    parentKey = -1;
    name.clear();
    text.clear();
    dirty = false;
    paths.RemoveAll();
    childKeys.clear();
}

bool CCollectionRecord::Load(CByteStream* stream) {
    Clear();
    if (!stream || stream->Remaining() < 4)
        return false;
    bool ok = true;
    parentKey = static_cast<int32_t>(stream->ReadUInt32LE());
    ok = ReadStreamString(stream, &name) && ReadStreamString(stream, &text);
    if (ok && stream->Remaining() >= 4) {
        const uint32_t children = stream->ReadUInt32LE();
        ok = children <= stream->Remaining() / 4;
        if (ok) {
            childKeys.reserve(children);
            for (uint32_t i = 0; i < children; ++i)
                childKeys.push_back(static_cast<int32_t>(stream->ReadUInt32LE()));
        }
    } else {
        ok = false;
    }
    if (ok && stream->Remaining() >= 4) {
        const uint32_t count = stream->ReadUInt32LE();
        // Every path takes at least its 4-byte length.
        ok = count <= stream->Remaining() / 4 && count <= static_cast<uint32_t>(INT_MAX);
        std::string path;
        for (uint32_t i = 0; ok && i < count; ++i) {
            // Embedded zeros would end the path early: such a value is not ours.
            ok = ReadStreamString(stream, &path) && path.find('\0') == std::string::npos &&
                 paths.InsertCopy(path.c_str());
        }
    } else {
        ok = false;
    }
    if (!ok)
        Clear();
    return ok;
}

bool CCollectionRecord::Save(CByteStream* stream) const {
    if (!stream || childKeys.size() > UINT32_MAX)
        return false;
    bool ok = stream->WriteUInt32LE(static_cast<uint32_t>(parentKey)) &&
              WriteStreamString(stream, name.data(), name.size()) &&
              WriteStreamString(stream, text.data(), text.size()) &&
              stream->WriteUInt32LE(static_cast<uint32_t>(childKeys.size()));
    for (size_t i = 0; ok && i < childKeys.size(); ++i)
        ok = stream->WriteUInt32LE(static_cast<uint32_t>(childKeys[i]));
    ok = ok && stream->WriteUInt32LE(static_cast<uint32_t>(paths.GetCount()));
    for (int i = 0; ok && i < paths.GetCount(); ++i) {
        const char* path = paths.GetAt(i);
        ok = WriteStreamString(stream, path, std::char_traits<char>::length(path));
    }
    return ok;
}

int CCollectionRecord::FindPath(const char* path) const {
    return paths.Find(path);
}

bool CCollectionRecord::AddPath(const char* path) {
    if (!path || FindPath(path) >= 0)
        return false;
    if (!paths.InsertCopy(path))
        return false;
    dirty = true;
    return true;
}

bool CCollectionRecord::RemovePath(const char* path) {
    return paths.Remove(path) >= 0;
}

bool CCollectionRecord::RemovePathAt(int index) {
    return paths.RemoveAt(index);
}

bool CCollectionRecord::StoreFavorites(CIndexDatabase& db, CBTreeIndex* favorites) {
    if (!favorites || !db.IsOpen())
        return false;
    int32_t id = key;
    if (id == -1) {
        id = 0;
        CBTreeCursor* cursor = favorites->NewCursor(false);
        if (!cursor)
            return false;
        bool ok = true;
        if (cursor->Last()) {
            uint8_t raw[4] = {};
            DbBuffer stored = DbBuffer::Out(raw, sizeof raw);
            ok = cursor->GetKey(&stored) && stored.length == 4;
            const int32_t largest = static_cast<int32_t>(LoadU32(raw));
            ok = ok && largest != INT32_MAX;
            id = ok ? largest + 1 : -1;
        }
        favorites->ReleaseCursor(cursor);
        if (!ok)
            return false;
    }
    CByteStream value;
    if (!Save(&value))
        return false;
    if (!favorites->PutInt(id, DbBuffer::In(value.buffer, value.size)))
        return false;
    key = id; // the entry exists from here on, even when the flush fails
    return db.Flush();
}

bool StoreFavoritesRoot(CIndexDatabase& db, CBTreeIndex* favorites) {
    CCollectionRecord root;
    root.parentKey = -1;
    root.name = kFavoritesRootName;
    return root.StoreFavorites(db, favorites);
}
