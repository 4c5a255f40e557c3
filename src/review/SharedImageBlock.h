#pragma once
// Snapshots that the X display server reads straight from our memory (its shared memory
// extension), so that showing one costs the program no copy: the server copies the pixels
// onto the screen itself. Only on a local X11 display whose server offers the extension
// with 24-bit true colour; anywhere else it gives no images and the ring takes heap memory.
// Everything here runs on the UI thread, as the toolkit's connection to the server does.

#include "review/SlotMemory.h"

#include <optional>

struct xcb_connection_t;

class SharedImageBlock : public SlotMemory {
public:
    // Images lying in one block of memory shared with the display server; the block is let
    // go when the last of them is gone.
    QList<QImage> images(QSize size, qsizetype count) override;

    // Whether an image's pixels lie in memory shared with the display server.
    static bool holds(const QImage &image);
    // Where the server finds an image's pixels: the block's segment and the offset in it.
    struct Place {
        quint32 segment;
        quint32 offset;
    };
    static std::optional<Place> placeOf(const QImage &image);
    // The toolkit's connection to the X server when that server can read our memory, else
    // null (another platform, a display across the network, the program ending).
    static xcb_connection_t *sharingConnection();
    // Whether the server on this connection can read memory we hand it (version 1.2 of the
    // extension, over a local socket) and lays 24-bit pixels out as RGB32 does: 32 bits
    // each, least significant byte first.
    static bool readsOurMemory(xcb_connection_t *c);
};
