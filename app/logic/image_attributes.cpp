#include "app/logic/image_attributes.h"

#include <climits>
#include <cstdlib>

#include "app/logic/stream_strings.h"
#include "imaging/byte_stream.h"

void CImageAttributes::Clear() {
    artist.clear();
    description.clear();
    keywords.clear();
    date = 0;
}

bool CImageAttributes::Load(CByteStream* stream) {
    Clear();
    const bool ok = stream && ReadStreamString(stream, &artist) &&
                    ReadStreamString(stream, &description) && ReadStreamString(stream, &keywords) &&
                    stream->Remaining() >= 4;
    if (!ok) {
        Clear();
        return false;
    }
    date = stream->ReadUInt32LE();
    return true;
}

bool CImageAttributes::Store(CByteStream* stream) const {
    return stream && WriteStreamString(stream, artist) && WriteStreamString(stream, description) &&
           WriteStreamString(stream, keywords) && stream->WriteUInt32LE(date);
}

std::string FolderAttributesKey(int32_t id) {
    return "#" + std::to_string(id) + "#";
}

std::string FileAttributesKey(int32_t id, const std::string& name) {
    return FolderAttributesKey(id) + name;
}

bool ParseAttributesKey(const std::string& key, int32_t* id, std::string* name) {
    if (key.size() < 3 || key[0] != '#')
        return false;
    const size_t bar = key.find('#', 1);
    if (bar == std::string::npos || bar == 1 || bar > 12)
        return false;
    const std::string digits = key.substr(1, bar - 1);
    size_t i = digits[0] == '-' ? 1 : 0;
    if (i == digits.size())
        return false;
    for (; i < digits.size(); ++i)
        if (digits[i] < '0' || digits[i] > '9')
            return false;
    const long long value = std::strtoll(digits.c_str(), nullptr, 10);
    if (value < INT32_MIN || value > INT32_MAX)
        return false;
    *id = static_cast<int32_t>(value);
    *name = key.substr(bar + 1);
    return true;
}

bool PathIsAtOrBelow(const std::string& root, const std::string& path,
                     const PrefixEqualFn& equalNoCase) {
    if (root.empty() || path.size() < root.size())
        return false;
    if (!equalNoCase(root.c_str(), path.c_str(), root.size()))
        return false;
    if (path.size() == root.size())
        return true;
    // A root that ends in its separator ("C:\") covers everything under it.
    return root.back() == '\\' || path[root.size()] == '\\';
}
