#pragma once

#include <QByteArray>
#include <QImage>
#include <QPoint>

// One picture of a Windows cursor file (.CUR) and the spot of it that points.
struct CursorPicture {
    QImage image;
    QPoint hotspot;
};

// Reads the bytes of a .CUR file: the directory names the images and their hotspots, Qt's ico
// reader decodes the chosen image. Of several images the one nearest 32 x 32 pixels is taken,
// the size a desktop pointer is drawn at. Throws Failure when the bytes are not such a cursor.
CursorPicture readCursorFile(const QByteArray& bytes);
