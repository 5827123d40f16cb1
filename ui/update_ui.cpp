// The update-UI table and how it is applied to menus and toolbars.
#include "ui/update_ui.h"

#include <algorithm>

#include <commctrl.h>

CUpdateUIBase::CUpdateUIBase(const UiUpdateMapEntry* map) {
    for (const UiUpdateMapEntry* e = map; e != NULL && e->kinds != 0; ++e) {
        // A command listed twice keeps one element with both kinds.
        if (Element* existing = Find(e->id)) {
            existing->kinds |= e->kinds;
            continue;
        }
        m_elements.push_back(Element{e->id, e->kinds, UPDUI_ENABLED, false, std::string()});
    }
}

CUpdateUIBase::Element* CUpdateUIBase::Find(int nID) {
    for (Element& e : m_elements)
        if (e.id == (WORD)nID)
            return &e;
    return NULL;
}

const CUpdateUIBase::Element* CUpdateUIBase::Find(int nID) const {
    return const_cast<CUpdateUIBase*>(this)->Find(nID);
}

BOOL CUpdateUIBase::SetBits(int nID, DWORD mask, DWORD bits, BOOL force) {
    Element* e = Find(nID);
    if (e == NULL)
        return FALSE;
    DWORD now = (e->state & ~mask) | bits;
    if (now != e->state || force) {
        e->state = now;
        if (e->kinds & UPDUI_TOOLBAR) {
            e->toolbarPending = true;
            m_toolbarPending = true;
        }
    }
    return TRUE;
}

BOOL CUpdateUIBase::UIEnable(int nID, BOOL enable, BOOL force) {
    return SetBits(nID, UPDUI_DISABLED, enable ? 0 : UPDUI_DISABLED, force);
}

BOOL CUpdateUIBase::UISetCheck(int nID, int check, BOOL force) {
    DWORD bits = check == 1 ? UPDUI_CHECKED : check == 2 ? UPDUI_CHECKED2 : 0;
    return SetBits(nID, UPDUI_CHECKED | UPDUI_CHECKED2, bits, force);
}

BOOL CUpdateUIBase::UISetRadio(int nID, BOOL radio, BOOL force) {
    return SetBits(nID, UPDUI_RADIO, radio ? UPDUI_RADIO : 0, force);
}

BOOL CUpdateUIBase::UISetDefault(int nID, BOOL isDefault, BOOL force) {
    return SetBits(nID, UPDUI_DEFAULT, isDefault ? UPDUI_DEFAULT : 0, force);
}

BOOL CUpdateUIBase::UISetText(int nID, LPCSTR text, BOOL force) {
    Element* e = Find(nID);
    if (e == NULL)
        return FALSE;
    if (text == NULL) {
        e->text.clear();
        return SetBits(nID, UPDUI_TEXT, 0, force);
    }
    e->text = text;
    return SetBits(nID, UPDUI_TEXT, UPDUI_TEXT, TRUE);
}

DWORD CUpdateUIBase::UIGetState(int nID) const {
    const Element* e = Find(nID);
    return e != NULL ? e->state : (DWORD)-1;
}

LPCSTR CUpdateUIBase::UIGetText(int nID) const {
    const Element* e = Find(nID);
    return e != NULL && (e->state & UPDUI_TEXT) ? e->text.c_str() : NULL;
}

BOOL CUpdateUIBase::UIAddToolBar(HWND hWndToolBar) {
    if (hWndToolBar == NULL ||
        std::find(m_toolbars.begin(), m_toolbars.end(), hWndToolBar) != m_toolbars.end())
        return FALSE;
    m_toolbars.push_back(hWndToolBar);
    // A new toolbar starts from the whole table.
    for (Element& e : m_elements)
        if (e.kinds & UPDUI_TOOLBAR)
            e.toolbarPending = true;
    m_toolbarPending = true;
    return TRUE;
}

BOOL CUpdateUIBase::UIUpdateToolBar(BOOL force) {
    if (!m_toolbarPending && !force)
        return TRUE;
    // Toolbars that were destroyed meanwhile are forgotten.
    m_toolbars.erase(
        std::remove_if(m_toolbars.begin(), m_toolbars.end(), [](HWND h) { return !::IsWindow(h); }),
        m_toolbars.end());
    for (Element& e : m_elements) {
        if (!(e.kinds & UPDUI_TOOLBAR) || (!e.toolbarPending && !force))
            continue;
        for (HWND toolbar : m_toolbars) {
            // Toolbars that do not carry the command answer -1; nothing to do then.
            if (::SendMessageA(toolbar, TB_COMMANDTOINDEX, e.id, 0) < 0)
                continue;
            BOOL enable = (e.state & UPDUI_DISABLED) == 0;
            ::SendMessageA(toolbar, TB_ENABLEBUTTON, e.id, MAKELPARAM(enable, 0));
            ::SendMessageA(toolbar, TB_CHECKBUTTON, e.id,
                           MAKELPARAM((e.state & UPDUI_CHECKED) != 0, 0));
            ::SendMessageA(toolbar, TB_INDETERMINATE, e.id,
                           MAKELPARAM((e.state & UPDUI_CHECKED2) != 0, 0));
        }
        e.toolbarPending = false;
    }
    m_toolbarPending = false;
    return TRUE;
}

void CUpdateUIBase::UIUpdateMenuPopup(HMENU menu) const {
    int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOA mii = {};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE;
        if (!::GetMenuItemInfoA(menu, (UINT)i, TRUE, &mii) || mii.hSubMenu != NULL ||
            (mii.fType & MFT_SEPARATOR))
            continue;
        const Element* e = Find((int)mii.wID);
        if (e == NULL || !(e->kinds & UPDUI_MENUPOPUP))
            continue;
        ::EnableMenuItem(menu, (UINT)i,
                         MF_BYPOSITION | ((e->state & UPDUI_DISABLED) ? MF_GRAYED : MF_ENABLED));
        if (e->state & UPDUI_RADIO) {
            if (e->state & UPDUI_CHECKED)
                ::CheckMenuRadioItem(menu, (UINT)i, (UINT)i, (UINT)i, MF_BYPOSITION);
            else
                ::CheckMenuItem(menu, (UINT)i, MF_BYPOSITION | MF_UNCHECKED);
        } else {
            ::CheckMenuItem(
                menu, (UINT)i,
                MF_BYPOSITION |
                    ((e->state & (UPDUI_CHECKED | UPDUI_CHECKED2)) ? MF_CHECKED : MF_UNCHECKED));
        }
        if (e->state & UPDUI_DEFAULT)
            ::SetMenuDefaultItem(menu, (UINT)i, TRUE);
        if (e->state & UPDUI_TEXT) {
            MENUITEMINFOA text = {};
            text.cbSize = sizeof text;
            text.fMask = MIIM_STRING;
            text.dwTypeData = const_cast<LPSTR>(e->text.c_str());
            ::SetMenuItemInfoA(menu, (UINT)i, TRUE, &text);
        }
    }
}

LRESULT CUpdateUIBase::OnInitMenuPopup(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
    bHandled = FALSE;
    // The window's system menu keeps its own states.
    if (HIWORD(lParam) != 0)
        return 0;
    UIUpdateMenuPopup((HMENU)wParam);
    return 0;
}
