#include "review/SharedImageBlock.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <sys/mman.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>

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

const Block *blockOf(const QImage &image)
{
    if (image.isNull())
        return nullptr;
    const uchar *bits = image.constBits();
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

// A display across the network cannot read memory handed to it as a file descriptor: only a
// local socket carries one.
bool SharedImageBlock::readsOurMemory(xcb_connection_t *c)
{
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
    return fds && fourBytes && setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
}

xcb_connection_t *SharedImageBlock::sharingConnection()
{
    static xcb_connection_t *checked = nullptr;
    static bool reads = false;
    xcb_connection_t *c = connection();
    if (c != checked) {
        checked = c;
        reads = c && readsOurMemory(c);
    }
    return reads ? c : nullptr;
}

QList<QImage> SharedImageBlock::images(QSize size, qsizetype count)
{
    xcb_connection_t *c = sharingConnection();
    if (!c || size.isEmpty() || count < 1)
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

bool SharedImageBlock::holds(const QImage &image)
{
    return blockOf(image);
}

std::optional<SharedImageBlock::Place> SharedImageBlock::placeOf(const QImage &image)
{
    const Block *block = blockOf(image);
    if (!block)
        return std::nullopt;
    return Place{block->segment, quint32(image.constBits() - block->data)};
}
