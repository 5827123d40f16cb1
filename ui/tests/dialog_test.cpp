// Dialogs from in-memory templates: binding, modal and modeless life, and data exchange.
#include "ui/ui.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// Builds a DLGTEMPLATE with a font and a list of controls of the predefined classes.
class TemplateBuilder {
public:
    enum Kind : WORD { kButton = 0x0080, kEdit = 0x0081, kStatic = 0x0082 };

    explicit TemplateBuilder(DWORD style) : m_style(style | DS_SETFONT) {}
    void Add(Kind kind, WORD id, DWORD style, const char* text, short y) {
        m_items.push_back({kind, id, style | WS_CHILD | WS_VISIBLE, text, y});
    }
    const DLGTEMPLATE* Build() {
        m_words.clear();
        PutDword(m_style);
        PutDword(0); // extended style
        Put((WORD)m_items.size());
        Put(0), Put(0), Put(200), Put(150); // x, y, cx, cy
        Put(0);                             // no menu
        Put(0);                             // predefined dialog class
        PutText("template dialog");
        Put(8);
        PutText("MS Shell Dlg");
        for (const Item& it : m_items) {
            if (m_words.size() % 2)
                Put(0); // items start on a DWORD boundary
            PutDword(it.style);
            PutDword(0);
            Put(5), Put((WORD)it.y), Put(120), Put(12);
            Put(it.id);
            Put(0xFFFF), Put(it.kind);
            PutText(it.text);
            Put(0); // no creation data
        }
        return reinterpret_cast<const DLGTEMPLATE*>(m_words.data());
    }

private:
    struct Item {
        Kind kind;
        WORD id;
        DWORD style;
        const char* text;
        short y;
    };
    void Put(WORD w) { m_words.push_back(w); }
    void PutDword(DWORD d) {
        Put(LOWORD(d));
        Put(HIWORD(d));
    }
    void PutText(const char* s) {
        while (*s)
            Put((WORD)(unsigned char)*s++);
        Put(0);
    }
    DWORD m_style;
    std::vector<Item> m_items;
    std::vector<WORD> m_words;
};

enum { kName = 100, kCount = 101, kFlag = 102, kFirstRadio = 103, kAfterRadios = 106 };

const DLGTEMPLATE* FormTemplate() {
    static TemplateBuilder b(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME);
    static const DLGTEMPLATE* t = [] {
        b.Add(TemplateBuilder::kEdit, kName, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, "", 5);
        b.Add(TemplateBuilder::kEdit, kCount, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, "", 20);
        b.Add(TemplateBuilder::kButton, kFlag, BS_AUTOCHECKBOX | WS_TABSTOP, "flag", 35);
        b.Add(TemplateBuilder::kButton, kFirstRadio, BS_AUTORADIOBUTTON | WS_GROUP, "r0", 50);
        b.Add(TemplateBuilder::kButton, kFirstRadio + 1, BS_AUTORADIOBUTTON, "r1", 65);
        b.Add(TemplateBuilder::kButton, kFirstRadio + 2, BS_AUTORADIOBUTTON, "r2", 80);
        // The next group begins here: the radio walk must stop at it.
        b.Add(TemplateBuilder::kButton, kAfterRadios, BS_AUTORADIOBUTTON | WS_GROUP, "other", 95);
        b.Add(TemplateBuilder::kButton, IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, "OK", 110);
        return b.Build();
    }();
    return t;
}

class CFormDialog : public CDialogImpl<CFormDialog>, public CWinDataExchange<CFormDialog> {
public:
    char m_name[16] = "abc";
    int m_count = 7;
    bool m_flag = true;
    int m_choice = 2;

    LPARAM initParam = -1;
    bool boundAtInit = false;
    std::string loadedName, loadedCount;
    std::function<void(CFormDialog&)> script; // runs once the dialog is up
    int finalCalls = 0;
    struct Failure {
        UINT id;
        int nMin, nMax;
        bool validate;
    };
    std::vector<Failure> failures;

    BEGIN_MSG_MAP(CFormDialog)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    MESSAGE_HANDLER(WM_APP, OnRunScript)
    COMMAND_ID_HANDLER(IDOK, OnOK)
    END_MSG_MAP()

    BEGIN_DDX_MAP(CFormDialog)
    DDX_TEXT(kName, m_name)
    DDX_INT_RANGE(kCount, m_count, 1, 50)
    DDX_CHECK(kFlag, m_flag)
    DDX_RADIO(kFirstRadio, m_choice)
    END_DDX_MAP()

