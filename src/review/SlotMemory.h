#pragma once
// Where the snapshot ring's pixels come from. The ring asks for all its slots at once and
// gives each slot's memory back by letting go of its image: an image frees its memory
// when its last copy goes. A ring handed none takes plain heap memory.

#include <QImage>
#include <QList>

class SlotMemory {
public:
    virtual ~SlotMemory() = default;
    // count images of the given size, RGB32; an empty list when this memory cannot give them.
    virtual QList<QImage> images(QSize size, qsizetype count) = 0;
};
