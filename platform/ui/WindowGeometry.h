#pragma once
// A top-level window's position and size in twips (1/1440 inch), the unit in which the program
// stores and checks window geometry. Left and top are the outer window's position, width and
// height its client size; the screen is the primary screen.

class QWidget;

namespace platform {

class WindowGeometry {
public:
    explicit WindowGeometry(QWidget *window) : m_window(window) {}

    static double twipsPerPixelX();
    static double twipsPerPixelY();
    static double screenWidth();    // twips
    static double screenHeight();   // twips

    double left() const;
    double top() const;
    double width() const;
    double height() const;
    void setLeft(double twips);
    void setTop(double twips);
    void setWidth(double twips);
    void setHeight(double twips);

    // 0 normal, 1 minimised, 2 maximised
    int state() const;
    void setState(int state);      // throws RuntimeError(380) for other values

    // Brings a window in normal state onto the available area of its screen (the primary screen
    // when none holds it, say after a monitor was unplugged), shrunk to that area's size if needed.
    void fitIntoScreen();

    // The setters throw RuntimeError(380) for positions and sizes no screen can hold (beyond the
    // window system's 32767 pixels) and for negative sizes.
    static constexpr int MaxPixels = 32767;

private:
    QWidget *m_window;
};

// Rounds to the nearest whole number, a half to the even neighbour.
double roundHalfEven(double value);

} // namespace platform
