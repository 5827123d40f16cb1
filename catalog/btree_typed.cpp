// Typed forms of CBTreeIndex: text keys (type 1) and 32-bit integer keys
// (types 2 and 3). Each refuses an index of another key type.
#include <cstring>

#include "catalog/btree_index.h"

namespace {
uint32_t TextLength(const char* s) {
    return static_cast<uint32_t>(std::strlen(s));
}
DbBuffer IntKey(uint8_t* raw, uint32_t v) {
    StoreU32(raw, v);
    return DbBuffer::In(raw, 4);
}
} // namespace

bool CBTreeIndex::GetString(const char* key, DbBuffer* value) {
    return key && TypedKey(kKeyTypeBytes) && Get(DbBuffer::In(key, TextLength(key)), value);
}
bool CBTreeIndex::ContainsString(const char* key) {
    return key && TypedKey(kKeyTypeBytes) && Contains(DbBuffer::In(key, TextLength(key)));
}
bool CBTreeIndex::EraseString(const char* key) {
    return key && TypedKey(kKeyTypeBytes) && Erase(DbBuffer::In(key, TextLength(key)), false);
}
bool CBTreeIndex::PutString(const char* key, const DbBuffer& value) {
    return key && TypedKey(kKeyTypeBytes) && Put(DbBuffer::In(key, TextLength(key)), value);
}
bool CBTreeIndex::PutText(const char* key, const char* text) {
    return text && PutString(key, DbBuffer::In(text, TextLength(text)));
}
bool CBTreeIndex::UpdateString(const char* key, const DbBuffer& value) {
    return key && TypedKey(kKeyTypeBytes) && Update(DbBuffer::In(key, TextLength(key)), value);
}

bool CBTreeIndex::GetInt(int32_t key, DbBuffer* value) {
    uint8_t raw[4];
    return TypedKey(kKeyTypeSigned) && Get(IntKey(raw, static_cast<uint32_t>(key)), value);
}
bool CBTreeIndex::ContainsInt(int32_t key) {
    uint8_t raw[4];
    return TypedKey(kKeyTypeSigned) && Contains(IntKey(raw, static_cast<uint32_t>(key)));
}
bool CBTreeIndex::EraseInt(int32_t key) {
    uint8_t raw[4];
    return TypedKey(kKeyTypeSigned) && Erase(IntKey(raw, static_cast<uint32_t>(key)), false);
}
bool CBTreeIndex::PutInt(int32_t key, const DbBuffer& value) {
    uint8_t raw[4];
    return TypedKey(kKeyTypeSigned) && Put(IntKey(raw, static_cast<uint32_t>(key)), value);
}
bool CBTreeIndex::UpdateInt(int32_t key, const DbBuffer& value) {
    uint8_t raw[4];
    return TypedKey(kKeyTypeSigned) && Update(IntKey(raw, static_cast<uint32_t>(key)), value);
}

bool CBTreeIndex::GetUInt(uint32_t key, DbBuffer* value) {
    uint8_t raw[4];
    return TypedKey(kKeyTypeUnsigned) && Get(IntKey(raw, key), value);
}
bool CBTreeIndex::ContainsUInt(uint32_t key) {
    uint8_t raw[4];
    return TypedKey(kKeyTypeUnsigned) && Contains(IntKey(raw, key));
}
bool CBTreeIndex::EraseUInt(uint32_t key) {
    uint8_t raw[4];
    return TypedKey(kKeyTypeUnsigned) && Erase(IntKey(raw, key), false);
}
bool CBTreeIndex::PutUInt(uint32_t key, const DbBuffer& value) {
    uint8_t raw[4];
    return TypedKey(kKeyTypeUnsigned) && Put(IntKey(raw, key), value);
}
bool CBTreeIndex::UpdateUInt(uint32_t key, const DbBuffer& value) {
    uint8_t raw[4];
    return TypedKey(kKeyTypeUnsigned) && Update(IntKey(raw, key), value);
}
