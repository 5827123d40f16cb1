#include "explorer/logic/info_pane_rows.h"

namespace {

// Replaces the first two "%d" with the numbers, copies everything else.
std::string SubstituteNumbers(const std::string& format, int first, int second) {
    std::string text;
    int used = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        if (used < 2 && format[i] == '%' && i + 1 < format.size() && format[i + 1] == 'd') {
            text += std::to_string(used == 0 ? first : second);
            ++used;
            ++i;
        } else {
            text += format[i];
        }
    }
    return text;
}

} // namespace

std::vector<InfoRow> BuildInfoRows(const InfoPaneFacts& facts,
                                   const InfoPaneFormatters& formatters) {
    std::vector<InfoRow> rows;
    rows.push_back({kInfoRowFileName, facts.fileName + (facts.fileSize == 0 ? " *" : "")});
    if (!facts.artist.empty())
        rows.push_back({kInfoRowArtist, facts.artist});
    rows.push_back(
        {kInfoRowDimensions, std::to_string(facts.width) + " x " + std::to_string(facts.height)});
    if (facts.fileSize != 0)
        rows.push_back(
            {kInfoRowFileSize, formatters.byteSize ? formatters.byteSize(facts.fileSize) : ""});
    if (facts.bitsPerPixel != 0)
        rows.push_back({kInfoRowColors, std::to_string(facts.bitsPerPixel) + " Bits"});
    if (facts.pages > 1)
        rows.push_back({kInfoRowPages, std::to_string(facts.pages)});
    rows.push_back({kInfoRowType, facts.typeName});
    if (facts.year != 0)
        rows.push_back({kInfoRowTaken, formatters.date
                                           ? formatters.date(facts.year, facts.month, facts.day)
                                           : ""});
    // Both halves of the file time must be set, as the pane has always asked.
    if ((facts.fileTime & 0xFFFFFFFFu) != 0 && (facts.fileTime >> 32) != 0)
        rows.push_back(
            {kInfoRowModified, formatters.fileTime ? formatters.fileTime(facts.fileTime) : ""});
    if (!facts.keywords.empty())
        rows.push_back({kInfoRowKeywords, facts.keywords});
    if (!facts.description.empty())
        rows.push_back({kInfoRowDescription, facts.description});
    return rows;
}

int ClampInfoIndex(int index, int count) {
    if (index >= count)
        index = count - 1;
    return index < 0 ? 0 : index;
}

std::string FormatInfoHeader(const std::string& format, int index, int count) {
    return SubstituteNumbers(format, ClampInfoIndex(index, count) + 1, count);
}

std::string SelectionCountText(const std::string& format, int selected) {
    return selected > 1 ? SubstituteNumbers(format, selected, 0) : std::string();
}
