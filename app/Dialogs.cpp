#include "app/Dialogs.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <deque>
#include <functional>

namespace hw::app {

namespace {

struct Answers {
  QString title = QStringLiteral("Hivewarden");
  // The standard boxes' titles by type, in TMsgDlgType's order.
  QStringList typeTitles = {QStringLiteral("Warning"), QStringLiteral("Error"),
                            QStringLiteral("Information"), QStringLiteral("Confirm")};
  bool autoAnswer = false;
  std::deque<int> buttons;
  std::deque<QString> fileNames;
  std::deque<std::optional<QString>> texts;
  std::vector<TShownDialog> shown;
};

Answers& answers() {
  static Answers instance;
  return instance;
}

// The composed texts break lines with CR, as the language packs expect.
QString Lines(QString text) { return text.replace(QLatin1Char('\r'), QLatin1Char('\n')); }

template <typename T>
std::optional<T> Take(std::deque<T>& queue) {
  if (queue.empty()) return std::nullopt;
  T value = std::move(queue.front());
  queue.pop_front();
  return value;
}

QMessageBox::Icon IconOf(TMsgDlgType type) {
  switch (type) {
    case TMsgDlgType::mtWarning: return QMessageBox::Warning;
    case TMsgDlgType::mtError: return QMessageBox::Critical;
    case TMsgDlgType::mtInformation: return QMessageBox::Information;
    case TMsgDlgType::mtConfirmation: return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

QString TitleOf(TMsgDlgType type) { return answers().typeTitles.value(static_cast<int>(type)); }

QMessageBox::Icon IconOf(TUserDlgIcon icon) {
  switch (icon) {
    case TUserDlgIcon::icWarning: return QMessageBox::Warning;
    case TUserDlgIcon::icError: return QMessageBox::Critical;
    case TUserDlgIcon::icInformation: return QMessageBox::Information;
    case TUserDlgIcon::icConfirmation: return QMessageBox::Question;
    default: return QMessageBox::NoIcon;
  }
}

bool Answered() { return answers().autoAnswer; }

void Record(TShownDialog::Kind kind, const QString& title, const QString& text,
            const QStringList& buttons = {}) {
  answers().shown.push_back({kind, title, Lines(text), buttons});
}

// A file or folder picker: the queued name when answering, else the user's.
std::optional<QString> PickPath(TShownDialog::Kind kind, const QString& title, const QString& start,
                                const std::function<QString()>& ask) {
  Record(kind, title, start);
  QString name = Answered() ? Take(answers().fileNames).value_or(QString()) : ask();
  if (name.isEmpty()) return std::nullopt;
  return name;
}

// Modal box with buttons left to right; the position pressed or -1.
int RunBox(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
           const QStringList& captions) {
  QMessageBox box(icon, title, Lines(text), QMessageBox::NoButton, parent);
  std::vector<QPushButton*> pressable;
  for (const QString& caption : captions)
    pressable.push_back(box.addButton(caption, QMessageBox::AcceptRole));
  box.exec();
  for (std::size_t i = 0; i < pressable.size(); ++i)
    if (box.clickedButton() == pressable[i]) return static_cast<int>(i);
  return -1;
}

}  // namespace

void Dialogs::SetApplicationTitle(const QString& title) { answers().title = title; }
QString Dialogs::ApplicationTitle() { return answers().title; }

void Dialogs::SetTypeTitles(const QStringList& titles) {
  if (titles.size() == answers().typeTitles.size()) answers().typeTitles = titles;
}

// Yes, No and OK are Qt's standard buttons, which carry Qt's translated
// captions; the box is made even when a test answers it, to record them.
void Dialogs::ShowMessage(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, ApplicationTitle(), Lines(text), QMessageBox::Ok, parent);
  Record(TShownDialog::Message, ApplicationTitle(), text, {box.button(QMessageBox::Ok)->text()});
  if (Answered()) return;
  box.exec();
}

int Dialogs::MessageDlg(QWidget* parent, const QString& text, TMsgDlgType type, int buttons) {
  QMessageBox box(IconOf(type), TitleOf(type), Lines(text), QMessageBox::NoButton, parent);
  const std::pair<int, QMessageBox::StandardButton> kinds[] = {
      {mbYes, QMessageBox::Yes}, {mbNo, QMessageBox::No}, {mbOK, QMessageBox::Ok}};
  QStringList captions;
  for (const auto& [button, standard] : kinds)
    if (buttons & button) captions << box.addButton(standard)->text();
  Record(TShownDialog::MessageBox, TitleOf(type), text, captions);
  const int closed = (buttons & mbNo) ? mbNo : mbOK;
  if (Answered()) return Take(answers().buttons).value_or(closed);
  box.exec();
  for (const auto& [button, standard] : kinds)
    if ((buttons & button) && box.clickedButton() == box.button(standard)) return button;
  return closed;
}

int Dialogs::Choice(QWidget* parent, const QString& title, const QStringList& lines,
                    const QStringList& buttons, TUserDlgIcon icon) {
  const QString text = lines.join(QLatin1Char('\n'));
  Record(TShownDialog::Choice, title, text, buttons);
  if (Answered()) return Take(answers().buttons).value_or(-1);
  return RunBox(parent, IconOf(icon), title, text, buttons);
}

std::optional<QString> Dialogs::OpenFileName(QWidget* parent, const QString& title,
                                             const QString& folder, const QString& filter) {
  return PickPath(TShownDialog::OpenFile, title, folder,
                  [&] { return QFileDialog::getOpenFileName(parent, title, folder, filter); });
}

std::optional<QString> Dialogs::SaveFileName(QWidget* parent, const QString& title,
                                             const QString& file, const QString& filter) {
  return PickPath(TShownDialog::SaveFile, title, file, [&] {
    // The callers ask about an existing file themselves.
    return QFileDialog::getSaveFileName(parent, title, file, filter, nullptr,
                                        QFileDialog::DontConfirmOverwrite);
  });
}

std::optional<QString> Dialogs::ExistingFolder(QWidget* parent, const QString& title,
                                               const QString& folder) {
  return PickPath(TShownDialog::Folder, title, folder,
                  [&] { return QFileDialog::getExistingDirectory(parent, title, folder); });
}

std::optional<QString> Dialogs::InputText(QWidget* parent, const QString& title,
                                          const QString& prompt, const QString& text) {
  Record(TShownDialog::Input, title, prompt);
  if (Answered()) return Take(answers().texts).value_or(std::nullopt);
  bool ok = false;
  QString result = QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, text, &ok);
  if (!ok) return std::nullopt;
  return result;
}

void Dialogs::setAutoAnswer(bool on) {
  Answers& a = answers();
  a.autoAnswer = on;
  a.buttons.clear();
  a.fileNames.clear();
  a.texts.clear();
}
void Dialogs::setNextAnswer(int answer) { answers().buttons.push_back(answer); }
void Dialogs::setNextFileName(const QString& name) { answers().fileNames.push_back(name); }
void Dialogs::setNextText(const std::optional<QString>& text) { answers().texts.push_back(text); }
const std::vector<TShownDialog>& Dialogs::Shown() { return answers().shown; }
void Dialogs::ClearShown() { answers().shown.clear(); }

}  // namespace hw::app
