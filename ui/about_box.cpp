#include "ui/about_box.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QScreen>

#include "ui/fonts.h"
#include "ui/satellite_art.h"
#include "ui/twip_scale.h"

namespace twk {

AboutBox::AboutBox(QWidget* parent) : QWidget(parent, Qt::Window) {
  setAttribute(Qt::WA_DeleteOnClose);
  setObjectName(QStringLiteral("aboutBox"));
  setWindowTitle(QStringLiteral("Info"));
  setFont(sansFont(8.25));
  QPalette white = palette();
  white.setColor(QPalette::Window, Qt::white);
  white.setColor(QPalette::WindowText, Qt::black);
  setPalette(white);
  setAutoFillBackground(true);

  const QScreen* screen = QGuiApplication::primaryScreen();
  const TwipScale tw(screen != nullptr ? screen->logicalDotsPerInchX() : 96.0);
  setFixedSize(tw(8220), tw(3375));

  // The picture first, so the labels are drawn over it where the program's name runs into it;
  // the labels paint no background of their own, and the picture's top is white.
  auto* image = new QLabel(this);
  image->setObjectName(QStringLiteral("picture"));
  image->setPixmap(QPixmap::fromImage(satellitePicture()));
  image->setGeometry(tw.rect(3480, 240, 4500, 3330));
  image->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  auto* frame = new QGroupBox(this);
  frame->setObjectName(QStringLiteral("versionFrame"));
  frame->setGeometry(tw.rect(120, 1440, 3135, 615));
  auto* version = new QLabel(QStringLiteral("Ver.1.0 - 2012, Feb 16"), frame);
  version->setObjectName(QStringLiteral("version"));
  version->setGeometry(tw.rect(120, 240, 2895, 255));
  version->setAlignment(Qt::AlignCenter);

  const auto label = [this, &tw](const char* name, const QString& text, QRect place) {
    auto* l = new QLabel(text, this);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(place);
    return l;
  };
  label("productLine", QStringLiteral("Ostrel"), tw.rect(120, 960, 735, 255))
      ->setFont(sansFont(8.25, true));
  label("emailCaption", QStringLiteral("e-mail:"), tw.rect(120, 2760, 615, 255));
  label("homepageCaption", QStringLiteral("Homepage:"), tw.rect(120, 2400, 855, 255));
  // The addresses look like links but do nothing when clicked.
  QFont underlined = sansFont(8.25);
  underlined.setUnderline(true);
  QPalette blue = white;
  blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
  for (QLabel* link :
       {label("email", QStringLiteral("decoder@example.org"), tw.rect(1080, 2760, 1815, 255)),
        label("homepage", QStringLiteral("www.example.org/twk"), tw.rect(1080, 2400, 1815, 255))}) {
    link->setFont(underlined);
    link->setPalette(blue);
  }
  label("copyright", QStringLiteral("(c) 2012 Ostrel ground station group"),
        tw.rect(120, 600, 2775, 255));
  QLabel* title = label("title", QStringLiteral("Tarnwick (TWK) Telemetry Decoder"),
                        tw.rect(120, 120, 7215, 375));
  title->setFont(sansFont(13.5, true));
  QPalette green = white;
  green.setColor(QPalette::WindowText, QColor(0, 64, 0));
  title->setPalette(green);
}

void AboutBox::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace twk
