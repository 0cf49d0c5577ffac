// The layout rules that run on every resize and page change, the side
// pictures of Welcome and Fix_it, and the pictures and glyphs the window loads.

#include <QComboBox>
#include <QEvent>
#include <QIcon>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QStackedWidget>
#ifndef HW_PNG_PICTURES
#include <QSvgRenderer>
#endif
#include <algorithm>
#include <cmath>

#include "app/FormRegFix.h"
#include "controls/PictureListBox.h"

namespace hw::app {

namespace {

constexpr int kUndoRightGap = 10;
constexpr int kExtentPad = 5;
constexpr int kCaptionPad = 20;
const char* const kExtentProperty = "HorizontalExtent";

// The glyph list, by the numbers the buttons use.
const char* const kGlyphs[] = {"button-stop", "button-start", "button-next", "button-cancel",
                               "button-fixit"};

// Half of a length, a half going to the even neighbour.
int HalfToEven(int length) {
  return static_cast<int>(std::nearbyint(length / 2.0));  // the default rounding is to even
}

}  // namespace

QPixmap TFormRegFix::Picture(const QString& name) const {
  const QString folder = QString::fromStdString((context_.ProgramFolder / "images").string());
#ifdef HW_PNG_PICTURES
  // Rendered from the SVG at its own size when the program was built.
  return QPixmap(folder + '/' + name + ".png");
#else
  const QString file = folder + '/' + name + ".svg";
  QSvgRenderer renderer(file);
  if (!renderer.isValid()) return {};
  QPixmap pixmap(renderer.defaultSize());
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  renderer.render(&painter);
  return pixmap;
#endif
}

QIcon TFormRegFix::Glyph(int index) const {
  if (index < 0 || index >= static_cast<int>(std::size(kGlyphs))) return {};
#ifdef HW_PNG_PICTURES
  // The icon takes <name>@2x.png beside it for high-density screens.
  return QIcon(QString::fromStdString((context_.ProgramFolder / "images").string()) + '/' +
               QString::fromLatin1(kGlyphs[index]) + ".png");
#else
  return QIcon(Picture(QString::fromLatin1(kGlyphs[index])));
#endif
}

QPixmap TFormRegFix::PaintSidePicture(bool welcome) const {
  const int width = ImageStart->width();
  const int height = std::max(1, this->height() - kPanelHeight - kStatusHeight);
  QPixmap picture(width, height);
  picture.fill(palette().window().color());
  QPainter painter(&picture);
  const QPixmap background = Picture(QStringLiteral("side-background"));
  if (!background.isNull())
    for (int y = 0; y < height; y += background.height())
      for (int x = 0; x < width; x += background.width()) painter.drawPixmap(x, y, background);
  // The overlays carry their own transparency.
  const QPixmap caption = Picture(QStringLiteral("side-caption"));
  const QPixmap logo = Picture(QStringLiteral("logo"));
  const QPixmap motif =
      Picture(welcome ? QStringLiteral("side-welcome") : QStringLiteral("side-fixit"));
  if (!caption.isNull()) painter.drawPixmap(8, height - 10 - caption.height(), caption);
  if (!logo.isNull()) painter.drawPixmap(50, height - 10 - logo.height(), logo);
  if (!motif.isNull()) painter.drawPixmap(width - 20 - motif.width(), 10, motif);
  return picture;
}

void TFormRegFix::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  FormResize();
}

void TFormRegFix::FormResize() {
  // 1. The halves of Settings1 are computed from the client height, so they
  // hold even while the page is hidden.
  const int pages = height() - kPanelHeight - kStatusHeight;
  const int upper = HalfToEven(pages);
  PanelDrives->setGeometry(0, 0, width(), upper);
  PanelPaths->setGeometry(0, upper, width(), pages - upper);
  const int drivesTop = PanelDrives->layout()->contentsMargins().top();
  const int pathsTop = PanelPaths->layout()->contentsMargins().top();
  ListBoxExcludedDrives->setFixedHeight(std::max(0, upper - 2 * drivesTop));
  LBPaths->setFixedHeight(std::max(0, pages - upper - 2 * pathsTop));
  FitPanels();  // 2. and 4.
  // 3.
  if (Page() == pgWelcome) ImageStart->setPixmap(PaintSidePicture(true));
  if (Page() == pgFixIt) ImageEnd->setPixmap(PaintSidePicture(false));
  // 5. One width for the four buttons: the widest caption in the window's font.
  QPushButton* const buttons[] = {BitBtnAddExcludedEntry, BitBtnEditExcludedEntry,
                                  BitBtnRemoveExcludedEntry, BitBtnRestoreDefault};
  int widest = 0;
  for (const QPushButton* b : buttons)
    widest = std::max(widest, fontMetrics().horizontalAdvance(b->text()));
  for (QPushButton* b : buttons) b->setFixedWidth(widest + kCaptionPad);
  const int left = PanelExclButtons->layout()->contentsMargins().left();
  PanelExclButtons->setFixedWidth(widest + kCaptionPad + 2 * left);
  // 6.
  FitListBoxExtent(ListBoxExcludedEntries);
}

void TFormRegFix::FitPanels() {
  if (!EUndoFile || !ComboBoxExcludedEntries) return;  // still being built
  EUndoFile->setFixedWidth(std::max(0, PanelUndo->width() - kUndoRightGap - EUndoFile->x()));
  ComboBoxExcludedEntries->setFixedWidth(
      std::max(0, PanelExclCombo->width() - 2 * ComboBoxExcludedEntries->x()));
}

void TFormRegFix::FitListBoxExtent(QListWidget* list) {
  const QFontMetrics metrics(list->font());
  int widest = 0;
  for (int row = 0; row < list->count(); ++row)
    widest = std::max(widest, metrics.horizontalAdvance(list->item(row)->text()));
  const int extent = widest + kExtentPad;
  // The rows as wide as the extent give the list that scroll range.
  const int rowHeight = metrics.height() + 2;
  for (int row = 0; row < list->count(); ++row)
    list->item(row)->setSizeHint(QSize(extent, rowHeight));
  list->setProperty(kExtentProperty, extent);
}

int TFormRegFix::HorizontalExtent(const QListWidget* list) {
  return list->property(kExtentProperty).toInt();
}

}  // namespace hw::app
