#include "app/HelpWindow.h"

#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace hw::app {

THelpWindow::THelpWindow(std::filesystem::path helpFolder, QWidget* parent)
    : QDialog(parent), folder_(std::move(helpFolder)), browser_(new QTextBrowser(this)) {
  setObjectName(QStringLiteral("HelpWindow"));
  browser_->setObjectName(QStringLiteral("HelpBrowser"));
  browser_->setOpenExternalLinks(true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(browser_);
  resize(640, 520);
}

std::filesystem::path THelpWindow::TopicFile(int context) const {
  return folder_ /
         (context == 0 ? std::string("index.html") : "topic" + std::to_string(context) + ".html");
}

void THelpWindow::ShowTopic(int context) {
  const std::filesystem::path file = TopicFile(context);
  std::error_code error;
  if (std::filesystem::is_regular_file(file, error)) {
    shown_ = file;
    browser_->setSource(QUrl::fromLocalFile(QString::fromStdString(file.string())));
  } else {
    shown_.clear();
    browser_->setPlainText(
        tr("The help page %1 is missing.").arg(QString::fromStdString(file.string())));
  }
  show();
  raise();
}

}  // namespace hw::app
