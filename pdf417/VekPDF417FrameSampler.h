#pragma once

#include <vector>

#include "foundation/VekGreyImage.h"
#include "foundation/VekPerspectiveTransform.h"
#include "pdf417/VekPDF417EdgeList.h"

namespace orvel {

// Samples a symbol of the PDF417 family along its own rows: a frame spans
// its left and right edges in module units (x across, from 0 to `width`,
// and v down the edges, 0 and 1 at the corners given) mapped into the
// picture through perspective, and a line of the frame gives the edges of
// its grey profile, in modules.
class TVekPDF417FrameSampler {
public:
    explicit TVekPDF417FrameSampler(const TVekGreyImage& grey) : grey_(grey) {}

    // Corners: the left edge's top and the right edge's top, bottom, then
    // the left edge's bottom.
    void setFrame(const TVekPerspectiveTransform::TQuad& quad, double width);
    // Samples taken per module.
    void setStep(double step) { step_ = step; }
    double width() const { return width_; }

    TVekPointF toPicture(double x, double v) const { return frame_.map({x / width_, v}); }
    // Samples the frame between x0 and x1 along the line from (0, vLeft) to
    // (width, vRight) and finds the edges, in modules.
    void sampleLine(double x0, double x1, double vLeft, double vRight, TVekPDF417EdgeList& edges);

private:
    float level(TVekPointF p) const;

    const TVekGreyImage& grey_;
    TVekPerspectiveTransform frame_;
    double width_ = 1;
    double step_ = 0.25;
    std::vector<float> levels_;
};

}  // namespace orvel
