#pragma once
// TChckLBCB: a list whose rows carry a check mark of up to four states and a
// combo box of choices, shown by default on the focused row only. Rows are
// painted through one delegate and only the focused row owns a combo box, so
// lists of tens of thousands of rows stay quick.

#include <QColor>
#include <QComboBox>
#include <QListView>
#include <QPixmap>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <vector>

#include "controls/OwnerDrawState.h"
#include "controls/RowColors.h"

class QPainter;

namespace hw {

class TBoxItem;
class TChckLBCB;
class TChckLBCBModel;

// The order in which a click on the mark cycles the check states.
enum TCheckOrder {
  coUncheckCheckGray4,
  coUncheckGrayCheck4,
  coUncheck4CheckGray,
  coUncheck4GrayCheck
};

// Check state of a row; the value is also the index of its bitmap.
enum TCheckMarkState : std::uint8_t { cbChecked = 0, cbGrayed = 1, cbUnchecked = 2, cbFourth = 3 };

// How a row's combo box behaves: editable text, list only, or texts drawn by
// the list's OnDrawComboBox.
enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

// The combo box of one row. Created and destroyed by the list; relays its
// events to the list's combo events.
class TLBComboBox : public QComboBox {
  Q_OBJECT
 public:
  TLBComboBox(TChckLBCB* list, TComboBoxStyle style);

  TChckLBCB* List() const { return list_; }
  TComboBoxStyle Style() const { return style_; }
  // The row that owns this combo box, -1 once the row is gone.
  int ItemIndex() const;
  // True while the drop-down list is open.
  bool DroppedDown() const { return droppedDown_; }

  void showPopup() override;
  void hidePopup() override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  friend class TChckLBCB;
  TChckLBCB* list_;
  TComboBoxStyle style_;
  TBoxItem* owner_ = nullptr;  // null once detached from its row
  bool droppedDown_ = false;
};

// One row's data beside its text. Owned by the list; the pointer stays valid
// until the row is deleted.
class TBoxItem {
 public:
  TBoxItem() = default;
  TBoxItem(const TBoxItem&) = delete;
  TBoxItem& operator=(const TBoxItem&) = delete;

  // Exists while the row shows its combo box (always, when the list shows
  // combo boxes on every row). Owned by the list.
  TLBComboBox* ComboBox = nullptr;
  // The application's reference; not owned.
  void* Data = nullptr;
  // Texts of the combo box and the selected one; kept while no combo box exists.
  QStringList ComboItems;
  int ComboIndex = -1;
  // Given to the combo box when it is created.
  TComboBoxStyle ComboStyle = csDropDown;
  // The row's position in the list.
  int Index = 0;
  TCheckMarkState State = cbUnchecked;
  bool Checked = false;
};

class TChckLBCB : public QListView, public TRowColors {
  Q_OBJECT
 public:
  using TListEvent = std::function<void(TChckLBCB* sender)>;
  // Owner drawing of a row; the painter is set to the row's background
  // (brush) and text colour (pen) and the list's font.
  using TDrawItemEvent = std::function<void(TChckLBCB* sender, QPainter& canvas, int index,
                                            const QRect& rect, TOwnerDrawState state)>;
  // Owner drawing of one text of a combo box (index: the text's position).
  using TDrawComboEvent = std::function<void(TLBComboBox* sender, QPainter& canvas, int index,
                                             const QRect& rect, TOwnerDrawState state)>;
  using TComboEvent = std::function<void(TLBComboBox* sender)>;
  using TMouseEvent = std::function<void(TChckLBCB* sender, Qt::MouseButton button,
                                         Qt::KeyboardModifiers shift, QPoint pos)>;

  explicit TChckLBCB(QWidget* parent = nullptr);
  ~TChckLBCB() override;

