// A button drawn as a link: underlined text that opens its URL with the shell when clicked.
#pragma once

#include "CMFCButton.h"

#include <string>

class CMFCLinkCtrl : public CMFCButton {
public:
    CMFCLinkCtrl();
    ~CMFCLinkCtrl() override;

    void SetURL(std::u16string_view url);
    const std::u16string& GetURL() const { return url_; }
    void SetTooltip(std::u16string_view text);
    std::u16string GetTooltip() const;
    // Fits the window to its text.
    void SizeToContent();

    void OnReflectedCommand(int code) override;
    // Where a click goes: the shell by default; replaceable (the program's tests watch the call).
    using opener = void (*)(const std::u16string& url);
    static opener open_url;

protected:
    void DrawContent(HDC dc, const RECT& r, bool pressed) override;
    HFONT UnderlinedFont();

private:
    std::u16string url_;
    std::u16string tooltip_text_;
    HWND tooltip_ = nullptr;
    HFONT underlined_ = nullptr;
};