    void OnDataExchangeError(UINT id, BOOL) {
        failures.push_back({id, 0, 0, false});
        uiddx::FocusAndBeep(m_hWnd, id);
    }
    void OnDataValidateError(UINT id, BOOL, int nMin, int nMax) {
        failures.push_back({id, nMin, nMax, true});
        uiddx::FocusAndBeep(m_hWnd, id);
    }

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM lParam, BOOL&) {
        initParam = lParam;
        boundAtInit = FromHandle(m_hWnd) == this;
        DoDataExchange(FALSE);
        char buf[32];
        GetDlgItemText(kName, buf, sizeof buf);
        loadedName = buf;
        GetDlgItemText(kCount, buf, sizeof buf);
        loadedCount = buf;
        PostMessage(WM_APP);
        return TRUE;
    }
    LRESULT OnRunScript(UINT, WPARAM, LPARAM, BOOL&) {
        if (script)
            script(*this);
        return 0;
    }
    LRESULT OnOK(WORD, WORD, HWND, BOOL&) {
        if (DoDataExchange(TRUE))
            EndDialog(IDOK);
        return 0;
    }
    void OnFinalMessage(HWND) override { ++finalCalls; }
};

bool Checked(HWND dlg, int id) {
    return ::IsDlgButtonChecked(dlg, id) == BST_CHECKED;
}

TEST(Dialog, ModalRoundTripLoadsAndSavesEveryControl) {
    CFormDialog dlg;
    bool radiosLoaded = false;
    dlg.script = [&](CFormDialog& d) {
        radiosLoaded = Checked(d, kFlag) && !Checked(d, kFirstRadio) &&
                       !Checked(d, kFirstRadio + 1) && Checked(d, kFirstRadio + 2);
        d.SetDlgItemText(kName, "hello");
        d.SetDlgItemText(kCount, " 42 ");
        d.CheckDlgButton(kFlag, BST_UNCHECKED);
        d.CheckDlgButton(kFirstRadio + 2, BST_UNCHECKED);
        d.CheckDlgButton(kFirstRadio, BST_CHECKED);
        d.CheckDlgButton(kAfterRadios, BST_CHECKED); // another group: must not count
        d.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)d.GetDlgItem(IDOK));
    };
    EXPECT_EQ(dlg.DoModalIndirect(FormTemplate(), NULL, 1234), IDOK);
    EXPECT_TRUE(dlg.boundAtInit);
    EXPECT_EQ(dlg.initParam, 1234);
    EXPECT_EQ(dlg.loadedName, "abc");
    EXPECT_EQ(dlg.loadedCount, "7");
    EXPECT_TRUE(radiosLoaded);
    EXPECT_STREQ(dlg.m_name, "hello");
    EXPECT_EQ(dlg.m_count, 42);
    EXPECT_FALSE(dlg.m_flag);
    EXPECT_EQ(dlg.m_choice, 0);
    EXPECT_TRUE(dlg.failures.empty());
    EXPECT_EQ(dlg.m_hWnd, (HWND)NULL);
    EXPECT_EQ(dlg.finalCalls, 1);
}

