#include "acquire/logic/twain_types.h"

#include <cstddef>

namespace {

struct Named {
    unsigned code;
    const char* name;
};

template <size_t N> const char* Find(const Named (&table)[N], unsigned code) {
    for (const Named& entry : table)
        if (entry.code == code)
            return entry.name;
    return "?";
}

const Named kGroups[] = {{DG_CONTROL, "DG_CONTROL"}, {DG_IMAGE, "DG_IMAGE"}};

const Named kData[] = {
    {DAT_NULL, "DAT_NULL"},
    {DAT_EVENT, "DAT_EVENT"},
    {DAT_IDENTITY, "DAT_IDENTITY"},
    {DAT_PARENT, "DAT_PARENT"},
    {DAT_PENDINGXFERS, "DAT_PENDINGXFERS"},
    {DAT_STATUS, "DAT_STATUS"},
    {DAT_USERINTERFACE, "DAT_USERINTERFACE"},
    {DAT_IMAGEINFO, "DAT_IMAGEINFO"},
    {DAT_IMAGENATIVEXFER, "DAT_IMAGENATIVEXFER"},
};

const Named kMessages[] = {
    {MSG_NULL, "MSG_NULL"},
    {MSG_GET, "MSG_GET"},
    {MSG_GETDEFAULT, "MSG_GETDEFAULT"},
    {MSG_GETFIRST, "MSG_GETFIRST"},
    {MSG_GETNEXT, "MSG_GETNEXT"},
    {MSG_RESET, "MSG_RESET"},
    {MSG_XFERREADY, "MSG_XFERREADY"},
    {MSG_CLOSEDSREQ, "MSG_CLOSEDSREQ"},
    {MSG_CLOSEDSOK, "MSG_CLOSEDSOK"},
    {MSG_OPENDSM, "MSG_OPENDSM"},
    {MSG_CLOSEDSM, "MSG_CLOSEDSM"},
    {MSG_OPENDS, "MSG_OPENDS"},
    {MSG_CLOSEDS, "MSG_CLOSEDS"},
    {MSG_USERSELECT, "MSG_USERSELECT"},
    {MSG_DISABLEDS, "MSG_DISABLEDS"},
    {MSG_ENABLEDS, "MSG_ENABLEDS"},
    {MSG_PROCESSEVENT, "MSG_PROCESSEVENT"},
    {MSG_ENDXFER, "MSG_ENDXFER"},
};

} // namespace

const char* TwainGroupName(TW_UINT32 group) {
    return Find(kGroups, group);
}
const char* TwainDataName(TW_UINT16 data) {
    return Find(kData, data);
}
const char* TwainMessageName(TW_UINT16 message) {
    return Find(kMessages, message);
}
