#include "ui/user_settings.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QTreeView>
#include <algorithm>
#include <array>

#include "intake/packet_store.h"

namespace twk::user_settings {
namespace {

// Every key of the program's settings, each named here once.
const QString kWindowGeometry = QStringLiteral("Window/geometry");  // the normal, unmaximised one
const QString kWindowMaximised = QStringLiteral("Window/maximised");
const QString kDialogSize = QStringLiteral("Dialogs/%1/size");
const QString kDialogFolder = QStringLiteral("Dialogs/%1/folder");
const QString kPacketsHeld = QStringLiteral("Packets/held");
const QString kChartFitted = QStringLiteral("Chart/fitted");
const QString kChartTimeLabels = QStringLiteral("Chart/timeLabels");

QString dialogName(Dialog which) {
  constexpr std::array<const char*, 4> kNames{"OpenLog", "FollowLog", "WriteCsvAs", "SaveChartAs"};
  return QLatin1String(kNames[static_cast<std::size_t>(which)]);
}

QSettings store() {
  return QSettings(QStringLiteral("twk"), QStringLiteral("twk-decoder"));
}

// Qt sizes the size, type and date columns for sample texts shorter than today's sizes, type
// names and dates, and cuts those off. Once a folder is listed they are widened to what it
// shows; a dialog without a remembered size grows to show them whole, within the screen.
void fitColumnsWhenListed(QFileDialog& dialog, bool grow) {
  QAbstractItemView* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
  auto* model = dialog.findChild<QFileSystemModel*>();
  if (view == nullptr || model == nullptr) return;
  QObject::connect(model, &QFileSystemModel::directoryLoaded, view, [view, &dialog, grow] {
    QHeaderView* header = static_cast<QTreeView*>(view)->header();
    for (int column = 1; column < header->count(); ++column) {
      const int wanted = std::max(view->sizeHintForColumn(column), header->sectionSizeHint(column));
      if (wanted > header->sectionSize(column)) header->resizeSection(column, wanted);
    }
    const int more = header->length() - view->viewport()->width();
    if (!grow || more <= 0) return;
    QSize size = dialog.size() + QSize(more, 0);
    if (const QScreen* screen = dialog.screen()) {
      size = size.boundedTo(screen->availableGeometry().size());
    }
    dialog.resize(size);
  });
}

}  // namespace

void restoreDialog(QFileDialog& dialog, Dialog which) {
  QSettings settings = store();
  const QString name = dialogName(which);
  const QSize size = settings.value(kDialogSize.arg(name)).toSize();
  fitColumnsWhenListed(dialog, !size.isValid());
  if (size.isValid()) {
    const QScreen* screen = dialog.screen();
    dialog.resize(screen != nullptr ? size.boundedTo(screen->availableGeometry().size()) : size);
  }
  const QString folder = settings.value(kDialogFolder.arg(name)).toString();
  if (!folder.isEmpty() && QDir(folder).exists()) dialog.setDirectory(folder);
}

void rememberDialog(const QFileDialog& dialog, Dialog which) {
  QSettings settings = store();
  const QString name = dialogName(which);
  settings.setValue(kDialogSize.arg(name), dialog.size());
  // The folder of the file chosen: a full path typed into the name field chooses one in another
  // folder than the dialog shows.
  const QString chosen = dialog.selectedFiles().value(0);
  settings.setValue(kDialogFolder.arg(name), chosen.isEmpty() ? dialog.directory().absolutePath()
                                                              : QFileInfo(chosen).absolutePath());
}

std::optional<WindowPlace> windowPlace() {
  QSettings settings = store();
  const QRect normal = settings.value(kWindowGeometry).toRect();
  if (!normal.isValid()) return std::nullopt;
  return WindowPlace{normal, settings.value(kWindowMaximised).toBool()};
}

void rememberWindowPlace(const WindowPlace& place) {
  QSettings settings = store();
  settings.setValue(kWindowGeometry, place.normal);
  settings.setValue(kWindowMaximised, place.maximised);
}

int packetsHeld() {
  bool ok = false;
  const int packets = store().value(kPacketsHeld, kDefaultPacketsHeld).toInt(&ok);
  // A value edited by hand out of range is taken at the nearest allowed.
  return ok ? std::clamp(packets, kLeastPacketsHeld, kMostPacketsHeld) : kDefaultPacketsHeld;
}

void rememberPacketsHeld(int packets) {
  store().setValue(kPacketsHeld, packets);
}

bool chartFitted() {
  return store().value(kChartFitted, false).toBool();
}

void rememberChartFitted(bool fitted) {
  store().setValue(kChartFitted, fitted);
}

bool chartTimeLabels() {
  return store().value(kChartTimeLabels, false).toBool();
}

void rememberChartTimeLabels(bool on) {
  store().setValue(kChartTimeLabels, on);
}

QString limitsFilePath() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QStringLiteral("/twk/limits.ini");
}

}  // namespace twk::user_settings
