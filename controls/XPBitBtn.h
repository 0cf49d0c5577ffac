#pragma once
// TXPBitBtn: the push button with a glyph beside its caption used for every
// button of the window. While a theme is bound it draws itself with the
// active Qt style (hot look on hover, ellipsis for a caption too wide,
// engraved glyph when disabled); otherwise it paints as a plain QPushButton.

#include <QIcon>
#include <QPixmap>
#include <QPushButton>
#include <QString>

namespace hw {

// The program-wide theme binding: on Linux the theme is the active QStyle.
// Start once after the application object exists (the first query starts it
// otherwise), Stop once before it goes; stopped, buttons paint plain.
class TThemeBinding {
 public:
  static void Start();
  static void Stop();
  static bool Loaded();
};

// The theme's push-button states.
enum TPushButtonState { pbsNormal = 1, pbsHot, pbsPressed, pbsDisabled, pbsDefaulted };

class TXPBitBtn : public QPushButton {
  Q_OBJECT
 public:
  explicit TXPBitBtn(QWidget* parent = nullptr);
  explicit TXPBitBtn(const QString& caption, QWidget* parent = nullptr);

  // The picture beside the caption, drawn at iconSize().
  QIcon Glyph() const { return icon(); }
  void SetGlyph(const QIcon& glyph) { setIcon(glyph); }
  // Gap between glyph and caption.
  int Spacing() const { return spacing_; }
  void SetSpacing(int value);
  // True while the mouse is over the button.
  bool Hover() const { return hover_; }

  // The state the themed drawing uses now.
  TPushButtonState ThemeState() const;
  // The caption as the themed drawing shows it (cut with an ellipsis when too wide).
  QString DisplayedCaption() const;
  // The glyph as drawn while disabled: engraved in the light and dark colours.
  QPixmap DisabledGlyph() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  QRect TextRect() const;

  int spacing_ = 4;
  bool hover_ = false;
};

}  // namespace hw
