#pragma once
// The pictures of the main window, drawn at run time: the banner's stack of pages and the faces
// of the four picture buttons. Each is an image with a transparent background.
#include <QColor>
#include <QImage>

namespace lumira {

// The blue shared by the pictures and the window's rules.
QColor PictureBlue();

// A stack of pages, 32 × 32.
QImage StackOfPagesPicture();
// A blue disc with a white question mark (help).
QImage QuestionPicture(int size);
// A blue arrow pointing up (previous page) or down (next page).
QImage ArrowPicture(int size, bool up);
// A blue square with a white dot (system line on or off).
QImage SquareDotPicture(int size);

// Every picture of the window at the size it is shown. Drawing needs no window, so it may run on
// another thread while the window is being built (the question mark's font takes the longest).
struct WindowPictures {
    QImage stackOfPages;
    QImage question;
    QImage arrowUp;
    QImage arrowDown;
    QImage squareDot;
};
WindowPictures DrawWindowPictures();

} // namespace lumira
