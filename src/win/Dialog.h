// A modal dialog run from a template of the module's resources, with one virtual handler per
// message kind. The dialog procedure is a static thunk that finds the object through the
// window's DWLP_USER slot, stored when WM_INITDIALOG arrives.
#pragma once

#include <windows.h>

#include "win/Message.h"

namespace win {

class CDialog {
public:
    explicit CDialog(UINT templateId) : m_templateId(templateId) {}
    virtual ~CDialog() = default;
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog modally; returns the value given to EndDialog, or -1 when the dialog
    // cannot be created.
    INT_PTR DoModal(HWND owner);

    HWND Hwnd() const { return m_hWnd; }
    HWND GetItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    BOOL EndDialog(INT_PTR result) { return ::EndDialog(m_hWnd, result); }
    // Centres over the owner when it is visible and not minimised, else over the work area.
    bool CenterWindow();

protected:
    // Handlers: each says whether it handled its message. A message that is not handled goes
    // to the system's default dialog handling. For WM_INITDIALOG the result is the focus flag.
    virtual Reply OnInitDialog(HWND /*focus*/) { return NotHandled(); }
    virtual Reply OnCommand(WORD /*id*/, WORD /*code*/, HWND /*control*/) { return NotHandled(); }
    virtual Reply OnTimer(UINT_PTR /*id*/) { return NotHandled(); }
    virtual Reply OnEraseBackground(HDC /*dc*/) { return NotHandled(); }
    // Every other message.
    virtual Reply OnMessage(UINT /*msg*/, WPARAM, LPARAM) { return NotHandled(); }

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    Reply Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);

    UINT m_templateId;
    HWND m_hWnd = nullptr;
};

}  // namespace win
