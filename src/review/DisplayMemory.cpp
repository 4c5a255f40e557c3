#include "review/DisplayMemory.h"

#include <QAbstractNativeEventFilter>
#include <QEvent>
#include <QGuiApplication>
#include <QWidget>

#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <sys/mman.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <map>

namespace {

// The toolkit's connection to the X server, or null: another platform, or the program
// is ending and the connection may be gone.
xcb_connection_t *connection()
{
    if (!qGuiApp || QCoreApplication::closingDown())
        return nullptr;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

// Whether the server can read memory we hand it as a file descriptor (version 1.2 of the
// extension, over a local socket: a display across the network cannot) and lays 24-bit
// pixels out as RGB32 does: 32 bits each, least significant byte first.
bool readsOurMemory(xcb_connection_t *c)
{
    static xcb_connection_t *checked = nullptr;
    static bool reads = false;
    if (c == checked)
        return reads;
    checked = c;
    reads = false;
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (getsockname(xcb_get_file_descriptor(c), reinterpret_cast<sockaddr *>(&address), &length) != 0 ||
        address.ss_family != AF_UNIX)
        return false;
    const xcb_query_extension_reply_t *extension = xcb_get_extension_data(c, &xcb_shm_id);
    if (!extension || !extension->present)
        return false;
    xcb_shm_query_version_reply_t *version = xcb_shm_query_version_reply(c, xcb_shm_query_version(c), nullptr);
    if (!version)
        return false;
    const bool fds = version->major_version > 1 || (version->major_version == 1 && version->minor_version >= 2);
    std::free(version);
    const xcb_setup_t *setup = xcb_get_setup(c);
    bool fourBytes = false;
    for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem; xcb_format_next(&it))
        fourBytes |= it.data->depth == 24 && it.data->bits_per_pixel == 32;
    reads = fds && fourBytes && setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
    return reads;
}

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

struct Block {
    xcb_connection_t *connection;
    xcb_shm_seg_t segment;
    uchar *data;
    std::size_t bytes;
    ~Block();
};

// The live blocks by their first byte, to find the block an image lies in.
std::map<const uchar *, const Block *> &blocks()
{
    static std::map<const uchar *, const Block *> all;
    return all;
}

Block::~Block()
{
    blocks().erase(data);
    // At the program's end the server lets go of the segment with the connection.
    if (connection == ::connection()) {
        xcb_shm_detach(connection, segment);
        xcb_flush(connection);
    }
    munmap(data, bytes);
}

const Block *blockOf(const uchar *bits)
{
    const auto &all = blocks();
    auto it = all.upper_bound(bits);
    if (it == all.begin())
        return nullptr;
    const Block *block = (--it)->second;
    return bits < block->data + block->bytes ? block : nullptr;
}

void releaseHolder(void *holder)
{
    delete static_cast<std::shared_ptr<Block> *>(holder);
}

} // namespace

QList<QImage> DisplayMemory::images(QSize size, qsizetype count)
{
    xcb_connection_t *c = connection();
    if (!c || size.isEmpty() || count < 1 || !readsOurMemory(c))
        return {};
    const qsizetype stride = qsizetype(size.width()) * 4, each = stride * size.height();
    // The extension counts offsets in 32 bits.
    if (each > qsizetype(UINT32_MAX) / count)
        return {};
    const std::size_t bytes = std::size_t(each) * std::size_t(count);
    const int fd = memfd_create("replixa-snapshots", MFD_CLOEXEC);
    if (fd < 0)
        return {};
    void *data = ftruncate(fd, off_t(bytes)) == 0 ? mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0)
                                                  : MAP_FAILED;
    if (data == MAP_FAILED) {
        close(fd);
        return {};
    }
    // The server maps the memory read-only; the request takes the descriptor and closes it.
    const xcb_shm_seg_t segment = xcb_generate_id(c);
    if (xcb_generic_error_t *error = xcb_request_check(c, xcb_shm_attach_fd_checked(c, segment, fd, 1))) {
        std::free(error);
        munmap(data, bytes);
        return {};
    }
    const std::shared_ptr<Block> block(new Block{c, segment, static_cast<uchar *>(data), bytes});
    blocks()[block->data] = block.get();
    QList<QImage> out;
    out.reserve(count);
    for (qsizetype i = 0; i < count; ++i)
        out.append(QImage(block->data + i * each, size.width(), size.height(), stride, QImage::Format_RGB32,
                          releaseHolder, new std::shared_ptr<Block>(block)));
    return out;
}

bool DisplayMemory::holds(const QImage &image)
{
    return !image.isNull() && blockOf(image.constBits());
}

struct DisplayOverlay::Impl : QObject, QAbstractNativeEventFilter {
    QWidget *over;
    xcb_connection_t *c = nullptr;
    xcb_window_t window = 0, parent = 0, refused = 0;
    xcb_gcontext_t gc = 0;
    QRect geometry;
    bool mapped = false;
    QImage image; // the image shown, for the server to put again where it was covered
    const Block *block = nullptr; // the block it lies in, kept alive by the image

    explicit Impl(QWidget *widget) : over(widget) {}

    // A child window of the widget's own window, which must hold RGB32 pixels as they are.
    bool ensureWindow()
    {
        c = connection();
        if (!c || !readsOurMemory(c) || over->devicePixelRatioF() != 1.0)
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
        // A window made for an earlier native window of the widget's window went with it.
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
                          block->segment, uint32_t(image.constBits() - block->data));
    }

    void unmap()
    {
        image = QImage();
        block = nullptr;
        if (mapped && c == connection()) {
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

DisplayOverlay::DisplayOverlay(QWidget *over) : d(std::make_unique<Impl>(over))
{
    for (QWidget *w = over; w && !w->isWindow(); w = w->parentWidget())
        w->installEventFilter(d.get());
    if (qApp)
        qApp->installNativeEventFilter(d.get());
}

DisplayOverlay::~DisplayOverlay()
{
    if (qApp)
        qApp->removeNativeEventFilter(d.get());
    if (d->window && d->c == connection()) {
        xcb_destroy_window(d->c, d->window);
        xcb_free_gc(d->c, d->gc);
        xcb_flush(d->c);
    }
}

bool DisplayOverlay::show(const QImage &image)
{
    QWidget *over = d->over;
    const Block *block = image.isNull() ? nullptr : blockOf(image.constBits());
    if (!block || image.format() != QImage::Format_RGB32 || image.size() != over->size() || !over->isVisible() ||
        !d->ensureWindow()) {
        hide();
        return false;
    }
    d->image = image;
    d->block = block;
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

void DisplayOverlay::hide()
{
    d->unmap();
}
