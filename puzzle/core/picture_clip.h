#pragma once

#include "picture.h"

#include <cstdint>

namespace morvik {

// Cuts a source picture into a grid of 10 x 10 equal cells, numbered row by row from the top left:
// cell n is row n / 10, column n % 10.
class PictureClip {
public:
    void setPicture(const Picture &picture) { source_ = picture; }
    Picture picture() const { return source_; }
    // A new picture object at every call, with a handle of its own.
    Picture GraphicCell(std::int16_t n) const;

private:
    Picture source_;
};

}  // namespace morvik
