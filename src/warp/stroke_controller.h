#pragma once
#include "raster/geometry.h"
#include "warp/pixel_point.h"
#include "warp/warp_engine.h"
#include "warp/warp_tool.h"

namespace mugwarp {

class StrokeTarget;

// Mouse buttons held during a press or a move.
struct MouseButtons {
    bool left = false;
    bool right = false;
    bool middle = false;
};

// Which brush mesh a button set drives: 0 for the left button (it wins when
// both are held), 1 for the right, nothing without either.
int selectStrokeButton(MouseButtons buttons);  // -1 when neither left nor right

// Turns presses, moves, releases and timer ticks on the view into brush
// applications. Positions are picture pixels (the application converts view
// positions); every call that renders returns the display rectangle it
// changed, empty when nothing changed. The application owns the 50 ms timer:
// it runs it while timerShouldRun() and calls tick() on each expiry.
class StrokeController {
public:
    explicit StrokeController(StrokeTarget& target);

    // What the menu items and palette buttons of the brush tools do
    // on the document's side: leave the flat tools, snapshot for undo, set the
    // tool, its pressure and its timer, rebuild the meshes.
    void selectTool(WarpTool tool);
    WarpTool tool() const { return engine_.tool(); }
    // Warp and Twirl repeat while a button is held; off for Putty and
    // whenever the document's tool is not a warp tool.
    bool timerShouldRun() const;

    // The pen's pressure for the press, moves and ticks that follow (0..1; the
    // mouse is 1), and whether it scales the brush's strength or its size.
    void setPenPressure(double pressure) { engine_.setPenPressure(pressure); }
    void setPressureMode(PressureMode mode) { engine_.setPressureMode(mode); }
    PressureMode pressureMode() const { return engine_.pressureMode(); }

    // The "Size" (5..500) and "Effect" (-100..100) sliders; values are clamped.
    void setBrushSize(int size) { engine_.setSize(size); }
    int brushSize() const { return engine_.size(); }
    void setEffect(int effect) { engine_.setEffect(effect); }
    int effect() const { return engine_.effect(); }

    // Press on the picture at p: snapshot for undo; with the left or right
    // button held, start a stroke there (nothing is applied yet). Ignored
    // without a picture or while no warp tool is selected.
    void press(PixelPoint p, MouseButtons buttons);
    // A mouse move: with the left or right button held, one brush application
    // centred on p (even when the press happened elsewhere).
    Rect move(PixelPoint p, MouseButtons buttons);
    // Ends the stroke; what it changed becomes one step of the history.
    void release();
    // One timer expiry: while a stroke is on and the tool repeats, applies the
    // brush again at the stroke's last position.
    Rect tick();

    bool stroking() const { return stroking_; }
    const WarpEngine& engine() const { return engine_; }

private:
    Rect apply(PixelPoint topLeft);

    StrokeTarget& target_;
    WarpEngine engine_;
    bool timerEnabled_ = false;
    bool stroking_ = false;
};

}  // namespace mugwarp
