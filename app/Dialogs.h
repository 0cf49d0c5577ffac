#pragma once
// Every modal question the window asks goes through here: plain messages,
// standard message boxes, the choice dialog, file and folder pickers and the
// one-line input. A test answers in advance (setNextAnswer, setNextFileName,
// setNextText) and turns on auto-answering, so no test ever waits on a box;
// every dialog shown is recorded for the test to read.

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

class QWidget;

namespace hw::app {

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation };

// Buttons of the standard box; the result is the one pressed.
enum TMsgDlgBtn : int { mbYes = 1, mbNo = 2, mbOK = 4 };

enum class TUserDlgIcon { icCustom, icWarning, icError, icInformation, icConfirmation, icNone };

// One dialog as it was shown (or answered without showing).
struct TShownDialog {
  enum Kind { Message, MessageBox, Choice, OpenFile, SaveFile, Folder, Input } kind;
  QString title;
  QString text;  // lines joined with '\n'
  QStringList buttons;
};

class Dialogs {
 public:
  // The application title, the plain message's title.
  static void SetApplicationTitle(const QString& title);
  static QString ApplicationTitle();
  // The standard boxes' titles for warning, error, information and
  // confirmation, in the language in use; English until set.
  static void SetTypeTitles(const QStringList& titles);

  // Plain message: the text, OK.
  static void ShowMessage(QWidget* parent, const QString& text);
  // Standard box with the type's icon and title; returns the button pressed
  // (mbNo, or mbOK when it is the only button, when closed otherwise).
  static int MessageDlg(QWidget* parent, const QString& text, TMsgDlgType type, int buttons);
  // One button per caption, left to right; the position pressed, -1 when the
  // box was closed otherwise.
  static int Choice(QWidget* parent, const QString& title, const QStringList& lines,
                    const QStringList& buttons, TUserDlgIcon icon);
  // Host paths; none when cancelled. Saving does not ask about an existing file.
  static std::optional<QString> OpenFileName(QWidget* parent, const QString& title,
                                             const QString& folder, const QString& filter);
  static std::optional<QString> SaveFileName(QWidget* parent, const QString& title,
                                             const QString& file, const QString& filter);
  static std::optional<QString> ExistingFolder(QWidget* parent, const QString& title,
                                               const QString& folder);
  // One-line input starting with text; none when cancelled.
  static std::optional<QString> InputText(QWidget* parent, const QString& title,
                                          const QString& prompt, const QString& text);

  // --- For tests.
  // Without a queued answer an auto-answered dialog returns its "no" answer:
  // No (or OK), -1, cancelled.
  static void setAutoAnswer(bool on);
  static void setNextAnswer(int answer);             // MessageDlg button or Choice position
  static void setNextFileName(const QString& name);  // file and folder pickers; empty: cancel
  static void setNextText(const std::optional<QString>& text);  // InputText
  static const std::vector<TShownDialog>& Shown();
  static void ClearShown();
};

// The choice dialog as the shell configures it: Title, Message lines,
// Buttons, Icon; Execute shows it and returns the pressed button's position.
class TUserDlg {
 public:
  explicit TUserDlg(QWidget* parent) : parent_(parent) {}
  QString Title;
  QStringList Message;
  QStringList Buttons;
  TUserDlgIcon Icon = TUserDlgIcon::icNone;
  int Execute() { return Dialogs::Choice(parent_, Title, Message, Buttons, Icon); }

 private:
  QWidget* parent_;
};

}  // namespace hw::app
