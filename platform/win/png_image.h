// A PNG image from the program's resources (type "PNG"), drawn with its transparency.
#pragma once

#include <windows.h>

namespace Gdiplus {
class Bitmap;
}

class png_image {
public:
    png_image() = default;
    png_image(const png_image&) = delete;
    png_image& operator=(const png_image&) = delete;
    ~png_image();

    bool load(UINT resource_id, HINSTANCE instance = nullptr);
    bool empty() const { return bitmap_ == nullptr; }
    int width() const;
    int height() const;
    void draw(HDC dc, int x, int y) const;
    UINT id() const { return id_; }

private:
    Gdiplus::Bitmap* bitmap_ = nullptr;
    UINT id_ = 0;
};