TEST(Dialog, InvalidValuesAreRefusedWithTheFailureHookAndFocus) {
    struct Case {
        const char* name;
        const char* count;
        bool ok;
        int count_after;
        UINT failed_id;
    };
    const Case cases[] = {
        {"n", "1", true, 1, 0},
        {"n", "50", true, 50, 0},
        {"n", "-0", false, 50, kCount}, // below the range after the previous case stored 50
        {"n", "51", false, 50, kCount},
        {"n", "0", false, 50, kCount},
        {"n", "-3", false, 50, kCount},
        {"n", "12x", false, 50, kCount},
        {"n", "", false, 50, kCount},
        {"n", "99999999999999999999", false, 50, kCount},
        {"exactly15chars!", "5", true, 5, 0},
        {"sixteen chars!!!", "6", false, 5, kName}, // does not fit 16 bytes with its zero
    };
    CFormDialog dlg;
    std::vector<std::string> problems;
    dlg.script = [&](CFormDialog& d) {
        for (const Case& c : cases) {
            std::string tag = std::string(c.name) + "/" + c.count;
            d.failures.clear();
            std::string nameBefore = d.m_name;
            d.SetDlgItemText(kName, c.name);
            d.SetDlgItemText(kCount, c.count);
            BOOL ok = d.DoDataExchange(TRUE);
            UINT expectFailed = c.failed_id;
            if (!!ok != c.ok)
                problems.push_back(tag + ": result");
            if (d.m_count != c.count_after)
                problems.push_back(tag + ": count " + std::to_string(d.m_count));
            if (c.ok) {
                if (!d.failures.empty())
                    problems.push_back(tag + ": unexpected failure hook");
                continue;
            }
            if (d.failures.size() != 1 || d.failures[0].id != expectFailed) {
                problems.push_back(tag + ": failure hook");
                continue;
            }
            if (::GetFocus() != d.GetDlgItem(expectFailed))
                problems.push_back(tag + ": focus");
            if (expectFailed == kCount &&
                (!d.failures[0].validate || d.failures[0].nMin != 1 || d.failures[0].nMax != 50))
                problems.push_back(tag + ": range in hook");
            if (expectFailed == kName && nameBefore != d.m_name)
                problems.push_back(tag + ": name changed on failure");
        }
        d.EndDialog(IDCANCEL);
    };
    EXPECT_EQ(dlg.DoModalIndirect(FormTemplate(), NULL), IDCANCEL);
    for (const std::string& p : problems)
        ADD_FAILURE() << p;
}

TEST(Dialog, ModelessDialogLivesUntilEndDialog) {
    CFormDialog dlg;
    HWND h = dlg.CreateIndirect(FormTemplate(), NULL, 77);
    ASSERT_NE(h, (HWND)NULL);
    EXPECT_FALSE(dlg.IsModal());
    EXPECT_EQ(dlg.m_hWnd, h);
    EXPECT_EQ(CDialogImplBase::FromHandle(h), &dlg);
    EXPECT_EQ(dlg.initParam, 77);
    EXPECT_EQ(dlg.CreateIndirect(FormTemplate(), NULL), (HWND)NULL); // one window per object

    // A handled message's result goes through DWLP_MSGRESULT.
    EXPECT_EQ(::SendMessageA(h, WM_APP, 0, 0), 0);
    EXPECT_TRUE(dlg.EndDialog(IDOK));
    EXPECT_FALSE(::IsWindow(h));
    EXPECT_EQ(dlg.m_hWnd, (HWND)NULL);
    EXPECT_EQ(dlg.finalCalls, 1);
    EXPECT_EQ(CDialogImplBase::FromHandle(h), nullptr);
}

TEST(Dialog, MissingTemplateFailsCleanlyAndTheObjectStaysUsable) {
    CFormDialog dlg;
    EXPECT_EQ(dlg.DoModalIndirect(NULL, NULL), -1);
    EXPECT_EQ(dlg.CreateIndirect(NULL, NULL), (HWND)NULL);
    EXPECT_EQ(dlg.m_hWnd, (HWND)NULL);
    HWND h = dlg.CreateIndirect(FormTemplate(), NULL, 5);
    ASSERT_NE(h, (HWND)NULL);
    EXPECT_EQ(dlg.initParam, 5);
    EXPECT_TRUE(dlg.EndDialog(IDOK));
}

} // namespace

namespace {

// The usual way: the template is a resource of the module, named by IDD.
class CResourceDialog : public CDialogImpl<CResourceDialog>,
                        public CWinDataExchange<CResourceDialog> {
public:
    enum { IDD = 300 };
    char m_text[32] = "from member";
    std::string shown;

    BEGIN_MSG_MAP(CResourceDialog)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    MESSAGE_HANDLER(WM_APP, OnFinish)
    END_MSG_MAP()
    BEGIN_DDX_MAP(CResourceDialog)
    DDX_TEXT(310, m_text)
    END_DDX_MAP()

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
        DoDataExchange(FALSE);
        PostMessage(WM_APP);
        return TRUE;
    }
    LRESULT OnFinish(UINT, WPARAM, LPARAM, BOOL&) {
        char buf[32];
        GetDlgItemText(310, buf, sizeof buf);
        shown = buf;
        SetDlgItemText(310, "typed");
        EndDialog(DoDataExchange(TRUE) ? 17 : 18);
        return 0;
    }
};

TEST(Dialog, ModalFromResourceId) {
    CResourceDialog dlg;
    EXPECT_EQ(dlg.DoModal(NULL), 17);
    EXPECT_EQ(dlg.shown, "from member");
    EXPECT_STREQ(dlg.m_text, "typed");
}

} // namespace
