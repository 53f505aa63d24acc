#pragma once

// Logical points and rectangles: signed 32-bit integers, y growing downward.
struct CPoint {
    int x = 0;
    int y = 0;

    friend bool operator==(const CPoint&, const CPoint&) = default;
};

// Left, top, right, bottom, in this order.
struct CRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }

    friend bool operator==(const CRect&, const CRect&) = default;
};
