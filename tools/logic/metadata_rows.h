// The rows the Metadata list shows for an image's EXIF record: which values
// are listed, in which order, under which tag name and as which text.
#pragma once

#include <string>
#include <vector>

class CExifInfo;

struct MetadataRow {
    std::string tag;
    std::string value;
};

// The rows for one record, in display order. Texts are listed when the
// record holds them; codes and rationals by the conditions of their tag.
std::vector<MetadataRow> BuildMetadataRows(const CExifInfo& exif);
