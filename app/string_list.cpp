#include "app/string_list.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <strings.h>
#endif

int CompareTextNoCase(const char* a, const char* b) {
#ifdef _WIN32
    return lstrcmpiA(a, b);
#else
    return strcasecmp(a, b);
#endif
}

namespace {
char* CopyText(const char* text) {
    const size_t length = std::strlen(text);
    char* copy = static_cast<char*>(std::malloc(length + 1));
    if (copy)
        std::memcpy(copy, text, length + 1);
    return copy;
}
} // namespace

CStringList::~CStringList() {
    RemoveAll();
}

CStringList::CStringList(CStringList&& other) noexcept
    : m_data(other.m_data), m_count(other.m_count), m_capacity(other.m_capacity) {
    other.m_data = nullptr;
    other.m_count = other.m_capacity = 0;
}

CStringList& CStringList::operator=(CStringList&& other) noexcept {
    if (this != &other) {
        RemoveAll();
        m_data = other.m_data;
        m_count = other.m_count;
        m_capacity = other.m_capacity;
        other.m_data = nullptr;
        other.m_count = other.m_capacity = 0;
    }
    return *this;
}

bool CStringList::InsertCopy(const char* text, int index) {
    if (!text)
        return false;
    if (index == -1)
        index = m_count;
    if (index < 0 || index > m_count)
        return false;
    if (m_count == m_capacity) {
        if (m_capacity > INT_MAX / 2)
            return false;
        const int capacity = m_capacity < 2 ? 2 : m_capacity * 2;
        if (static_cast<size_t>(capacity) > SIZE_MAX / sizeof(char*))
            return false;
        char** grown = static_cast<char**>(
            std::realloc(m_data, static_cast<size_t>(capacity) * sizeof(char*)));
        if (!grown)
            return false;
        m_data = grown;
        m_capacity = capacity;
    }
    char* copy = CopyText(text);
    if (!copy)
        return false;
    std::memmove(m_data + index + 1, m_data + index,
                 static_cast<size_t>(m_count - index) * sizeof(char*));
    m_data[index] = copy;
    ++m_count;
    return true;
}

bool CStringList::SetAt(int index, const char* text) {
    if (!text || index < 0 || index >= m_count)
        return false;
    char* copy = CopyText(text);
    if (!copy)
        return false;
    std::free(m_data[index]);
    m_data[index] = copy;
    return true;
}

bool CStringList::RemoveAt(int index) {
    if (index < 0 || index >= m_count)
        return false;
    std::free(m_data[index]);
    std::memmove(m_data + index, m_data + index + 1,
                 static_cast<size_t>(m_count - index - 1) * sizeof(char*));
    --m_count;
    return true;
}

int CStringList::Remove(const char* text) {
    const int index = Find(text);
    if (index >= 0)
        RemoveAt(index);
    return index;
}

int CStringList::Find(const char* text) const {
    if (!text)
        return -1;
    for (int i = 0; i < m_count; ++i) {
        if (CompareTextNoCase(m_data[i], text) == 0)
            return i;
    }
    return -1;
}

void CStringList::RemoveAll() {
    for (int i = 0; i < m_count; ++i)
        std::free(m_data[i]);
    std::free(m_data);
    m_data = nullptr;
    m_count = m_capacity = 0;
}

const char* CStringList::GetAt(int index) const {
    return index >= 0 && index < m_count ? m_data[index] : nullptr;
}
