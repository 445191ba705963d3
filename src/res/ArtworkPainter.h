#pragma once

#include <QImage>

// Draws the launcher's artwork: a naval look of sea and sky, gold trim and blue-and-gold buttons.
// Every picture is drawn from fixed shapes and a fixed-seed random source, so a rerun of the
// generator gives the same files.
class ArtworkPainter {
public:
    // The image of resource `id` at `width` x `height`, or a null image for an unknown id.
    QImage Draw(int id, int width, int height) const;
    // The launcher's icon, `size` pixels square: the background's gold ship's wheel over a disc of
    // its dusk sky and sea.
    QImage Icon(int size) const;

private:
    static QImage Background(int width, int height);
    static QImage MessageFrame(int width, int height);
    static QImage MessageButton(int width, int height, bool gold, bool hover);
    static QImage CloseButton(int width, int height, bool hover);
    static QImage MinimizeButton(int width, int height, bool hover);
    static QImage NewsButton(int width, int height);
    static QImage ProgressFill(int width, int height);
    static QImage ProgressTrack(int width, int height);
};
