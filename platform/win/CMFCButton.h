// An owner-drawn push button: flat or with a frame, optionally transparent, an image beside the text,
// its own text colours. A check box made from it shows one image unchecked and another checked.
#pragma once

#include "CWnd.h"
#include "png_image.h"

class CMFCButton : public CWnd {
public:
    enum FlatStyle { BUTTONSTYLE_3D, BUTTONSTYLE_FLAT, BUTTONSTYLE_SEMIFLAT, BUTTONSTYLE_NOBORDERS };

    CMFCButton() = default;

    bool m_bTransparent = false;
    FlatStyle m_nFlatStyle = BUTTONSTYLE_3D;
    bool m_bRightImage = false;
    bool m_bTopImage = false;

    void SetTextColor(COLORREF colour);
    void SetTextHotColor(COLORREF colour);
    COLORREF GetTextColor() const { return text_colour_; }
    COLORREF GetTextHotColor() const { return hot_colour_; }
    // The image from a PNG resource; a check box takes a second one for its checked state.
    bool SetImage(UINT png_id, UINT checked_png_id = 0);
    UINT GetImageId() const { return image_.id(); }
    UINT GetCheckedImageId() const { return checked_image_.id(); }

    bool IsHot() const { return hot_; }
    bool IsCheckBox() const { return check_box_; }
    bool IsChecked() const { return checked_; }
    // The image shown now.
    UINT ShownImageId() const;

    bool OnDrawItem(DRAWITEMSTRUCT* di) override;
    void OnReflectedCommand(int code) override;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    // Takes over the drawing when the button is first subclassed.
    void MakeOwnerDrawn();
    virtual void DrawContent(HDC dc, const RECT& r, bool pressed);

    COLORREF text_colour_ = GetSysColor(COLOR_BTNTEXT);
    COLORREF hot_colour_ = GetSysColor(COLOR_BTNTEXT);
    png_image image_;
    png_image checked_image_;
    bool hot_ = false;
    bool tracking_ = false;
    bool check_box_ = false;
    bool checked_ = false;
    bool owner_drawn_ = false;
};
