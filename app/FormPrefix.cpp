// The prefix chooser of the Welcome page: every prefix found, with whether
// Wine runs in it, and any other folder the user picks. Choosing one hands it
// to whoever opens prefixes (PrefixChosen); the window itself stays on the
// prefix it was made for.

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <functional>

#include "app/Dialogs.h"
#include "app/FormRegFix.h"
#include "platform/ProgramPlaces.h"
#include "platform/wine/WineServerProbe.h"

namespace hw::app {

namespace fs = std::filesystem;

namespace {

QString KindLabel(const std::string& kind) {
  if (kind == "wine") return QStringLiteral("Wine");
  if (kind == "steam") return QStringLiteral("Steam");
  if (kind == "bottles") return QStringLiteral("Bottles");
  if (kind == "lutris") return QStringLiteral("Lutris");
  if (kind == "heroic") return QStringLiteral("Heroic");
  if (kind == "playonlinux") return QStringLiteral("PlayOnLinux");
  return QString::fromStdString(kind);
}

QString PathText(const fs::path& path) { return QString::fromStdString(path.string()); }

bool SameFolder(const fs::path& a, const fs::path& b) {
  std::error_code error;
  return a == b || fs::equivalent(a, b, error);
}

// Wine starts and stops while the window is open: the list says what runs
// each time it opens.
class TPrefixCombo : public QComboBox {
 public:
  using QComboBox::QComboBox;
  std::function<void()> BeforePopup;
  void showPopup() override {
    if (BeforePopup) BeforePopup();
    QComboBox::showPopup();
  }
};

}  // namespace

QLayout* TFormRegFix::CreatePrefixRow(QWidget* page) {
  LPrefix = new QLabel(tr("Wine prefix:"), page);
  LPrefix->setObjectName(QStringLiteral("LPrefix"));
  auto* combo = new TPrefixCombo(page);
  combo->BeforePopup = [this] {
#ifndef _WIN32
    for (platform::FoundPrefix& prefix : prefixes_)
      prefix.InUse = platform::wineServerRunning(prefix.Path);
#endif
    FillPrefixChoices();
  };
  CBPrefix = combo;
  CBPrefix->setObjectName(QStringLiteral("CBPrefix"));
  // Long paths and names must not widen the window.
  CBPrefix->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  CBPrefix->setMinimumContentsLength(20);
  LPrefix->setBuddy(CBPrefix);
  connect(CBPrefix, &QComboBox::activated, this, [this](int index) { CBPrefixChange(index); });
  // Shown once there is something to choose from.
  LPrefix->hide();
  CBPrefix->hide();
  auto* row = new QHBoxLayout;
  row->addWidget(LPrefix);
  row->addWidget(CBPrefix, 1);
  return row;
}

void TFormRegFix::SetPrefixChoices(const fs::path& current,
                                   std::vector<platform::FoundPrefix> found) {
  currentPrefix_ = current;
  prefixes_ = std::move(found);
  FillPrefixChoices();
  LPrefix->show();
  CBPrefix->show();
}

void TFormRegFix::FillPrefixChoices() {
  const fs::path& current = currentPrefix_;
  CBPrefix->clear();
  bool currentListed = false;
  for (const platform::FoundPrefix& prefix : prefixes_) {
    QString text =
        QStringLiteral("%1 (%2)").arg(QString::fromStdString(prefix.Name), KindLabel(prefix.Kind));
    if (prefix.InUse) text += QStringLiteral(" \u2014 ") + tr("Wine is running");
    CBPrefix->addItem(text, PathText(prefix.Path));
    CBPrefix->setItemData(CBPrefix->count() - 1, PathText(prefix.Path), Qt::ToolTipRole);
    currentListed = currentListed || SameFolder(prefix.Path, current);
  }
  // A prefix opened by name that no launcher knows of.
  if (!currentListed) {
    CBPrefix->insertItem(0, PathText(current), PathText(current));
    CBPrefix->setItemData(0, PathText(current), Qt::ToolTipRole);
  }
  CBPrefix->addItem(tr("Other folder\u2026"));
  SelectCurrentPrefix();
}

void TFormRegFix::SelectCurrentPrefix() {
  for (int i = 0; i < CBPrefix->count(); ++i) {
    const QString path = CBPrefix->itemData(i).toString();
    if (!path.isEmpty() && SameFolder(path.toStdString(), currentPrefix_)) {
      CBPrefix->setCurrentIndex(i);
      CBPrefix->setToolTip(path);
      return;
    }
  }
}

void TFormRegFix::CBPrefixChange(int index) {
  fs::path chosen = CBPrefix->itemData(index).toString().toStdString();
  // The chooser keeps naming the prefix open until another one is.
  SelectCurrentPrefix();
  if (chosen.empty()) {
    const std::optional<QString> folder =
        Dialogs::ExistingFolder(this, tr("Choose a Wine prefix"), PathText(currentPrefix_));
    if (!folder || folder->isEmpty()) return;
    chosen = folder->toStdString();
    if (!platform::IsWinePrefix(chosen)) {
      Dialogs::MessageDlg(this,
                          tr("The folder %1 is no Wine prefix: it holds no system.reg and "
                             "user.reg.")
                              .arg(*folder),
                          TMsgDlgType::mtError, mbOK);
      return;
    }
  }
  if (SameFolder(chosen, currentPrefix_) || !PrefixChosen) return;
  PrefixChosen(chosen);
}

}  // namespace hw::app
