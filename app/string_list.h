// An ordered array of heap strings that the list owns: the items of a file
// item list and the other path lists handed between the application's parts.
// Every string is a private copy, freed by the list.
#pragma once

#include <cstdint>

// Compares two texts without regard to letter case in the system's ANSI code
// page (lstrcmpiA on Windows); negative, 0 or positive.
int CompareTextNoCase(const char* a, const char* b);

class CStringList {
public:
    CStringList() = default;
    ~CStringList();
    CStringList(const CStringList&) = delete;
    CStringList& operator=(const CStringList&) = delete;
    CStringList(CStringList&& other) noexcept;
    CStringList& operator=(CStringList&& other) noexcept;

    // Inserts a copy of the text before index (-1: at the end). When the array
    // is full its capacity doubles (at least 2). False, and nothing changed,
    // for a null text, an index outside -1..count or a failed allocation.
    bool InsertCopy(const char* text, int index = -1);
    // Replaces the string at index by a copy of the text, freeing the old one.
    // False, and nothing changed, when the index or the text is invalid or
    // the copy cannot be made.
    bool SetAt(int index, const char* text);
    // Frees the string at index and moves the tail down by one.
    bool RemoveAt(int index);
    // Removes the first string equal to the text (as Find); returns its
    // former index, or -1.
    int Remove(const char* text);
    // The first index whose string equals the text without regard to case,
    // or -1.
    int Find(const char* text) const;
    // Frees every string and the array; count and capacity become 0.
    void RemoveAll();

    int GetCount() const { return m_count; }
    int GetCapacity() const { return m_capacity; }
    // The string at index; null when the index is out of range.
    const char* GetAt(int index) const;
    const char* operator[](int index) const { return GetAt(index); }

private:
    char** m_data = nullptr;
    int m_count = 0;
    int m_capacity = 0;
};
