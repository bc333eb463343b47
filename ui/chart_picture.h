#pragma once

#include <QImage>
#include <QString>

class QWidget;

namespace twk {

class BarChart;

// Pictures of a chart for the clipboard and for files: the chart as shown, without its marker,
// below its title line.

// At the screen's pixel density.
QImage chartPicture(const BarChart& chart);
// Writes the picture to path, replacing a file there only when complete: SVG when the name ends
// in ".svg" (any case), PNG otherwise. Returns the reason of a failure, empty on success.
QString saveChartPicture(const BarChart& chart, const QString& path);
// name with the characters that file names cannot hold on common systems replaced by "_".
QString pictureFileName(const QString& name);
// Asks where to save, in Qt's own dialog starting at suggested; a name typed without an
// extension gets the one of the filter chosen. Empty on cancel.
QString askChartSavePath(QWidget* parent, const QString& suggested);

}  // namespace twk
