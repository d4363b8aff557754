#include "wcl/dialog.h"

#include "wcl/app.h"

namespace wcl {

void DDX_Control(CDataExchange& dx, int id, CWnd& control) {
    if (control.GetSafeHwnd())
        return; // bound by an earlier exchange
    if (!control.SubclassDlgItem(static_cast<UINT>(id), dx.Dialog()))
        dx.Fail();
}

INT_PTR CALLBACK CDialog::DialogProcedure(HWND window, UINT message, WPARAM wParam,
                                          LPARAM lParam) noexcept {
    // From WM_INITDIALOG on, the dialog's messages reach its object through the library's window
    // procedure first; what arrives here is what the object left to the dialog manager.
    if (message != WM_INITDIALOG || FromHandlePermanent(window))
        return FALSE;
    auto* dialog = reinterpret_cast<CDialog*>(lParam);
    try {
        if (!dialog || !dialog->AttachAndSubclass(window))
            return FALSE;
    } catch (...) {
        return FALSE;
    }
    return dialog->Route(WM_INITDIALOG, wParam, lParam);
}

INT_PTR CDialog::DoModal() {
    if (m_hWnd)
        return -1;
    const HWND owner = ModalOwner();
    m_mode = Mode::Modal;
    m_continue = true;
    m_result = -1;
    if (!CreateFromTemplate(m_templateId, owner)) {
        m_mode = Mode::None;
        return -1;
    }
    // The owner takes no input while the dialog runs, as with the system's modal dialogs.
    const bool ownerDisabledHere = owner && !::EnableWindow(owner, FALSE);
    if (m_continue) {
        if (!IsWindowVisible())
            ShowWindow(SW_SHOWNORMAL);
        RunModalLoop();
    }
    // The owner is enabled again before the dialog goes, so the activation returns to it.
    if (ownerDisabledHere)
        ::EnableWindow(owner, TRUE);
    if (m_hWnd) {
        SetWindowPos(nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
        ::DestroyWindow(m_hWnd);
    }
    m_mode = Mode::None;
    return m_result;
}

bool CDialog::Create(UINT templateId, CWnd* parent) {
    if (m_hWnd)
        return false;
    m_templateId = templateId;
    m_parent = parent;
    m_mode = Mode::Modeless;
    m_continue = true;
    m_result = -1;
    if (!CreateFromTemplate(templateId, parent ? parent->GetSafeHwnd() : nullptr)) {
        m_mode = Mode::None;
        return false;
    }
    if (!m_continue) { // ended during its initialisation: a control could not be bound
        DestroyWindow();
        m_mode = Mode::None;
        return false;
    }
    return true;
}

void CDialog::EndDialog(INT_PTR result) {
    m_result = result;
    m_continue = false;
    if (!m_hWnd || m_creating)
        return;
    if (m_mode == Mode::Modal) {
        // The loop may be waiting in GetMessage, for instance when another thread sent the
        // command that ended the dialog; a posted message wakes it to see the end.
        PostMessage(WM_NULL);
    } else {
        ::EndDialog(m_hWnd, result);
    }
}

bool CDialog::UpdateData(bool saveAndValidate) {
    CDataExchange dx(*this, saveAndValidate);
    DoDataExchange(dx);
    return !dx.Failed();
}

bool CDialog::PreTranslateMessage(MSG& msg) {
    const bool keyboard = msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST;
    const bool mouse = msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST;
    return (keyboard || mouse) && m_hWnd && ::IsDialogMessageW(m_hWnd, &msg);
}

bool CDialog::OnInitDialog() {
    if (!UpdateData(false)) {
        EndDialog(-1);
        return false;
    }
    return true;
}

void CDialog::DoDataExchange(CDataExchange&) {}

void CDialog::OnOK() {
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

const MessageMap& CDialog::GetMessageMap() const {
    static constexpr MessageEntry entries[] = {
        MapMessage<WM_INITDIALOG, &CDialog::OnInitDialog>(),
        MapCommand<IDOK, &CDialog::OnOK>(),
        MapCommand<IDCANCEL, &CDialog::OnCancel>(),
    };
    static const MessageMap map(CWnd::GetMessageMap(), entries);
    return map;
}

HWND CDialog::CreateFromTemplate(UINT templateId, HWND parent) {
    m_creating = true;
    const HWND window =
        ::CreateDialogParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(templateId), parent,
                             &DialogProcedure, reinterpret_cast<LPARAM>(this));
    m_creating = false;
    if (window && window != m_hWnd) {
        ::DestroyWindow(window); // the object could not be attached
        return nullptr;
    }
    return window;
}

HWND CDialog::ModalOwner() const {
    HWND owner = m_parent ? m_parent->GetSafeHwnd() : nullptr;
    if (!owner) {
        const CWnd* main = AfxGetMainWnd();
        if (main && main != this)
            owner = main->GetSafeHwnd();
    }
    return owner ? ::GetAncestor(owner, GA_ROOT) : nullptr;
}

void CDialog::RunModalLoop() {
    MSG msg{};
    while (m_continue && m_hWnd) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1) {
            m_result = -1;
            return;
        }
        if (got == 0) {
            // WM_QUIT ends the run and is put back for the loop outside, which ends the program.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            m_result = -1;
            return;
        }
        if (!PreTranslateChain(msg, m_hWnd)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

} // namespace wcl
