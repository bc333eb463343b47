#include "ui/form2.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QScreen>

#include "ui/satellite_art.h"
#include "ui/twip_scale.h"

namespace twk {
namespace {

QFont aboutFont(bool bold, double points) {
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                    QStringLiteral("Arial")});
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(points);
  font.setBold(bold);
  return font;
}

}  // namespace

Form2::Form2(QWidget* parent) : QWidget(parent, Qt::Window) {
  setAttribute(Qt::WA_DeleteOnClose);
  setObjectName(QStringLiteral("Form2"));
  setWindowTitle(QStringLiteral("Info"));
  setFont(aboutFont(false, 8.25));
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
  image->setObjectName(QStringLiteral("Image1"));
  image->setPixmap(QPixmap::fromImage(satellitePicture()));
  image->setGeometry(tw.rect(3480, 240, 4500, 3330));
  image->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  auto* frame = new QGroupBox(this);
  frame->setObjectName(QStringLiteral("Frame1"));
  frame->setGeometry(tw.rect(120, 1440, 3135, 615));
  m_version = new QLabel(frame);
  m_version->setObjectName(QStringLiteral("Label2"));
  m_version->setGeometry(tw.rect(120, 240, 2895, 255));
  m_version->setAlignment(Qt::AlignCenter);

  const auto label = [this, &tw](const char* name, const QString& text, QRect place) {
    auto* l = new QLabel(text, this);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(place);
    return l;
  };
  label("Label8", QStringLiteral("Ostrel"), tw.rect(120, 960, 735, 255))
      ->setFont(aboutFont(true, 8.25));
  label("Label7", QStringLiteral("e-mail:"), tw.rect(120, 2760, 615, 255));
  label("Label6", QStringLiteral("Homepage:"), tw.rect(120, 2400, 855, 255));
  // The addresses look like links but do nothing when clicked.
  QFont underlined = aboutFont(false, 8.25);
  underlined.setUnderline(true);
  QPalette blue = white;
  blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
  for (QLabel* link :
       {label("Label5", QStringLiteral("decoder@example.org"), tw.rect(1080, 2760, 1815, 255)),
        label("Label4", QStringLiteral("www.example.org/twk"), tw.rect(1080, 2400, 1815, 255))}) {
    link->setFont(underlined);
    link->setPalette(blue);
  }
  label("Label3", QStringLiteral("(c) 2012 Ostrel ground station group"),
        tw.rect(120, 600, 2775, 255));
  QLabel* title = label("Label1", QStringLiteral("Tarnwick (TWK) Telemetry Decoder"),
                        tw.rect(120, 120, 7215, 375));
  title->setFont(aboutFont(true, 13.5));
  QPalette green = white;
  green.setColor(QPalette::WindowText, QColor(0, 64, 0));
  title->setPalette(green);

  Form_Load();
}

void Form2::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

void Form2::Form_Load() {
  m_version->setText(QStringLiteral("Ver.1.0 - 2012, Feb 16"));
}

}  // namespace twk
