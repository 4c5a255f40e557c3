#include "review/X11Overlay.h"

#include "review/SharedImageBlock.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>

namespace {

// Whether a visual is 24-bit true colour with red, green and blue where RGB32 has them.
bool isRgb32(xcb_connection_t *c, xcb_visualid_t visual)
{
    for (auto screen = xcb_setup_roots_iterator(xcb_get_setup(c)); screen.rem; xcb_screen_next(&screen))
        for (auto depth = xcb_screen_allowed_depths_iterator(screen.data); depth.rem; xcb_depth_next(&depth))
            for (auto v = xcb_depth_visuals_iterator(depth.data); v.rem; xcb_visualtype_next(&v))
                if (v.data->visual_id == visual)
                    return depth.data->depth == 24 && v.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR &&
                           v.data->red_mask == 0xff0000 && v.data->green_mask == 0xff00 &&
                           v.data->blue_mask == 0xff;
    return false;
}

} // namespace

struct X11Overlay::Impl : QObject, QAbstractNativeEventFilter {
    QWidget *over;
    xcb_connection_t *c = nullptr;
    xcb_window_t window = 0, parent = 0, refused = 0;
    xcb_gcontext_t gc = 0;
    QRect geometry;
    bool mapped = false;
    QImage image; // the image shown, for the server to put again where it was covered
    SharedImageBlock::Place place{}; // where its pixels lie, looked up once

    explicit Impl(QWidget *widget) : over(widget) {}

    // A child window of the widget's own window, which must hold RGB32 pixels as they are.
    bool ensureWindow()
    {
        c = SharedImageBlock::sharingConnection();
        if (!c || over->devicePixelRatioF() != 1.0)
            return false;
        const auto top = xcb_window_t(over->window()->winId());
        if (window && top == parent)
            return true;
        if (top == refused)
            return false;
        xcb_get_window_attributes_reply_t *attributes =
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, top), nullptr);
        const bool fits = attributes && isRgb32(c, attributes->visual);
        std::free(attributes);
        if (!fits) {
            refused = top;
            return false;
        }
        // A window made for an earlier native window of the widget's window went with it;
        // its graphics context did not.
        if (gc)
            xcb_free_gc(c, gc);
        parent = top;
        window = xcb_generate_id(c);
        const uint32_t values[] = {XCB_BACK_PIXMAP_NONE, XCB_EVENT_MASK_EXPOSURE};
        xcb_create_window(c, XCB_COPY_FROM_PARENT, window, parent, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXMAP | XCB_CW_EVENT_MASK, values);
        gc = xcb_generate_id(c);
        const uint32_t noExposures = 0;
        xcb_create_gc(c, gc, window, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
        geometry = QRect();
        mapped = false;
        return true;
    }

    void put()
    {
        xcb_shm_put_image(c, window, gc, uint16_t(image.bytesPerLine() / 4), uint16_t(image.height()), 0, 0,
                          uint16_t(image.width()), uint16_t(image.height()), 0, 0, 24, XCB_IMAGE_FORMAT_Z_PIXMAP, 0,
                          place.segment, place.offset);
    }

    void unmap()
    {
        image = QImage();
        if (mapped && c == SharedImageBlock::sharingConnection()) {
            xcb_unmap_window(c, window);
            xcb_flush(c);
        }
        mapped = false;
    }

    // Parts of the overlay that were covered are put again.
    bool nativeEventFilter(const QByteArray &, void *message, qintptr *) override
    {
        const auto *event = static_cast<const xcb_generic_event_t *>(message);
        if ((event->response_type & 0x7f) == XCB_EXPOSE && mapped &&
            reinterpret_cast<const xcb_expose_event_t *>(event)->window == window) {
            put();
            xcb_flush(c);
        }
        return false;
    }

    // The widget or a parent inside the window moved or changed size: the widget paints
    // itself until the overlay is shown again.
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (mapped && (event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
            unmap();
            over->update();
        }
        return false;
    }
};

X11Overlay::X11Overlay(QWidget *over) : d(std::make_unique<Impl>(over))
{
    for (QWidget *w = over; w && !w->isWindow(); w = w->parentWidget())
        w->installEventFilter(d.get());
    if (qApp)
        qApp->installNativeEventFilter(d.get());
}

X11Overlay::~X11Overlay()
{
    if (qApp)
        qApp->removeNativeEventFilter(d.get());
    if (d->window && d->c == SharedImageBlock::sharingConnection()) {
        xcb_destroy_window(d->c, d->window);
        xcb_free_gc(d->c, d->gc);
        xcb_flush(d->c);
    }
}

bool X11Overlay::show(const QImage &image)
{
    QWidget *over = d->over;
    const std::optional<SharedImageBlock::Place> place = SharedImageBlock::placeOf(image);
    if (!place || image.format() != QImage::Format_RGB32 || image.size() != over->size() || !over->isVisible() ||
        !d->ensureWindow()) {
        hide();
        return false;
    }
    d->image = image;
    d->place = *place;
    const QRect at(over->mapTo(over->window(), QPoint(0, 0)), image.size());
    if (at != d->geometry) {
        const uint32_t values[] = {uint32_t(at.x()), uint32_t(at.y()), uint32_t(at.width()), uint32_t(at.height())};
        xcb_configure_window(d->c, d->window,
                             XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                                 XCB_CONFIG_WINDOW_HEIGHT,
                             values);
        d->geometry = at;
    }
    if (!d->mapped) {
        const uint32_t above = XCB_STACK_MODE_ABOVE;
        xcb_configure_window(d->c, d->window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
        xcb_map_window(d->c, d->window);
        d->mapped = true;
    }
    d->put();
    xcb_flush(d->c);
    return true;
}

void X11Overlay::hide()
{
    d->unmap();
}
