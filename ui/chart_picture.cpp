#include "ui/chart_picture.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>

#include "ui/bar_chart.h"
#include "ui/chart_painter.h"
#include "ui/user_settings.h"

namespace twk {
namespace {

const QString kPngFilter = QStringLiteral("PNG Image (*.png)");
const QString kSvgFilter = QStringLiteral("SVG Image (*.svg)");

// Renames the written file over the old one; returns the reason of a failure, empty on success.
// Qt's commit() flushes last and reports success even where that flush failed (a full disk, a
// file size limit), so the flush is checked first.
QString commit(QSaveFile& file) {
  if (!file.flush() || file.error() != QFileDevice::NoError) {
    QString reason = file.errorString();
    file.cancelWriting();
    return reason;
  }
  return file.commit() ? QString() : file.errorString();
}

}  // namespace

QImage chartPicture(const BarChart& chart) {
  const ChartPainter painter(chart);
  const qreal ratio = chart.devicePixelRatioF();
  const QString title = chart.pictureTitle();
  QImage image((chart.size() + QSize(0, painter.titleHeight(title))) * ratio, QImage::Format_RGB32);
  image.setDevicePixelRatio(ratio);
  QPainter p(&image);
  painter.paintTitle(p, title);
  painter.paint(p);
  return image;
}

QString saveChartPicture(const BarChart& chart, const QString& path) {
  // Written beside the old file and renamed over it at the end, so a failed write leaves it.
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return file.errorString();
  if (!path.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive)) {
    QImageWriter png(&file, "png");
    if (!png.write(chartPicture(chart))) {
      file.cancelWriting();
      return png.errorString();
    }
    return commit(file);
  }
  const ChartPainter painter(chart);
  const QString title = chart.pictureTitle();
  const QSize whole = chart.size() + QSize(0, painter.titleHeight(title));
  QSvgGenerator svg;
  svg.setOutputDevice(&file);
  svg.setSize(whole);
  svg.setViewBox(QRect(QPoint(0, 0), whole));
  // Point sizes become pixels at this resolution; at the generator's own 72 dots per inch the
  // labels would come out smaller than the spaces measured for them on the screen.
  svg.setResolution(chart.logicalDpiX());
  svg.setTitle(QFileInfo(path).completeBaseName());
  QPainter p(&svg);
  painter.paintTitle(p, title);
  painter.paint(p);
  p.end();
  return commit(file);
}

QString pictureFileName(const QString& name) {
  QString result = name;
  for (QChar& c : result) {
    if (c < QChar(32) || QStringLiteral("\\/:*?\"<>|").contains(c)) c = QLatin1Char('_');
  }
  return result;
}

QString askChartSavePath(QWidget* parent, const QString& suggested) {
  QFileDialog dialog(parent, QStringLiteral("Save Chart As"), suggested,
                     kPngFilter + QStringLiteral(";;") + kSvgFilter);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  user_settings::restoreDialog(dialog, user_settings::Dialog::SaveChartAs);
  dialog.selectFile(QFileInfo(suggested).fileName());
  if (dialog.exec() != QDialog::Accepted) return QString();
  user_settings::rememberDialog(dialog, user_settings::Dialog::SaveChartAs);
  const QString filter = dialog.selectedNameFilter();
  QString path = dialog.selectedFiles().value(0);
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (!path.isEmpty() && suffix != QLatin1String("png") && suffix != QLatin1String("svg")) {
    path += filter == kSvgFilter ? QStringLiteral(".svg") : QStringLiteral(".png");
  }
  return path;
}

}  // namespace twk
