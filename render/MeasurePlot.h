// The plot of a sweep: the hull's area and volume against the swept parameter, two
// panels one above the other, drawn with QPainter into a QImage.
#pragma once

#include <QImage>
#include <string>
#include <vector>

namespace MeasurePlot {

// One line of the plot; a point whose value is not finite breaks the line there.
struct TSeries {
  std::string Label;  // legend text ("q = 0.5"); empty for a single unnamed line
  std::vector<long double> X, Area, Volume;
};

// A white 800 x 640 picture: area (top) and volume (bottom) against `xName`, each
// panel with axes, rounded ticks and their labels, the lines in distinct colours and a
// legend when a series has a label. Series without finite points draw nothing; a
// range of one value is widened so that it shows as a level line.
QImage PlotMeasures(const std::vector<TSeries>& series, const std::string& xName);

}  // namespace MeasurePlot
