#pragma once

#include <QImage>

#include <cstdint>
#include <functional>
#include <memory>

namespace morvik {

// A reference to a picture object. Controls share picture objects: assigning a Picture hands over
// the same object, never a copy of its pixels. Every object has a handle of its own, never 0; the
// absence of a picture (a default Picture) has the handle 0. Two controls show the same picture
// exactly when the handles are equal.
class Picture {
public:
    Picture() = default;
    explicit Picture(QImage image);
    // The pixels are made by `load` the first time they are asked for; the handle exists at once.
    explicit Picture(std::function<QImage()> load);
    // Lets go of the pixels of a picture made by `load`; they are made again when next asked for.
    void unload() const;

    std::int32_t handle() const { return object_ ? object_->handle : 0; }
    bool isNull() const { return !object_; }
    // Empty image for the absence of a picture.
    const QImage &image() const;

    friend bool operator==(const Picture &a, const Picture &b) { return a.handle() == b.handle(); }

private:
    struct Object {
        std::int32_t handle;
        mutable std::function<QImage()> load;
        mutable QImage image;
    };
    std::shared_ptr<const Object> object_;
};

}  // namespace morvik
