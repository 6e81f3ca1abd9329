// The thin window wrapper every window class of ours builds on: one HWND, one window procedure that
// finds the object again and calls its members.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

class CWnd {
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    virtual ~CWnd();

    HWND m_hWnd = nullptr;
    HWND GetSafeHwnd() const { return this ? m_hWnd : nullptr; }

    // Takes over an existing control: its messages reach WindowProc first.
    bool SubclassWindow(HWND hwnd);
    bool SubclassDlgItem(int id, HWND parent);
    void UnsubclassWindow();
    // The object of ours that owns a window, if any.
    static CWnd* FromHandle(HWND hwnd);

    void SetWindowText(std::u16string_view text);
    std::u16string GetWindowText() const;
    void MoveWindow(int x, int y, int width, int height, bool repaint = true);
    RECT GetClientRect() const;
    // The window's rectangle in its parent's client coordinates.
    RECT GetRectInParent() const;
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    HWND GetParent() const { return ::GetParent(m_hWnd); }
    void Invalidate(bool erase = true) { ::InvalidateRect(m_hWnd, nullptr, erase); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }

    // A control's own handling of the notifications its parent reflects back to it.
    virtual bool OnDrawItem(DRAWITEMSTRUCT*) { return false; }
    virtual void OnReflectedCommand(int /*code*/) {}

protected:
    // The subclassed window's messages; the default passes them to the window's own procedure.
    virtual LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Default(UINT msg, WPARAM wp, LPARAM lp);
    void Attach(HWND hwnd);
    void Detach();

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    WNDPROC old_proc_ = nullptr;
};

// Fills a child's rectangle with what its parent paints behind it, so the child looks transparent.
void PaintParentBackground(HWND child, HDC dc);

// UTF-16 text at the Win32 boundary.
inline const wchar_t* W(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }
inline const wchar_t* W(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }
