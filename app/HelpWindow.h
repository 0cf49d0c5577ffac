#pragma once
// The help viewer: the HTML pages shipped in help/ beside the program, opened
// at a topic by its context number, or at the index.

#include <QDialog>
#include <filesystem>

class QTextBrowser;

namespace hw::app {

class THelpWindow : public QDialog {
  Q_OBJECT

 public:
  THelpWindow(std::filesystem::path helpFolder, QWidget* parent);

  // The page of a context number (help/topic<n>.html); 0 is help/index.html.
  std::filesystem::path TopicFile(int context) const;
  // Shows the topic, or says which page is missing.
  void ShowTopic(int context);
  // The file shown last, empty when it was missing.
  const std::filesystem::path& Shown() const { return shown_; }

 private:
  std::filesystem::path folder_;
  std::filesystem::path shown_;
  QTextBrowser* browser_;
};

}  // namespace hw::app
