#pragma once
// The plane geometry of reading a scan: a homography between the page and the scan, dark blobs
// that may be registration marks, and a square of the page cut out of the scan, straightened.
#include "GreyImage.h"
#include "Marking.h"

#include <array>
#include <optional>
#include <vector>

namespace pelkano::marking {

// A projective map of the plane, row-major 3 by 3.
struct Homography {
    std::array<double, 9> m{1, 0, 0, 0, 1, 0, 0, 0, 1};
    Point map(Point p) const;
    // The map that takes from[i] to to[i]; nothing when three of the points lie on a line.
    static std::optional<Homography> fromPoints(const std::array<Point, 4>& from, const std::array<Point, 4>& to);
};

// A dark blob that is nearly a filled square: its centre (the centre of its dark pixels) and side.
struct Blob {
    Point centre;
    double side = 0;
};

// The blobs of the image that are filled squares with a side between minSide and maxSide pixels.
// The image is looked at through a copy reduced to at most about four million pixels.
std::vector<Blob> squareBlobs(const GreyImage& image, double minSide, double maxSide);

// The centre of the dark pixels within `radius` of `near`, at full resolution; nothing when there
// are none.
std::optional<Point> darkCentre(const GreyImage& image, Point near, double radius);

// The page's rectangle (x, y, side by side, page pixels) as seen on the scan, sampled onto a
// square of `size` by `size` pixels (bilinear; outside the scan is white).
GreyImage sampleSquare(const GreyImage& scan, const Homography& pageToScan, double x, double y, double side, int size);

// A square's crop with its dotted lines taken out: a band along each edge made white. With
// deepFoot (a quotient's square, on the bar) the rows of the bar's line above that band go too
// (rows dark across most of the square, and a row on either side), but not the rest: a digit
// standing on the bar keeps its foot.
void whitenEdges(GreyImage& crop, bool deepFoot);

// The image reduced by a whole factor (each pixel the mean of factor by factor).
GreyImage reduced(const GreyImage& image, int factor);

}  // namespace pelkano::marking
