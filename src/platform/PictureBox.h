#pragma once

#include "platform/Control.h"
#include "platform/MouseEvents.h"
#include "platform/Picture.h"

namespace kelvaris {

class PictureBoxWidget;

// A picture box: a panel, a picture button, a hidden picture store, a pane
// frame or a full-size picture. It shows its picture at its top-left corner
// at one device pixel per picture pixel, over its background colour.
class PictureBox : public Control
{
public:
    struct Look
    {
        QColor background;
        bool border = false; // thin, flat, single-line
        QColor borderColour = Qt::black;
        bool autoSize = false; // takes its picture's size on every assignment
        // One device pixel per picture pixel (the honest 100 % view of a
        // shot), rather than one logical pixel (button bitmaps).
        bool devicePixels = false;
    };

    PictureBox(QWidget* container, const QString& name, const Look& look);

    const Picture& picture() const;
    // Shares `picture`; a null picture clears the box and keeps its size.
    void setPicture(Picture picture);
    // Shows `part`, the pixels at `where` of a picture of `whole` pixels not
    // yet decoded in full: the box takes the whole picture's size, as a
    // box that sizes itself does, and shows its background elsewhere.
    // picture() is null meanwhile, so that nothing takes the part for the
    // whole; setPicture ends it.
    void setPartialPicture(Picture part, QRect where, QSize whole);
    bool isPartial() const;
    // Twips per pixel of a picture shown in this box.
    double twipsPerPicturePixel() const;
    // The size in twips that `picture` takes in this box (at one device
    // or logical pixel per picture pixel, as the box shows it); empty for
    // a null picture.
    QSizeF twipsSizeOf(const Picture& picture) const;

    MouseEvents& events();
    QWidget* clientWidget() const override;

    QString toolTip() const;
    void setToolTip(const QString& text);

    // A picture button in the keyboard's tab order: Tab gives it the focus
    // (a click does not), and Espace then presses it as it does a push
    // button, with the looks of its press and release and then its click.
    void setTabStop(bool tabStop);

protected:
    void pixelGeometryChanged() override;

private:
    PictureBoxWidget* m_box;
    bool m_autoSize;
};

} // namespace kelvaris
