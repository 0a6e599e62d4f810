#pragma once
#include "app/image_view.h"

namespace mugwarp {

class Document;

// What the view shows over the picture while a brush tool is chosen: the
// freeze mask as a translucent red tint and the mesh, a grid of lines every
// 32 view pixels bent by the deformation. Both are drawn for the view only,
// never into the picture, so nothing saves or prints them.
class BrushGuides final : public ViewLayers {
public:
    static constexpr int kMeshSpacing = 32;
    static constexpr QRgb kTint = 0xFFE02020;

    BrushGuides(const Document& document, const ImageView& view) : document_(document), view_(view) {}

    void setBrushToolChosen(bool chosen) { toolChosen_ = chosen; }
    void setMaskShown(bool shown) { maskShown_ = shown; }
    void setMeshShown(bool shown) { meshShown_ = shown; }
    bool maskDrawn() const { return toolChosen_ && maskShown_; }
    bool meshDrawn() const { return toolChosen_ && meshShown_; }

    void renderInto(QImage& buffer, const QRect& viewArea) const override;
    void paintOver(QPainter& painter, const QRect& viewArea) const override;

private:
    const Document& document_;
    const ImageView& view_;
    bool toolChosen_ = false;
    bool maskShown_ = true;
    bool meshShown_ = false;
};

}  // namespace mugwarp