  // --- Rows. Indices outside the list are ignored; getters then answer
  // false, unchecked or null.
  int AddItem(const QString& text);
  void DeleteItem(int index);
  void Clear();
  int Count() const;
  QString ItemText(int index) const;
  TBoxItem* BoxItem(int index) const;
  bool GetChecked(int index) const;
  void SetChecked(int index, bool value);
  TCheckMarkState GetState(int index) const;
  void SetState(int index, TCheckMarkState state);
  // The next state of the cycle, as a click on the mark gives it.
  void ToggleState(int index);
  TCheckMarkState NextState(TCheckMarkState state) const;
  // Batches changes (filling or picking many rows): repainting waits, and
  // OnStateChanged is raised once at the outermost EndUpdate when a mark
  // changed in between, instead of once per row.
  void BeginUpdate();
  void EndUpdate();
  // Combo texts and selection of a row, also shown by its combo box when it has one.
  void SetComboItems(int index, const QStringList& items);
  void SetComboIndex(int index, int comboIndex);

  // --- Focus and selection.
  int ItemIndex() const;  // the focused row, -1 when none
  void SetItemIndex(int index);
  bool Selected(int index) const;
  void SetSelected(int index, bool value);
  int SelCount() const;
  int FirstSelected() const;
  bool MultiSelect() const;
  void SetMultiSelect(bool value);

  // --- Geometry. Row rectangles are in viewport coordinates.
  QRect ItemRect(int index) const;
  int ItemAtPos(QPoint pos) const;
  int ItemHeight() const { return itemHeight_; }
  void SetItemHeight(int height);
  // Where the row text begins, right of the mark (written by each default row drawing).
  int TextStart() const { return textStart_; }
  int HorzScrollPos() const;
  // Places (creating it if need be) the row's combo box in rect, which is in
  // the unscrolled row coordinates an OnAfterDrawItem handler receives.
  void PlaceComboBox(int index, QRect rect, TOwnerDrawState state);

  // --- Properties.
  // Row colours: ColorBkg, ColorText, ColorBkgSelected, ColorTextSelected (TRowColors).
  QColor CBColorBkg() const { return cbColorBkg_; }
  void SetCBColorBkg(const QColor& color);
  QColor CBColorText() const { return cbColorText_; }
  void SetCBColorText(const QColor& color);
  QColor CBColorBkgSelected() const { return cbColorBkgSelected_; }
  void SetCBColorBkgSelected(const QColor& color);
  QColor CBColorTextSelected() const { return cbColorTextSelected_; }
  void SetCBColorTextSelected(const QColor& color);

  bool ShowComboBoxes() const { return showComboBoxes_; }
  void SetShowComboBoxes(bool value);
  int ComboBoxLeft() const { return comboBoxLeft_; }
  void SetComboBoxLeft(int value);
  int ComboBoxWidth() const { return comboBoxWidth_; }
  void SetComboBoxWidth(int value);
  int ComboBoxTop() const { return comboBoxTop_; }
  void SetComboBoxTop(int value);
  bool ShowCBoxFocusedOnly() const { return showCBoxFocusedOnly_; }
  void SetShowCBoxFocusedOnly(bool value);
  bool AllowChange() const { return allowChange_; }
  void SetAllowChange(bool value) { allowChange_ = value; }
  bool AllowGrayed() const { return allowGrayed_; }
  void SetAllowGrayed(bool value) { allowGrayed_ = value; }
  bool Flat() const { return flat_; }
  void SetFlat(bool value);
  int Offset() const { return offset_; }
  void SetOffset(int value);
  bool FixedSize() const { return fixedSize_; }
  void SetFixedSize(bool value);
  QPixmap BmpChecked() const { return bmps_[cbChecked]; }
  void SetBmpChecked(const QPixmap& bmp) { SetBitmap(cbChecked, bmp); }
  QPixmap BmpGrayed() const { return bmps_[cbGrayed]; }
  void SetBmpGrayed(const QPixmap& bmp) { SetBitmap(cbGrayed, bmp); }
  QPixmap BmpUnchecked() const { return bmps_[cbUnchecked]; }
  void SetBmpUnchecked(const QPixmap& bmp) { SetBitmap(cbUnchecked, bmp); }
  QPixmap BmpEmpty() const { return bmps_[cbFourth]; }
  void SetBmpEmpty(const QPixmap& bmp) { SetBitmap(cbFourth, bmp); }
  TCheckOrder CheckOrder() const { return checkOrder_; }
  void SetCheckOrder(TCheckOrder order) { checkOrder_ = order; }
  bool RadioState() const { return radioState_; }
  void SetRadioState(bool value) { radioState_ = value; }

