#pragma once

#include <QWidget>

#include "image/bitmap.h"

// A picture control: holds a bitmap and shows it at 1:1 from its top-left
// corner, taking the picture's size.
class TImage : public QWidget {
    Q_OBJECT
public:
    explicit TImage(QWidget* parent = nullptr);

    const TBitmap& Picture() const { return FPicture; }
    bool Empty() const { return FPicture.Empty(); }
    // Takes the bitmap over and shows it.
    void SetPicture(TBitmap&& picture);
    // Changes the picture in place; the control follows the new size.
    template <class F>
    void ChangePicture(F&& change) {
        change(FPicture);
        PictureChanged();
    }
    void Clear();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void PictureChanged();

    TBitmap FPicture;
};
