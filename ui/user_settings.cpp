#include "ui/user_settings.h"

#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QSettings>
#include <QTreeView>
#include <array>

namespace twk::user_settings {
namespace {

// Every key of the program's settings, each named here once.
const QString kWindowGeometry = QStringLiteral("Window/geometry");  // the normal, unmaximised one
const QString kWindowMaximised = QStringLiteral("Window/maximised");
const QString kDialogSize = QStringLiteral("Dialogs/%1/size");
const QString kDialogFolder = QStringLiteral("Dialogs/%1/folder");

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
  settings.setValue(kDialogFolder.arg(name), dialog.directory().absolutePath());
}

void restoreWindow(QWidget& window) {
  QSettings settings = store();
  QRect place = settings.value(kWindowGeometry).toRect();
  if (!place.isValid()) return;
  // The screen that holds the place's top left corner, where the title bar is; a place on no
  // screen (a monitor unplugged since) moves to the primary screen.
  const QScreen* screen = QGuiApplication::screenAt(place.topLeft());
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect available = screen->availableGeometry();
  place.setSize(place.size().boundedTo(available.size()).expandedTo(window.minimumSizeHint()));
  place.moveLeft(std::clamp(place.left(), available.left(),
                            std::max(available.right() - place.width(), available.left())));
  place.moveTop(std::clamp(place.top(), available.top(),
                           std::max(available.bottom() - place.height(), available.top())));
  window.setGeometry(place);
  if (settings.value(kWindowMaximised).toBool()) {
    window.setWindowState(window.windowState() | Qt::WindowMaximized);
  }
}

void rememberWindow(const QWidget& window) {
  QSettings settings = store();
  const bool maximised = window.isMaximized();
  settings.setValue(kWindowGeometry, maximised ? window.normalGeometry() : window.geometry());
  settings.setValue(kWindowMaximised, maximised);
}

}  // namespace twk::user_settings
