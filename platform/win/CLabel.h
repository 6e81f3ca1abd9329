// A static text that can paint its text without filling its background.
#pragma once

#include "CWnd.h"

class CLabel : public CWnd {
public:
    void SetTransparent(bool on);
    bool IsTransparent() const { return transparent_; }
    // Sets the text and repaints, behind it too.
    void SetText(std::u16string_view text);

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    bool transparent_ = false;
};