  // --- Events.
  TListEvent OnStateChanged;
  TListEvent OnBeforeStateChanging;
  // Selection changed by the user (mouse or keys).
  TListEvent OnClick;
  TMouseEvent OnMouseDown;
  TDrawItemEvent OnBeforeDrawItem;
  // Replaces the default row drawing.
  TDrawItemEvent OnDrawItem;
  // Draws the row's text instead of the list; rect starts at the text start.
  TDrawItemEvent OnAfterDrawItem;
  TDrawComboEvent OnDrawComboBox;
  TComboEvent OnClickComboBox;
  TComboEvent OnDropdownComboBox;
  TComboEvent OnChangeComboBox;
  TComboEvent OnExitComboBox;
  TComboEvent OnCloseUpComboBox;

 protected:
  // Default drawing of a row; rect is in unscrolled row coordinates.
  virtual void DrawItem(QPainter& canvas, int index, QRect rect, TOwnerDrawState state);

  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
  void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;

 private:
  friend class TChckLBCBDelegate;
  friend class TLBComboDelegate;
  friend class TLBComboBox;

  void PaintRow(QPainter& painter, int index, const QRect& viewportRect, bool selected);
  void DrawCheckFrame(QPainter& canvas, const QRect& box, TCheckMarkState state) const;
  bool AllBitmaps() const;
  void SetBitmap(int state, const QPixmap& bmp);
  void UpdateItemHeight();
  void RepaintMark(int index);
  // Clears every mark for RadioState; true when one changed.
  bool ClearAllMarks();
  void RaiseStateChanged();
  TLBComboBox* CreateComboBox(TBoxItem& item);
  void DestroyComboBox(TBoxItem& item);
  void ColourComboBox(TLBComboBox& combo) const;
  void RecolourComboBoxes();
  void DrawComboText(TLBComboBox* combo, QPainter& canvas, int index, const QRect& rect,
                     TOwnerDrawState state);
  void ComboClicked(TLBComboBox* combo);
  void ComboChanged(TLBComboBox* combo);
  int TextWidth(const QString& text) const;
  void RemeasureTexts();
  void UpdateExtent();

  TChckLBCBModel* model_;  // child of the list
  std::vector<std::unique_ptr<TBoxItem>> boxItems_;
  // Text widths of all rows, for the horizontal scroll extent.
  std::vector<int> widths_;
  std::multiset<int> sortedWidths_;
  int extent_ = 0;
  int textStart_ = 0;
  int itemHeight_ = 15;
  // The row whose combo box is shown as the focused one.
  TBoxItem* focusedComboItem_ = nullptr;
  // Set when the row being painted placed its combo box.
  bool comboPlaced_ = false;
  bool selectionTouched_ = false;
  int updateCount_ = 0;
  bool stateChangePending_ = false;

  QColor cbColorBkg_, cbColorText_, cbColorBkgSelected_, cbColorTextSelected_;
  bool showComboBoxes_ = true;
  int comboBoxLeft_ = -1;
  int comboBoxWidth_ = -1;
  int comboBoxTop_ = -1;
  bool showCBoxFocusedOnly_ = true;
  bool allowChange_ = true;
  bool allowGrayed_ = false;
  bool flat_ = false;
  int offset_ = 4;
  bool fixedSize_ = true;
  QPixmap bmps_[4];
  TCheckOrder checkOrder_ = coUncheckCheckGray4;
  bool radioState_ = false;
};

}  // namespace hw
