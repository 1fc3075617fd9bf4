#include "picture.h"

#include <atomic>

namespace morvik {

namespace {
std::int32_t nextHandle()
{
    static std::atomic<std::int32_t> counter{0};
    return ++counter;
}
}  // namespace

Picture::Picture(QImage image)
    : object_(std::make_shared<const Object>(Object{nextHandle(), {}, std::move(image)}))
{
}

Picture::Picture(std::function<QImage()> load)
    : object_(std::make_shared<const Object>(Object{nextHandle(), std::move(load), {}}))
{
}

const QImage &Picture::image() const
{
    static const QImage none;
    if (!object_)
        return none;
    if (object_->load && object_->image.isNull())
        object_->image = object_->load();
    return object_->image;
}

void Picture::unload() const
{
    if (object_ && object_->load)
        object_->image = QImage();
}

}  // namespace morvik
